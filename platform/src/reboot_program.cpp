// Writing out the reboot program.
#include "platform/reboot_program.h"

#include "platform/files.h"

#include <cerrno>
#include <cstdio>

namespace platform {

int WriteRebootProgram(const std::string& path)
{
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    return ErrorFromErrno(errno);
  }
  const bool written =
      std::fwrite(kRebootProgram, 1, sizeof kRebootProgram, file) == sizeof kRebootProgram;
  const int error = written ? 0 : errno;
  if (std::fclose(file) != 0 || !written) {
    return ErrorFromErrno(error != 0 ? error : errno);
  }
  return kErrorSuccess;
}

} // namespace platform
