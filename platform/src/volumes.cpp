// Drives as DOS sees them: DOS paths below the system root, the floppy device, volume facts
// through libblkid and folder file systems through statfs.
#include "platform/volumes.h"

#include "platform/files.h"
#include "platform/system.h"

#include <blkid/blkid.h>
#include <dirent.h>
#include <linux/magic.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace platform {

namespace fs = std::filesystem;

namespace {

// The path with symbolic links resolved where it exists, absolute and without "." or "..".
fs::path Resolved(const std::string& path)
{
  std::error_code error;
  fs::path resolved = fs::weakly_canonical(fs::absolute(path, error), error);
  if (error) {
    resolved = fs::absolute(path, error).lexically_normal();
  }
  return resolved;
}

bool IsDosNameCharacter(unsigned char c)
{
  return std::isalnum(c) || c > 127 || std::strchr("!#$%&'()-@^_`{}~", c) != nullptr;
}

std::vector<std::string> SplitDosPath(std::string_view rest)
{
  std::vector<std::string> parts;
  std::string part;
  for (char c : rest) {
    if (c == '\\' || c == '/') {
      if (!part.empty()) {
        parts.push_back(part);
      }
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) {
    parts.push_back(part);
  }
  return parts;
}

// The entry of `folder` whose name equals `name` ignoring case; empty when there is none.
std::string FindIgnoringCase(const std::string& folder, const std::string& name)
{
  DIR* dir = opendir(folder.c_str());
  if (!dir) {
    return {};
  }
  std::string found;
  while (const dirent* entry = readdir(dir)) {
    if (strcasecmp(entry->d_name, name.c_str()) == 0) {
      found = entry->d_name;
      if (found == name) {
        break; // an exact match wins over another spelling
      }
    }
  }
  closedir(dir);
  return found;
}

std::string ReadSmallFile(const std::string& path)
{
  std::ifstream in(path);
  std::string text;
  std::getline(in, text);
  return text;
}

// The file-system name for a libblkid TYPE and VERSION.
std::string FileSystemName(const std::string& type, const std::string& version)
{
  if (type == "vfat" || type == "msdos") {
    return version == "FAT32" ? "FAT32" : "FAT";
  }
  if (type == "exfat") {
    return "exFAT";
  }
  if (type == "ntfs") {
    return "NTFS";
  }
  if (type == "iso9660" || type == "udf") {
    return "CDFS";
  }
  return type;
}

std::uint32_t SerialFromUuid(const std::string& uuid)
{
  std::string digits;
  for (char c : uuid) {
    if (std::isxdigit(static_cast<unsigned char>(c))) {
      digits += c;
    }
  }
  if (digits.empty()) {
    return 0;
  }
  if (digits.size() > 8) {
    digits.erase(0, digits.size() - 8);
  }
  return static_cast<std::uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
}

class Probe
{
public:
  explicit Probe(const std::string& device) : m_probe(blkid_new_probe_from_filename(device.c_str()))
  {
  }
  ~Probe()
  {
    if (m_probe) {
      blkid_free_probe(m_probe);
    }
  }
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;
  blkid_probe Get() const { return m_probe; }
  std::string Value(const char* name) const
  {
    const char* data = nullptr;
    std::size_t length = 0;
    if (blkid_probe_lookup_value(m_probe, name, &data, &length) != 0 || !data) {
      return {};
    }
    return std::string(data, strnlen(data, length));
  }

private:
  blkid_probe m_probe;
};

} // namespace

bool IsDosShortName(std::string_view name)
{
  const auto dot = name.find('.');
  const std::string_view base = name.substr(0, dot);
  const std::string_view extension =
      dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || extension.size() > 3 ||
      (dot != std::string_view::npos && extension.empty())) {
    return false;
  }
  const auto valid = [](std::string_view part) {
    return std::all_of(part.begin(), part.end(),
                       [](char c) { return IsDosNameCharacter(static_cast<unsigned char>(c)); });
  };
  return valid(base) && valid(extension);
}

int DosPathFromLinux(const std::string& linuxPath, std::string& dosPath)
{
  if (linuxPath.empty()) {
    return kErrorInvalidParameter;
  }
  const fs::path root = Resolved(SystemRootFolder());
  const fs::path path = Resolved(linuxPath);
  const fs::path relative = path.lexically_relative(root);
  if (relative.empty() || *relative.begin() == "..") {
    return kErrorBadPathname;
  }
  std::string dos = "C:\\";
  for (const auto& part : relative) {
    const std::string name = part.string();
    if (name.empty() || name == ".") {
      continue;
    }
    if (!IsDosShortName(name)) {
      return kErrorInvalidName;
    }
    if (dos.size() > 3) {
      dos += '\\';
    }
    for (char c : name) {
      dos += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  dosPath = dos;
  return kErrorSuccess;
}

int LinuxPathFromDos(const std::string& dosPath, std::string& linuxPath)
{
  if (dosPath.size() < 3 || std::toupper(static_cast<unsigned char>(dosPath[0])) != 'C' ||
      dosPath[1] != ':' || (dosPath[2] != '\\' && dosPath[2] != '/')) {
    return kErrorBadPathname;
  }
  std::vector<std::string> parts;
  for (auto& part : SplitDosPath(std::string_view(dosPath).substr(3))) {
    if (part == ".") {
      continue;
    }
    if (part == "..") {
      if (parts.empty()) {
        return kErrorBadPathname;
      }
      parts.pop_back();
      continue;
    }
    parts.push_back(std::move(part));
  }
  std::string path = SystemRootFolder();
  bool exists = true;
  for (const auto& part : parts) {
    std::string name = exists ? FindIgnoringCase(path, part) : std::string();
    if (name.empty()) {
      exists = false;
      name = part;
    }
    path += (path == "/" ? "" : "/") + name;
  }
  linuxPath = path;
  return kErrorSuccess;
}

int FindFloppyDevice(std::string& device)
{
  const char* configured = std::getenv("HALVEX_FLOPPY");
  if (configured && *configured) {
    struct stat info
    {
    };
    if (stat(configured, &info) != 0) {
      return errno == ENOENT || errno == ENOTDIR ? kErrorFileNotFound : ErrorFromErrno(errno);
    }
    if (!S_ISREG(info.st_mode) && !S_ISBLK(info.st_mode)) {
      return kErrorInvalidParameter;
    }
    device = configured;
    return kErrorSuccess;
  }
  return FindRemovableFatDevice("/sys/block", "/dev", device);
}

int FindRemovableFatDevice(const std::string& sysBlockFolder, const std::string& deviceFolder,
                           std::string& device)
{
  std::error_code error;
  std::vector<std::string> disks;
  for (const auto& entry : fs::directory_iterator(sysBlockFolder, error)) {
    disks.push_back(entry.path().filename().string());
  }
  std::sort(disks.begin(), disks.end());
  for (const auto& disk : disks) {
    const std::string folder = sysBlockFolder + "/" + disk;
    if (ReadSmallFile(folder + "/removable") != "1" || ReadSmallFile(folder + "/size") == "0") {
      continue;
    }
    std::vector<std::string> candidates;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
      if (fs::exists(entry.path() / "partition", error)) {
        candidates.push_back(entry.path().filename().string());
      }
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.push_back(disk);
    for (const auto& name : candidates) {
      VolumeInformation info;
      const std::string path = deviceFolder + "/" + name;
      if (GetVolumeInformation(path, info) == kErrorSuccess &&
          IsFatFileSystemName(info.fileSystemName)) {
        device = path;
        return kErrorSuccess;
      }
    }
  }
  return kErrorFileNotFound;
}

int GetVolumeInformation(const std::string& device, VolumeInformation& info)
{
  if (device.empty()) {
    return kErrorInvalidParameter;
  }
  errno = 0;
  Probe probe(device);
  if (!probe.Get()) {
    return errno == EACCES || errno == EPERM ? kErrorAccessDenied : kErrorNotReady;
  }
  blkid_probe_enable_superblocks(probe.Get(), 1);
  blkid_probe_set_superblocks_flags(probe.Get(), BLKID_SUBLKS_TYPE | BLKID_SUBLKS_UUID |
                                                     BLKID_SUBLKS_LABEL | BLKID_SUBLKS_VERSION);
  const int found = blkid_do_safeprobe(probe.Get());
  if (found < 0 && found != -2) {
    return kErrorNotReady;
  }
  const std::string type = probe.Value("TYPE");
  if (found != 0 || type.empty()) {
    return kErrorUnrecognizedVolume;
  }
  info.fileSystemName = FileSystemName(type, probe.Value("VERSION"));
  info.serialNumber = SerialFromUuid(probe.Value("UUID"));
  info.label = probe.Value("LABEL");
  return kErrorSuccess;
}

bool IsFatFileSystemName(std::string_view name)
{
  for (const char* fat : {"FAT", "FAT16", "FAT32"}) {
    if (name.size() == std::strlen(fat) && strncasecmp(name.data(), fat, name.size()) == 0) {
      return true;
    }
  }
  return false;
}

int GetFolderFileSystemName(const std::string& folder, std::string& name)
{
  if (folder.empty()) {
    return kErrorInvalidParameter;
  }
  struct statfs info
  {
  };
  if (statfs(folder.c_str(), &info) != 0) {
    return ErrorFromErrno(errno);
  }
  struct Known
  {
    unsigned long magic;
    const char* name;
  };
  static constexpr Known known[] = {
      {MSDOS_SUPER_MAGIC, "FAT"},
      {EXFAT_SUPER_MAGIC, "exFAT"},
      {EXT4_SUPER_MAGIC, "ext2/3/4"},
      {BTRFS_SUPER_MAGIC, "btrfs"},
      {XFS_SUPER_MAGIC, "xfs"},
      {TMPFS_MAGIC, "tmpfs"},
      {OVERLAYFS_SUPER_MAGIC, "overlay"},
      {NFS_SUPER_MAGIC, "nfs"},
      {FUSE_SUPER_MAGIC, "fuse"},
      {ISOFS_SUPER_MAGIC, "iso9660"},
      {0x5346544e, "NTFS"}, // ntfs3 and ntfs-3g over fuseblk report fuse
  };
  const auto magic = static_cast<unsigned long>(info.f_type);
  for (const auto& entry : known) {
    if (entry.magic == magic) {
      name = entry.name;
      return kErrorSuccess;
    }
  }
  char hex[24];
  std::snprintf(hex, sizeof hex, "0x%lx", magic);
  name = hex;
  return kErrorSuccess;
}

} // namespace platform
