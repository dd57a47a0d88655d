#include "platform/modules.h"
#include "platform/version.h"

#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <elf.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<char>;

Bytes ReadBytes(const fs::path& path)
{
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

class VersionTest : public ::testing::Test
{
protected:
  testsupport::TempFolder m_temp;
  void SetUp() override { folder_ = m_temp.Path(); }

  fs::path Write(const std::string& name, const Bytes& bytes)
  {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  fs::path folder_;
};

fs::path BuiltModule()
{
  return fs::path(platform::ProgramFolder()) / "CountingModule.so";
}

template <typename T> void Put(Bytes& bytes, std::size_t offset, const T& value)
{
  if (bytes.size() < offset + sizeof value)
    bytes.resize(offset + sizeof value);
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

// A minimal ELF file of one class: header, name table, version section, section headers
// [null, .shstrtab, .halvex_version].
template <typename Ehdr, typename Shdr>
Bytes MakeElf(unsigned char elfClass, const char* sectionName, const char* magic,
              std::uint16_t (&fields)[4])
{
  Bytes bytes(sizeof(Ehdr), 0);
  const std::string names = std::string("\0.shstrtab\0", 11) + sectionName + '\0';
  const std::size_t namesOffset = bytes.size();
  bytes.insert(bytes.end(), names.begin(), names.end());
  const std::size_t noteOffset = bytes.size();
  bytes.insert(bytes.end(), magic, magic + 8);
  for (std::uint16_t field : fields) {
    bytes.push_back(static_cast<char>(field & 0xFF));
    bytes.push_back(static_cast<char>(field >> 8));
  }
  const std::size_t tableOffset = bytes.size();

  Shdr sections[3]{};
  sections[1].sh_name = 1;
  sections[1].sh_type = SHT_STRTAB;
  sections[1].sh_offset = namesOffset;
  sections[1].sh_size = names.size();
  sections[2].sh_name = 11;
  sections[2].sh_type = SHT_PROGBITS;
  sections[2].sh_offset = noteOffset;
  sections[2].sh_size = 16;
  for (int i = 0; i < 3; ++i)
    Put(bytes, tableOffset + i * sizeof(Shdr), sections[i]);

  Ehdr header{};
  std::memcpy(header.e_ident, ELFMAG, SELFMAG);
  header.e_ident[EI_CLASS] = elfClass;
  header.e_ident[EI_DATA] = ELFDATA2LSB;
  header.e_ident[EI_VERSION] = EV_CURRENT;
  header.e_type = ET_DYN;
  header.e_ehsize = sizeof(Ehdr);
  header.e_shoff = tableOffset;
  header.e_shentsize = sizeof(Shdr);
  header.e_shnum = 3;
  header.e_shstrndx = 1;
  Put(bytes, 0, header);
  return bytes;
}

} // namespace

TEST_F(VersionTest, BuiltModuleCarriesTheProjectVersion)
{
  const auto version = platform::ReadFileVersion(BuiltModule().string());
  ASSERT_TRUE(version.has_value());
  EXPECT_EQ(platform::FormatFileVersion(version), HALVEX_TEST_VERSION);
  EXPECT_EQ(platform::FormatFileVersion(platform::ReadFileVersion(HALVEX_TEST_PLATFORM_LIBRARY)),
            HALVEX_TEST_VERSION);
}

TEST_F(VersionTest, SyntheticFilesOfBothClasses)
{
  std::uint16_t fields[4] = {1, 2, 0x1234, 65535};
  const struct
  {
    const char* label;
    Bytes bytes;
    const char* expected;
  } cases[] = {
      {"64-bit", MakeElf<Elf64_Ehdr, Elf64_Shdr>(ELFCLASS64, ".halvex_version", "HLVXVER", fields),
       "1.2.4660.65535"},
      {"32-bit", MakeElf<Elf32_Ehdr, Elf32_Shdr>(ELFCLASS32, ".halvex_version", "HLVXVER", fields),
       "1.2.4660.65535"},
      {"other section",
       MakeElf<Elf64_Ehdr, Elf64_Shdr>(ELFCLASS64, ".halvex_versio", "HLVXVER", fields), "none"},
      {"longer name",
       MakeElf<Elf64_Ehdr, Elf64_Shdr>(ELFCLASS64, ".halvex_version2", "HLVXVER", fields), "none"},
      {"bad magic",
       MakeElf<Elf32_Ehdr, Elf32_Shdr>(ELFCLASS32, ".halvex_version", "HLVXVEX", fields), "none"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(platform::FormatFileVersion(platform::ReadFileVersion(Write("f", c.bytes).string())),
              c.expected);
  }
}

TEST_F(VersionTest, FilesWithoutAVersion)
{
  const fs::path text = Write("plain.txt", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
  const fs::path empty = Write("empty", Bytes{});
  const struct
  {
    const char* label;
    std::string path;
  } cases[] = {
      {"text file", text.string()},
      {"empty file", empty.string()},
      {"missing file", (folder_ / "missing").string()},
      {"folder", folder_.string()},
      {"system library without section", "/bin/sh"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_FALSE(platform::ReadFileVersion(c.path).has_value());
    EXPECT_EQ(platform::FormatFileVersion(platform::ReadFileVersion(c.path)), "none");
  }
}

TEST_F(VersionTest, TruncatedCopiesHaveNoVersion)
{
  const Bytes whole = ReadBytes(BuiltModule());
  ASSERT_GT(whole.size(), 64u);
  // Section headers sit at the end of the file, so every cut loses part of them.
  for (std::size_t length : {std::size_t{0}, std::size_t{4}, std::size_t{63}, whole.size() / 2,
                             whole.size() - 64, whole.size() - 1}) {
    SCOPED_TRACE(length);
    const fs::path cut =
        Write("cut.so", Bytes(whole.begin(), whole.begin() + static_cast<long>(length)));
    EXPECT_FALSE(platform::ReadFileVersion(cut.string()).has_value());
  }
}

TEST_F(VersionTest, DamagedHeadersAreRejected)
{
  std::uint16_t fields[4] = {3, 4, 5, 6};
  const Bytes good =
      MakeElf<Elf64_Ehdr, Elf64_Shdr>(ELFCLASS64, ".halvex_version", "HLVXVER", fields);
  ASSERT_EQ(platform::FormatFileVersion(platform::ReadFileVersion(Write("good", good).string())),
            "3.4.5.6");
  Elf64_Ehdr header;
  std::memcpy(&header, good.data(), sizeof header);
  const std::size_t table = header.e_shoff;
  const std::size_t versionHeader = table + 2 * sizeof(Elf64_Shdr);
  const struct
  {
    const char* label;
    std::size_t offset;
    std::uint64_t value;
    std::size_t width;
  } cases[] = {
      {"table offset past the end", offsetof(Elf64_Ehdr, e_shoff), good.size(), 8},
      {"table offset wraps", offsetof(Elf64_Ehdr, e_shoff), ~std::uint64_t{0} - 8, 8},
      {"entry size", offsetof(Elf64_Ehdr, e_shentsize), 32, 2},
      {"name table index", offsetof(Elf64_Ehdr, e_shstrndx), 7, 2},
      {"section count", offsetof(Elf64_Ehdr, e_shnum), 60000, 2},
      {"name offset", versionHeader + offsetof(Elf64_Shdr, sh_name), 0xFFFFFFF0, 4},
      {"section offset", versionHeader + offsetof(Elf64_Shdr, sh_offset), ~std::uint64_t{0} - 4, 8},
      {"section too small", versionHeader + offsetof(Elf64_Shdr, sh_size), 15, 8},
      {"names offset wraps", table + sizeof(Elf64_Shdr) + offsetof(Elf64_Shdr, sh_offset),
       ~std::uint64_t{0} - 2, 8},
      {"big endian", EI_DATA, ELFDATA2MSB, 1},
      {"unknown class", EI_CLASS, 9, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Bytes damaged = good;
    std::memcpy(damaged.data() + c.offset, &c.value, c.width);
    EXPECT_FALSE(platform::ReadFileVersion(Write("damaged", damaged).string()).has_value());
  }
}
