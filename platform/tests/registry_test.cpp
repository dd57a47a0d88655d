// Registry semantics on a real SQLite file: names, order, types, sizes and error codes.
#include "platform/registry.h"

#include "registry_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <stdexcept>
#include <thread>

using namespace platform;

namespace {

class RegistryTest : public ::testing::Test
{
protected:
  TempFolder m_folder;
  ConnectedRoot m_root{m_folder.File("registry.db")};

  HKEY Create(const char* path, DWORD* disposition = nullptr)
  {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(m_root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                             nullptr, &key, disposition),
              ERROR_SUCCESS)
        << path;
    return key;
  }
};

TEST_F(RegistryTest, CreateThenOpenIgnoringCaseKeepsCreatedCase)
{
  ASSERT_EQ(m_root.Result(), ERROR_SUCCESS);
  DWORD disposition = 0;
  HKEY created = Create("SOFTWARE\\Orvane\\Halvex", &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  HKEY again = Create("software\\ORVANE\\halvex\\", &disposition);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyEx(m_root, "SoftWare\\orvane", 0, KEY_READ, &opened), ERROR_SUCCESS);
  EXPECT_EQ(SubKeyNames(opened), std::vector<std::string>{"Halvex"});
  EXPECT_EQ(RegCloseKey(opened), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(again), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(created), ERROR_SUCCESS);
}

TEST_F(RegistryTest, OpenReportsErrorCodes)
{
  struct Case
  {
    const char* path;
    LONG expected;
  };
  Create("A\\B");
  const Case cases[] = {
      {"A", ERROR_SUCCESS},
      {"a\\b", ERROR_SUCCESS},
      {"A\\C", ERROR_FILE_NOT_FOUND},
      {"Missing", ERROR_FILE_NOT_FOUND},
      {"A\\\\B", ERROR_INVALID_PARAMETER},
      {"\\A", ERROR_INVALID_PARAMETER},
      {"A\nB", ERROR_INVALID_PARAMETER},
      {"", ERROR_SUCCESS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(m_root, c.path, 0, KEY_READ, &key), c.expected);
    if (c.expected == ERROR_SUCCESS) {
      EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    }
  }
  std::string tooLong(kMaxKeyNameLength + 1, 'x');
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyEx(m_root, tooLong.c_str(), 0, KEY_READ, &key), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyEx(m_root, "A", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, InvalidHandlesAreRefused)
{
  HKEY key = Create("Doomed");
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  DWORD value = 0;
  EXPECT_EQ(GetDword(key, "x", value), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SetDword(key, "x", 1), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegFlushKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SetDword(nullptr, "x", 1), ERROR_INVALID_HANDLE);
  auto* bogus = reinterpret_cast<HKEY>(std::uintptr_t{0x12345678});
  EXPECT_EQ(RegDeleteValue(bogus, "x"), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, StringValueKeepsItsNulAndSizeQueryComesFirst)
{
  HKEY key = Create("Strings");
  ASSERT_EQ(SetString(key, "Folder", "/opt/halvex"), ERROR_SUCCESS);

  DWORD type = 0;
  DWORD size = 0;
  ASSERT_EQ(RegQueryValueEx(key, "FOLDER", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, std::strlen("/opt/halvex") + 1);

  // One byte short: more data, with the size needed, and nothing else lost.
  std::vector<BYTE> buffer(size - 1, 0xEE);
  DWORD shortSize = size - 1;
  EXPECT_EQ(RegQueryValueEx(key, "Folder", nullptr, nullptr, buffer.data(), &shortSize),
            ERROR_MORE_DATA);
  EXPECT_EQ(shortSize, size);

  buffer.assign(size + 10, 0xEE);
  DWORD bigSize = static_cast<DWORD>(buffer.size());
  ASSERT_EQ(RegQueryValueEx(key, "folder", nullptr, nullptr, buffer.data(), &bigSize),
            ERROR_SUCCESS);
  EXPECT_EQ(bigSize, size);
  EXPECT_STREQ(reinterpret_cast<const char*>(buffer.data()), "/opt/halvex");
  EXPECT_EQ(buffer[size], 0xEE);

  EXPECT_EQ(RegQueryValueEx(key, "Folder", nullptr, nullptr, buffer.data(), nullptr),
            ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
}

TEST_F(RegistryTest, EveryTypeRoundTrips)
{
  HKEY key = Create("Types");
  const std::string multi("one\0two\0\0", 9);
  const BYTE binary[] = {0x00, 0xFF, 0x10, 0x80};
  const DWORD dword = 0xDEADBEEF;
  struct Case
  {
    const char* name;
    DWORD type;
    std::string bytes;
  };
  const Case cases[] = {
      {"sz", REG_SZ, std::string("text\0", 5)},
      {"expand", REG_EXPAND_SZ, std::string("%HOME%/x\0", 9)},
      {"multi", REG_MULTI_SZ, multi},
      {"binary", REG_BINARY, std::string(reinterpret_cast<const char*>(binary), sizeof binary)},
      {"dword", REG_DWORD, std::string(reinterpret_cast<const char*>(&dword), sizeof dword)},
      {"empty", REG_BINARY, std::string()},
      {"", REG_SZ, std::string("default\0", 8)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(RegSetValueEx(key, c.name, 0, c.type, reinterpret_cast<const BYTE*>(c.bytes.data()),
                            static_cast<DWORD>(c.bytes.size())),
              ERROR_SUCCESS);
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DWORD type = 99;
    BYTE buffer[64] = {};
    DWORD size = sizeof buffer;
    ASSERT_EQ(RegQueryValueEx(key, c.name, nullptr, &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer), size), c.bytes);
  }
  // A null name is the default value.
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueEx(key, nullptr, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(RegSetValueEx(key, "bad", 0, REG_BINARY, nullptr, 3), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueEx(key, "line\nbreak", 0, REG_BINARY, binary, 1), ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
}

TEST_F(RegistryTest, EnumerationIsInNameOrderIgnoringCase)
{
  HKEY key = Create("Order");
  for (const char* name : {"delta", "Alpha", "charlie", "BRAVO"}) {
    HKEY child = nullptr;
    ASSERT_EQ(RegCreateKeyEx(key, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(child);
    ASSERT_EQ(SetDword(key, name, 1), ERROR_SUCCESS);
  }
  const std::vector<std::string> expected{"Alpha", "BRAVO", "charlie", "delta"};
  EXPECT_EQ(SubKeyNames(key), expected);
  EXPECT_EQ(ValueNames(key), expected);

  char name[256];
  DWORD nameSize = sizeof name;
  EXPECT_EQ(RegEnumKeyEx(key, 4, name, &nameSize, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  nameSize = sizeof name;
  EXPECT_EQ(RegEnumValue(key, 4, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  // A name buffer that cannot hold the name and its NUL.
  nameSize = 5;
  EXPECT_EQ(RegEnumKeyEx(key, 0, name, &nameSize, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  nameSize = 6;
  EXPECT_EQ(RegEnumKeyEx(key, 0, name, &nameSize, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(nameSize, 5u);
  EXPECT_STREQ(name, "Alpha");

  // Value data by enumeration follows the size rules of a query.
  BYTE data[2];
  DWORD dataSize = sizeof data;
  DWORD type = 0;
  nameSize = sizeof name;
  EXPECT_EQ(RegEnumValue(key, 1, name, &nameSize, nullptr, &type, data, &dataSize),
            ERROR_MORE_DATA);
  EXPECT_EQ(dataSize, 4u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, ValueNamesKeepTheirFirstCase)
{
  HKEY key = Create("Case");
  ASSERT_EQ(SetDword(key, "LoggingLevel", 1), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, "LOGGINGLEVEL", 3), ERROR_SUCCESS);
  EXPECT_EQ(ValueNames(key), std::vector<std::string>{"LoggingLevel"});
  DWORD value = 0;
  ASSERT_EQ(GetDword(key, "logginglevel", value), ERROR_SUCCESS);
  EXPECT_EQ(value, 3u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, DeleteValueKeyAndTree)
{
  HKEY key = Create("Del\\Child\\Grandchild");
  ASSERT_EQ(SetDword(key, "v", 1), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValue(key, "V"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValue(key, "V"), ERROR_FILE_NOT_FOUND);

  EXPECT_EQ(RegDeleteKey(m_root, "Del\\Child"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKey(m_root, "Del\\Child\\Grandchild"), ERROR_SUCCESS);
  // The handle outlives its key.
  EXPECT_EQ(SetDword(key, "v", 1), ERROR_KEY_DELETED);
  DWORD value = 0;
  EXPECT_EQ(GetDword(key, "v", value), ERROR_KEY_DELETED);
  RegCloseKey(key);

  key = Create("Del\\Child\\Again\\Deeper");
  ASSERT_EQ(SetDword(key, "v", 1), ERROR_SUCCESS);
  RegCloseKey(key);
  HKEY del = Create("Del");
  ASSERT_EQ(SetDword(del, "kept", 7), ERROR_SUCCESS);
  // A null sub-key empties the key: its sub-keys and values go, the key stays.
  EXPECT_EQ(RegDeleteTree(del, nullptr), ERROR_SUCCESS);
  EXPECT_TRUE(SubKeyNames(del).empty());
  EXPECT_TRUE(ValueNames(del).empty());
  RegCloseKey(del);

  Create("Del\\X\\Y");
  EXPECT_EQ(RegDeleteTree(m_root, "DEL"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteTree(m_root, "Del"), ERROR_FILE_NOT_FOUND);
  HKEY gone = nullptr;
  EXPECT_EQ(RegOpenKeyEx(m_root, "Del\\X", 0, KEY_READ, &gone), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKey(m_root, ""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKey(m_root, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, ReadOnlyHandleCannotWrite)
{
  Create("Guarded");
  HKEY reader = nullptr;
  ASSERT_EQ(RegOpenKeyEx(m_root, "Guarded", 0, KEY_READ, &reader), ERROR_SUCCESS);
  EXPECT_EQ(SetDword(reader, "v", 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValue(reader, "v"), ERROR_ACCESS_DENIED);
  HKEY child = nullptr;
  EXPECT_EQ(RegCreateKeyEx(reader, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
            ERROR_ACCESS_DENIED);
  RegCloseKey(reader);
}

TEST_F(RegistryTest, TransactionIsAllOrNothing)
{
  HKEY key = Create("Tx");
  LONG result = RegRunTransaction(key, [&] {
    SetDword(key, "first", 1);
    SetDword(key, "second", 2);
    return ERROR_INVALID_PARAMETER;
  });
  EXPECT_EQ(result, ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(ValueNames(key).empty());

  result = RegRunTransaction(key, [&] {
    SetDword(key, "first", 1);
    return SetDword(key, "second", 2);
  });
  EXPECT_EQ(result, ERROR_SUCCESS);
  EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"first", "second"}));

  // A failing inner transaction undoes only its own part.
  result = RegRunTransaction(key, [&] {
    SetDword(key, "outer", 1);
    LONG inner = RegRunTransaction(key, [&] {
      SetDword(key, "inner", 1);
      return ERROR_ACCESS_DENIED;
    });
    EXPECT_EQ(inner, ERROR_ACCESS_DENIED);
    return ERROR_SUCCESS;
  });
  EXPECT_EQ(result, ERROR_SUCCESS);
  EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"first", "outer", "second"}));

  // An exception thrown by the body does not escape, and nothing of the body stays.
  result = RegRunTransaction(key, [&]() -> LONG {
    SetDword(key, "thrown", 1);
    throw std::runtime_error("body failed");
  });
  EXPECT_EQ(result, ERROR_INVALID_PARAMETER);
  EXPECT_EQ(ValueNames(key).size(), 3u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, ThreadsShareTheFileSafely)
{
  HKEY key = Create("Threads");
  constexpr int kThreads = 4;
  constexpr int kWrites = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([key, t] {
      for (int i = 0; i < kWrites; ++i) {
        std::string name = "t" + std::to_string(t) + "_" + std::to_string(i);
        EXPECT_EQ(SetDword(key, name.c_str(), static_cast<DWORD>(i)), ERROR_SUCCESS);
      }
    });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(ValueNames(key).size(), static_cast<std::size_t>(kThreads * kWrites));
  RegCloseKey(key);
}

TEST(RegistryDefaultFileTest, FollowsTheEnvironment)
{
  TempFolder folder;
  std::string first = folder.File("nested/first.db");
  std::string second = folder.File("second.db");
  setenv("HALVEX_REGISTRY", first.c_str(), 1);
  EXPECT_EQ(RegDefaultFile(), first);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Env", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                           nullptr),
            ERROR_SUCCESS);
  EXPECT_TRUE(std::filesystem::exists(first));
  RegCloseKey(key);

  setenv("HALVEX_REGISTRY", second.c_str(), 1);
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Env", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  unsetenv("HALVEX_REGISTRY");

  setenv("XDG_DATA_HOME", folder.Path().c_str(), 1);
  EXPECT_EQ(RegDefaultFile(), folder.File("halvex/registry.db"));
  setenv("XDG_DATA_HOME", (folder.Path() + "/").c_str(), 1);
  EXPECT_EQ(RegDefaultFile(), folder.File("halvex/registry.db"));
  std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("HOME", "/home/someone", 1);
  // A relative data folder would name another file in every working folder: it is ignored.
  setenv("XDG_DATA_HOME", "relative/data", 1);
  EXPECT_EQ(RegDefaultFile(), "/home/someone/.local/share/halvex/registry.db");
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(RegDefaultFile(), "/home/someone/.local/share/halvex/registry.db");
  setenv("HOME", home.c_str(), 1);
}

TEST(RegistryFileTest, RootsAreSeparate)
{
  TempFolder folder;
  ConnectedRoot machine(folder.File("r.db"), HKEY_LOCAL_MACHINE);
  ConnectedRoot user(folder.File("r.db"), HKEY_CURRENT_USER);
  ASSERT_EQ(SetDword(machine, "where", 1), ERROR_SUCCESS);
  DWORD value = 0;
  EXPECT_EQ(GetDword(user, "where", value), ERROR_FILE_NOT_FOUND);
  HKEY bad = nullptr;
  EXPECT_EQ(
      RegConnectRegistryFile(folder.File("r.db"), reinterpret_cast<HKEY>(std::uintptr_t{8}), &bad),
      ERROR_INVALID_PARAMETER);
}

} // namespace
