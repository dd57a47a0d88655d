// Plain POSIX file appends, so each line reaches the file before the next is formatted.
#include "harness/logfile.h"

#include "platform/fdio.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace harness {

int AppendLineToFile(const std::string& path, const std::string& line)
{
  // O_APPEND keeps lines whole when another process appends to the same file.
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0)
    return errno;
  std::string record = line;
  record += "\r\n";
  int error = platform::WriteAll(fd, record.data(), record.size());
  if (::close(fd) != 0 && error == 0)
    error = errno;
  return error;
}

int DeleteFileAt(const std::string& path)
{
  return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

int DeleteFileIfPresent(const std::string& path)
{
  const int error = DeleteFileAt(path);
  return error == ENOENT ? 0 : error;
}

bool FileExists(const std::string& path)
{
  struct stat info
  {
  };
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
  if (folder.empty())
    return name;
  if (folder.back() == '/')
    return folder + name;
  return folder + "/" + name;
}

} // namespace harness
