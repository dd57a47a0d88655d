// Graph file names, look-up and reading.
#include "kestrel/graphfile.h"

#include "skeleton/componentmodule.h"
#include "skeleton/strings.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace kestrel {

namespace {

// A pipeline description is a few lines; anything this large is not a graph file.
constexpr std::streamoff kMaxGraphFileBytes = 1 << 20;

bool IsRegularFile(const std::string& path)
{
  struct stat info
  {
  };
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string FolderOf(const std::string& path)
{
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

} // namespace

std::string GraphFileName(const std::string& vendor, const std::string& fourcc, int width,
                          const std::string& standard)
{
  return components::FormatText("vb %s %s %d %s.GRF", vendor.c_str(), fourcc.c_str(), width,
                                standard.c_str());
}

std::string InstalledGraphsFolder()
{
  const std::string plugins = FolderOf(components::ThisModulePath());
  return plugins + "/../../../share/halvex/graphs";
}

std::string FindGraphFile(const std::string& name, const std::string& graphsFolder)
{
  if (name.empty())
    return {};
  if (IsRegularFile(name))
    return name;
  const std::string installed = graphsFolder + "/" + name;
  if (!graphsFolder.empty() && IsRegularFile(installed))
    return installed;
  return {};
}

bool ReadGraphDescription(const std::string& path, std::string* description, std::string* error)
{
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    *error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  const std::streamoff size = in.tellg();
  if (size > kMaxGraphFileBytes) {
    *error = path + " is " + std::to_string(size) + " bytes, more than a graph file holds";
    return false;
  }
  in.seekg(0);
  std::string line;
  std::ostringstream text;
  while (std::getline(in, line)) {
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#')
      continue;
    text << line << '\n';
  }
  if (in.bad()) {
    *error = "cannot read " + path;
    return false;
  }
  *description = text.str();
  if (description->empty()) {
    *error = path + " describes no graph";
    return false;
  }
  return true;
}

} // namespace kestrel
