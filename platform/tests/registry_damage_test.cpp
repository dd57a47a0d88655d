// Files that are not registries, or damaged ones, give errors and never crash.
#include "platform/registry.h"

#include "registry_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <sqlite3.h>

using namespace platform;

namespace {

std::string ReadBytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// A registry with a few hundred keys and values, closed so that everything is in the main file.
std::string MakeRegistry(const TempFolder& folder)
{
  std::string file = folder.File("good.db");
  ConnectedRoot root(file);
  EXPECT_EQ(root.Result(), ERROR_SUCCESS);
  for (int k = 0; k < 40; ++k) {
    HKEY key = nullptr;
    std::string path = "SOFTWARE\\Key" + std::to_string(k) + "\\Sub";
    EXPECT_EQ(
        RegCreateKeyEx(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    for (int v = 0; v < 8; ++v) {
      std::string name = "Value" + std::to_string(v);
      EXPECT_EQ(SetString(key, name.c_str(), std::string(20 + v * 30, static_cast<char>('a' + v))),
                ERROR_SUCCESS);
    }
    RegCloseKey(key);
  }
  return file;
}

// Opens the file and reads everything in it; returns every code seen.
std::set<LONG> Exercise(const std::string& file)
{
  std::set<LONG> codes;
  HKEY root = nullptr;
  LONG result = RegConnectRegistryFile(file, HKEY_LOCAL_MACHINE, &root);
  codes.insert(result);
  if (result != ERROR_SUCCESS) {
    return codes;
  }
  HKEY software = nullptr;
  result = RegOpenKeyEx(root, "SOFTWARE", 0, KEY_ALL_ACCESS, &software);
  codes.insert(result);
  if (result == ERROR_SUCCESS) {
    for (DWORD i = 0; i < 64; ++i) {
      char name[256];
      DWORD size = sizeof name;
      result = RegEnumKeyEx(software, i, name, &size, nullptr, nullptr, nullptr);
      codes.insert(result);
      if (result != ERROR_SUCCESS) {
        break;
      }
      std::string path = std::string(name) + "\\Sub";
      HKEY sub = nullptr;
      result = RegOpenKeyEx(software, path.c_str(), 0, KEY_ALL_ACCESS, &sub);
      codes.insert(result);
      if (result == ERROR_SUCCESS) {
        for (DWORD v = 0; v < 16; ++v) {
          char valueName[64];
          DWORD valueSize = sizeof valueName;
          BYTE data[512];
          DWORD dataSize = sizeof data;
          result = RegEnumValue(sub, v, valueName, &valueSize, nullptr, nullptr, data, &dataSize);
          codes.insert(result);
          if (result != ERROR_SUCCESS) {
            break;
          }
        }
        codes.insert(SetDword(sub, "written", 1));
        RegCloseKey(sub);
      }
    }
    codes.insert(RegDeleteTree(software, "Key3"));
    RegCloseKey(software);
  }
  RegCloseKey(root);
  return codes;
}

TEST(RegistryDamageTest, ForeignFilesAreNotRegistries)
{
  TempFolder folder;
  struct Case
  {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"text.db", "[HKEY_LOCAL_MACHINE]\nthis is a text file, not a registry\n"},
      {"short.db", "SQLite"},
      {"zeros.db", std::string(4096, '\0')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string file = folder.File(c.name);
    WriteBytes(file, c.bytes);
    HKEY root = nullptr;
    EXPECT_EQ(RegConnectRegistryFile(file, HKEY_LOCAL_MACHINE, &root), ERROR_BADDB);
    EXPECT_NE(RegLastErrorDetail().find("not a registry file"), std::string::npos)
        << RegLastErrorDetail();
    EXPECT_EQ(ReadBytes(file), c.bytes); // left as it was
  }

  // A folder in the file's place.
  std::filesystem::create_directory(folder.File("folder.db"));
  HKEY root = nullptr;
  EXPECT_EQ(RegConnectRegistryFile(folder.File("folder.db"), HKEY_LOCAL_MACHINE, &root),
            ERROR_BADDB);
}

TEST(RegistryDamageTest, OtherSqliteDatabasesAreRefused)
{
  TempFolder folder;
  std::string file = folder.File("other.db");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE notes(text TEXT)", nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  HKEY root = nullptr;
  EXPECT_EQ(RegConnectRegistryFile(file, HKEY_LOCAL_MACHINE, &root), ERROR_BADDB);
  EXPECT_NE(RegLastErrorDetail().find("another kind"), std::string::npos) << RegLastErrorDetail();

  // A registry whose tables were taken away.
  std::string registry = folder.File("broken.db");
  {
    ConnectedRoot made(registry);
    ASSERT_EQ(made.Result(), ERROR_SUCCESS);
  }
  ASSERT_EQ(sqlite3_open(registry.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "DROP TABLE vals", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  EXPECT_EQ(RegConnectRegistryFile(registry, HKEY_LOCAL_MACHINE, &root), ERROR_BADDB);
  EXPECT_NE(RegLastErrorDetail().find("damaged"), std::string::npos) << RegLastErrorDetail();
}

TEST(RegistryDamageTest, HeaderDamageIsReported)
{
  TempFolder folder;
  const std::string good = ReadBytes(MakeRegistry(folder));
  ASSERT_GT(good.size(), 4096u);
  // Offsets: the magic text, the page size, the application id.
  for (std::size_t offset : {0u, 5u, 16u, 68u, 69u}) {
    SCOPED_TRACE(offset);
    std::string bad = good;
    bad[offset] = static_cast<char>(bad[offset] ^ 0x5A);
    std::string file = folder.File("header" + std::to_string(offset) + ".db");
    WriteBytes(file, bad);
    std::set<LONG> codes = Exercise(file);
    EXPECT_EQ(codes, std::set<LONG>{ERROR_BADDB});
  }
}

// Damage anywhere: text bytes inside values may change unnoticed (the store keeps no checksums),
// but nothing crashes and every call answers with a registry code.
TEST(RegistryDamageTest, FlippedBytesNeverCrash)
{
  TempFolder folder;
  const std::string good = ReadBytes(MakeRegistry(folder));
  std::mt19937 random(7);
  std::uniform_int_distribution<std::size_t> offset(0, good.size() - 1);
  const std::set<LONG> allowed{ERROR_SUCCESS,      ERROR_FILE_NOT_FOUND, ERROR_NO_MORE_ITEMS,
                               ERROR_BADDB,        ERROR_MORE_DATA,      ERROR_KEY_DELETED,
                               ERROR_ACCESS_DENIED};
  constexpr int kRounds = 60;
  for (int round = 0; round < kRounds; ++round) {
    std::string bad = good;
    std::size_t at = offset(random);
    for (std::size_t i = at; i < std::min(at + 8, bad.size()); ++i) {
      bad[i] = static_cast<char>(~bad[i]);
    }
    SCOPED_TRACE(at);
    std::string file = folder.File("flip" + std::to_string(round) + ".db");
    WriteBytes(file, bad);
    for (LONG code : Exercise(file)) {
      EXPECT_TRUE(allowed.count(code) == 1) << "code " << code;
    }
  }
}

// Damage to the structure of any page in use is noticed when the file is opened.
TEST(RegistryDamageTest, PageDamageIsReported)
{
  TempFolder folder;
  const std::string good = ReadBytes(MakeRegistry(folder));
  const std::size_t pageSize =
      (static_cast<unsigned char>(good[16]) << 8) | static_cast<unsigned char>(good[17]);
  ASSERT_GE(pageSize, 512u);
  for (std::size_t page = 1; page < good.size() / pageSize; ++page) {
    SCOPED_TRACE(page);
    std::string bad = good;
    // The b-tree page header: page type, first free block, cell count.
    for (std::size_t i = 0; i < 5; ++i) {
      bad[page * pageSize + i] = static_cast<char>(~bad[page * pageSize + i]);
    }
    std::string file = folder.File("page" + std::to_string(page) + ".db");
    WriteBytes(file, bad);
    EXPECT_EQ(Exercise(file).count(ERROR_BADDB), 1u);
  }
}

TEST(RegistryDamageTest, TruncatedFileIsReported)
{
  TempFolder folder;
  const std::string good = ReadBytes(MakeRegistry(folder));
  std::string file = folder.File("truncated.db");
  WriteBytes(file, good.substr(0, good.size() / 2));
  std::set<LONG> codes = Exercise(file);
  EXPECT_EQ(codes.count(ERROR_BADDB), 1u);
}

} // namespace
