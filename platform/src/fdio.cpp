// Writing every byte to a file descriptor.
#include "platform/fdio.h"

#include <cerrno>
#include <unistd.h>

namespace platform {

int WriteAll(int fd, const void* data, std::size_t size)
{
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(fd, next, size);
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return errno;
    }
    // A regular file or pipe never takes zero bytes of a non-empty write without an error.
    if (written == 0)
      return EIO;
    next += written;
    size -= static_cast<std::size_t>(written);
  }
  return 0;
}

} // namespace platform
