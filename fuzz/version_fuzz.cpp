// Feeds arbitrary bytes, as a file, to the embedded-version reader.
#include "platform/version.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  // An in-memory file keeps the disk out of the loop.
  const int fd = memfd_create("halvex-version-fuzz", MFD_CLOEXEC);
  if (fd < 0)
    return 0;
  size_t done = 0;
  while (done < size) {
    const ssize_t put = write(fd, data + done, size - done);
    if (put <= 0)
      break;
    done += static_cast<size_t>(put);
  }
  const auto version = platform::ReadFileVersion("/proc/self/fd/" + std::to_string(fd));
  (void)platform::FormatFileVersion(version);
  close(fd);
  return 0;
}
