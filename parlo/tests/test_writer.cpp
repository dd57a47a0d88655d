// Test helper: holds a file open for writing under an exclusive lock and appends lines.
// Usage: parlo_test_writer FILE. Writes "ready" to stdout once the file is open and locked;
// every line read from stdin is appended to the file with CR LF and answered with "ok";
// ends at the end of stdin.
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <sys/file.h>
#include <unistd.h>

int main(int argc, char** argv)
{
  if (argc != 2) {
    std::fprintf(stderr, "usage: parlo_test_writer FILE\n");
    return 2;
  }
  const int fd = ::open(argv[1], O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0 || ::flock(fd, LOCK_EX) != 0) {
    std::fprintf(stderr, "parlo_test_writer: %s: %s\n", argv[1], std::strerror(errno));
    return 1;
  }
  std::cout << "ready" << std::endl;
  std::string line;
  while (std::getline(std::cin, line)) {
    line += "\r\n";
    if (::write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
      return 1;
    std::cout << "ok" << std::endl;
  }
  ::close(fd);
  return 0;
}
