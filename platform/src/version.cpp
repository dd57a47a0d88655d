// Reads the ".halvex_version" section from an ELF file. The file is untrusted: every offset
// and size is checked against the file's length before it is read.
#include "platform/version.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace platform {

namespace {

constexpr char kSectionName[] = ".halvex_version";
constexpr char kMagic[8] = {'H', 'L', 'V', 'X', 'V', 'E', 'R', '\0'};
constexpr std::uint64_t kNoteSize = sizeof(kMagic) + 4 * sizeof(std::uint16_t);

class FileReader
{
public:
  explicit FileReader(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC))
  {
    struct stat info
    {
    };
    if (fd_ >= 0 && fstat(fd_, &info) == 0 && S_ISREG(info.st_mode))
      size_ = static_cast<std::uint64_t>(info.st_size);
  }
  ~FileReader()
  {
    if (fd_ >= 0)
      close(fd_);
  }
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  // True only when [offset, offset + length) lies inside the file and was read whole.
  bool Read(std::uint64_t offset, void* out, std::uint64_t length) const
  {
    if (fd_ < 0 || !Holds(offset, length))
      return false;
    auto* bytes = static_cast<char*>(out);
    while (length > 0) {
      const ssize_t got = pread(fd_, bytes, length, static_cast<off_t>(offset));
      if (got <= 0)
        return false;
      bytes += got;
      offset += static_cast<std::uint64_t>(got);
      length -= static_cast<std::uint64_t>(got);
    }
    return true;
  }

  std::uint64_t Size() const { return size_; }

  // True when [offset, offset + length) lies inside the file, without overflow.
  bool Holds(std::uint64_t offset, std::uint64_t length) const
  {
    return offset <= size_ && length <= size_ - offset;
  }

private:
  int fd_;
  std::uint64_t size_ = 0;
};

std::uint16_t LittleEndian16(const unsigned char* bytes)
{
  return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

// Walks the section headers of one ELF class (Ehdr/Shdr pair) to find our section.
template <typename Ehdr, typename Shdr>
std::optional<FileVersion> ReadSection(const FileReader& file)
{
  Ehdr header{};
  if (!file.Read(0, &header, sizeof header) || header.e_shoff == 0 ||
      header.e_shentsize != sizeof(Shdr))
    return std::nullopt;

  // With many sections, the count and the name table index live in section 0.
  std::uint64_t count = header.e_shnum;
  std::uint64_t namesIndex = header.e_shstrndx;
  if (count == 0 || namesIndex == SHN_XINDEX) {
    Shdr first{};
    if (!file.Read(header.e_shoff, &first, sizeof first))
      return std::nullopt;
    if (count == 0)
      count = first.sh_size;
    if (namesIndex == SHN_XINDEX)
      namesIndex = first.sh_link;
  }
  // The whole table must lie in the file; this also keeps every offset below from overflowing.
  if (namesIndex >= count || header.e_shoff > file.Size() ||
      count > (file.Size() - header.e_shoff) / sizeof(Shdr))
    return std::nullopt;

  const auto sectionAt = [&](std::uint64_t index, Shdr& out) {
    return index < count && file.Read(header.e_shoff + index * sizeof(Shdr), &out, sizeof out);
  };
  Shdr names{};
  if (!sectionAt(namesIndex, names) || names.sh_type == SHT_NOBITS ||
      !file.Holds(names.sh_offset, names.sh_size))
    return std::nullopt;

  constexpr std::uint64_t nameLength = sizeof kSectionName; // including the NUL
  for (std::uint64_t index = 0; index < count; ++index) {
    Shdr section{};
    if (!sectionAt(index, section))
      return std::nullopt;
    if (section.sh_name >= names.sh_size || names.sh_size - section.sh_name < nameLength)
      continue;
    char name[nameLength];
    if (!file.Read(names.sh_offset + section.sh_name, name, nameLength))
      return std::nullopt;
    if (std::memcmp(name, kSectionName, nameLength) != 0)
      continue;
    unsigned char note[kNoteSize];
    if (section.sh_type == SHT_NOBITS || section.sh_size < kNoteSize ||
        !file.Read(section.sh_offset, note, kNoteSize) ||
        std::memcmp(note, kMagic, sizeof kMagic) != 0)
      return std::nullopt;
    FileVersion version{};
    for (std::size_t field = 0; field < version.size(); ++field)
      version[field] = LittleEndian16(note + sizeof kMagic + 2 * field);
    return version;
  }
  return std::nullopt;
}

} // namespace

std::optional<FileVersion> ReadFileVersion(const std::string& path)
{
  FileReader file(path);
  unsigned char ident[EI_NIDENT];
  if (!file.Read(0, ident, sizeof ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0 ||
      ident[EI_DATA] != ELFDATA2LSB)
    return std::nullopt;
  if (ident[EI_CLASS] == ELFCLASS64)
    return ReadSection<Elf64_Ehdr, Elf64_Shdr>(file);
  if (ident[EI_CLASS] == ELFCLASS32)
    return ReadSection<Elf32_Ehdr, Elf32_Shdr>(file);
  return std::nullopt;
}

std::string FormatFileVersion(const std::optional<FileVersion>& version)
{
  if (!version)
    return "none";
  return std::to_string((*version)[0]) + "." + std::to_string((*version)[1]) + "." +
         std::to_string((*version)[2]) + "." + std::to_string((*version)[3]);
}

} // namespace platform
