// Reading the results file's lines.
#include "harness/resultsfile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace harness {

namespace {

constexpr std::size_t kShortFile = 50;

} // namespace

int ReadResultLines(const std::string& path, std::vector<std::string>& lines)
{
  lines.clear();
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0)
    return errno;
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR)
        continue;
      const int error = errno;
      ::close(fd);
      return error;
    }
    if (got == 0)
      break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    std::size_t next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos)
      end = text.size();
    if (end > start && text[end - 1] == '\r')
      --end;
    lines.push_back(text.substr(start, end - start));
    start = next;
  }
  return 0;
}

std::vector<std::string> NewResultLines(const std::vector<std::string>& lines, std::size_t before)
{
  const std::size_t total = lines.size();
  std::vector<std::string> copied;
  for (std::size_t k = 1; k <= total; ++k) {
    const bool take =
        total <= kShortFile ? k >= before + 5 : k + kShortFile >= total && k >= before + 4;
    if (take)
      copied.push_back(lines[k - 1]);
  }
  return copied;
}

} // namespace harness
