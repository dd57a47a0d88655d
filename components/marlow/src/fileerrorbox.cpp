// File errors named by their cause in a plain box.
#include "marlow/fileerrorbox.h"

#include "skeleton/stopbox.h"
#include "skeleton/strings.h"

#include "platform/files.h"

namespace marlow {

int FileErrorCauseId(int error)
{
  // Offsets from the first cause entry, in the string table's order.
  enum Cause {
    kNotLocated = 0,
    kBadPath = 1,
    kDiskFull = 3,
    kNotAccessible = 4,
    kTooManyOpenFiles = 5,
    kNoMoreEntries = 6,
    kShared = 7,
    kUnspecified = 10,
    kHardware = 13,
    kUnknown = 14
  };
  int cause = kUnknown;
  switch (error) {
  case platform::kErrorFileNotFound:
    cause = kNotLocated;
    break;
  case platform::kErrorPathNotFound:
  case platform::kErrorInvalidName:
  case platform::kErrorBadPathname:
  case platform::kErrorFilenameTooLong:
    cause = kBadPath;
    break;
  case platform::kErrorDiskFull:
    cause = kDiskFull;
    break;
  case platform::kErrorAccessDenied:
  case platform::kErrorWriteProtect:
    cause = kNotAccessible;
    break;
  case platform::kErrorTooManyOpenFiles:
    cause = kTooManyOpenFiles;
    break;
  case platform::kErrorNoMoreFiles:
    cause = kNoMoreEntries;
    break;
  case platform::kErrorSharingViolation:
    cause = kShared;
    break;
  case platform::kErrorNotReady:
  case platform::kErrorGenFailure:
    cause = kHardware;
    break;
  case platform::kErrorNotEnoughMemory:
  case platform::kErrorInvalidParameter:
    cause = kUnspecified;
    break;
  default:
    break;
  }
  return components::kIdsFileErrorFirstCause + cause;
}

std::string FileErrorBoxText(const std::string& file, int error)
{
  return components::FormatMessageText(
      components::LoadComponentString(components::kIdsFileError),
      {components::LoadComponentString(FileErrorCauseId(error)), file, std::to_string(error)});
}

void ShowFileErrorBox(const std::string& file, int error)
{
  components::ShowMessageBox(FileErrorBoxText(file, error));
}

} // namespace marlow
