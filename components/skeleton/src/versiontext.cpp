// Version texts over the platform's version reader.
#include "skeleton/versiontext.h"

#include "platform/version.h"

namespace components {

std::string FileVersionText(const std::string& path)
{
  const std::optional<platform::FileVersion> version = platform::ReadFileVersion(path);
  return version ? platform::FormatFileVersion(version) : kUnknownVersion;
}

} // namespace components
