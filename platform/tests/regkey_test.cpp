// CRegKey on a real registry file.
#include "platform/regkey.h"

#include "registry_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace platform;

namespace {

class RegKeyTest : public ::testing::Test
{
protected:
  TempFolder m_folder;
  ConnectedRoot m_root{m_folder.File("registry.db")};
};

TEST_F(RegKeyTest, FreshObjectHoldsOneBlankAndNoKey)
{
  CRegKey key;
  EXPECT_STREQ(key.GetSubKey(), " ");
  EXPECT_EQ(key.GetHandle(), nullptr);
  EXPECT_EQ(key.Flush(), ERROR_SUCCESS);
  EXPECT_EQ(key.Close(), ERROR_SUCCESS);
  EXPECT_EQ(key.Close(), ERROR_SUCCESS);
}

TEST_F(RegKeyTest, CreateWriteReadAndReopen)
{
  {
    CRegKey key;
    ASSERT_EQ(key.CreateKeyString(m_root, "SOFTWARE\\Orvane\\Halvex"), ERROR_SUCCESS);
    EXPECT_STREQ(key.GetSubKey(), "SOFTWARE\\Orvane\\Halvex");
    EXPECT_EQ(key.WriteString("InstallationFolder", "/opt/halvex"), ERROR_SUCCESS);
    EXPECT_EQ(key.WriteDword("LoggingLevel", 2), ERROR_SUCCESS);
    EXPECT_EQ(key.Flush(), ERROR_SUCCESS);
    // The destructor closes the key.
  }
  CRegKey key;
  ASSERT_EQ(key.Open(m_root, "software\\orvane\\halvex"), ERROR_SUCCESS);
  std::string folder;
  EXPECT_EQ(key.ReadString("InstallationFolder", folder), ERROR_SUCCESS);
  EXPECT_EQ(folder, "/opt/halvex");
  DWORD level = 0;
  EXPECT_EQ(key.ReadDword("LoggingLevel", level), ERROR_SUCCESS);
  EXPECT_EQ(level, 2u);

  // The stored string includes its terminating NUL.
  DWORD size = 0;
  DWORD type = 0;
  ASSERT_EQ(RegQueryValueEx(key, "InstallationFolder", nullptr, &type, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 12u);

  // The class string of a created key is "REG_SZ".
  CRegKey parent;
  ASSERT_EQ(parent.Open(m_root, "SOFTWARE\\Orvane"), ERROR_SUCCESS);
  char name[256];
  DWORD nameSize = sizeof name;
  char keyClass[32];
  DWORD classSize = sizeof keyClass;
  ASSERT_EQ(RegEnumKeyEx(parent, 0, name, &nameSize, nullptr, keyClass, &classSize), ERROR_SUCCESS);
  EXPECT_STREQ(keyClass, "REG_SZ");
}

TEST_F(RegKeyTest, FailedReadsLeaveTheOutputAlone)
{
  CRegKey key;
  ASSERT_EQ(key.CreateKeyString(m_root, "Reads"), ERROR_SUCCESS);
  ASSERT_EQ(key.WriteString("Eight", "12345678"), ERROR_SUCCESS);
  const BYTE two[] = {0x34, 0x12};
  ASSERT_EQ(RegSetValueEx(key, "Short", 0, REG_BINARY, two, sizeof two), ERROR_SUCCESS);

  struct Case
  {
    const char* name;
    LONG expected;
    DWORD value;
  };
  // ReadDword does not check the type: 4 bytes of a string are read as they are; a value
  // longer than 4 bytes is "more data"; a shorter one overwrites only its own bytes.
  const Case cases[] = {
      {"Missing", ERROR_FILE_NOT_FOUND, 0xAAAAAAAA},
      {"Eight", ERROR_MORE_DATA, 0xAAAAAAAA},
      {"Short", ERROR_SUCCESS, 0xAAAA1234},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DWORD value = 0xAAAAAAAA;
    EXPECT_EQ(key.ReadDword(c.name, value), c.expected);
    EXPECT_EQ(value, c.value);
  }

  std::string text = "unchanged";
  EXPECT_EQ(key.ReadString("Missing", text), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(text, "unchanged");

  CRegKey closed;
  DWORD value = 5;
  EXPECT_EQ(closed.ReadDword("Eight", value), ERROR_INVALID_HANDLE);
  EXPECT_EQ(value, 5u);
  EXPECT_EQ(closed.ReadString("Eight", text), ERROR_INVALID_HANDLE);
  EXPECT_EQ(text, "unchanged");
  EXPECT_EQ(closed.WriteDword("x", 1), ERROR_INVALID_HANDLE);
}

TEST_F(RegKeyTest, OpenFailureLeavesTheObjectClosed)
{
  CRegKey key;
  ASSERT_EQ(key.CreateKeyString(m_root, "Exists"), ERROR_SUCCESS);
  EXPECT_EQ(key.Open(m_root, "DoesNotExist"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key.GetHandle(), nullptr);
  EXPECT_STREQ(key.GetSubKey(), "Exists");
  EXPECT_EQ(key.Flush(), ERROR_SUCCESS);

  std::string longPath;
  for (int i = 0; i < 40; ++i) {
    longPath += "Level" + std::to_string(i) + "\\";
  }
  ASSERT_EQ(key.CreateKeyString(m_root, longPath), ERROR_SUCCESS);
  EXPECT_EQ(std::string(key.GetSubKey()), longPath.substr(0, CRegKey::kSubKeyLength - 1));
}

TEST_F(RegKeyTest, SubKeyOpensRelativeToAnOpenKey)
{
  CRegKey parent;
  ASSERT_EQ(parent.CreateKeyString(m_root, "Software\\Orvane\\Halvex\\ComponentDlls"),
            ERROR_SUCCESS);
  CRegKey child;
  ASSERT_EQ(child.CreateKeyString(parent, "Marlow"), ERROR_SUCCESS);
  ASSERT_EQ(child.WriteString("CurrentModel", "Default"), ERROR_SUCCESS);
  EXPECT_EQ(parent.Close(), ERROR_SUCCESS);
  std::string model;
  EXPECT_EQ(child.ReadString("currentmodel", model), ERROR_SUCCESS);
  EXPECT_EQ(model, "Default");
}

// A key whose n-th value read fails, as when another writer grows the value between the size
// query and the read.
class FailingReadKey : public CRegKey
{
public:
  FailingReadKey(ReadFailure mode, int failingCall, LONG error)
      : CRegKey(mode), m_failingCall(failingCall), m_error(error)
  {
  }

protected:
  LONG QueryValue(const std::string& name, BYTE* data, DWORD* size) override
  {
    return ++m_calls == m_failingCall ? m_error : CRegKey::QueryValue(name, data, size);
  }

private:
  int m_calls = 0;
  int m_failingCall;
  LONG m_error;
};

TEST_F(RegKeyTest, SecondReadFailureKeepsOrEmptiesTheText)
{
  {
    CRegKey writer;
    ASSERT_EQ(writer.CreateKeyString(m_root, "Race"), ERROR_SUCCESS);
    ASSERT_EQ(writer.WriteString("Text", "stored"), ERROR_SUCCESS);
  }
  struct Case
  {
    CRegKey::ReadFailure mode;
    int failingCall;
    LONG error;
    std::string expected;
  };
  const Case cases[] = {
      {CRegKey::ReadFailure::KeepText, 0, ERROR_SUCCESS, "stored"},
      {CRegKey::ReadFailure::EmptyText, 0, ERROR_SUCCESS, "stored"},
      // The size query fails: both keep the text.
      {CRegKey::ReadFailure::KeepText, 1, ERROR_ACCESS_DENIED, "before"},
      {CRegKey::ReadFailure::EmptyText, 1, ERROR_ACCESS_DENIED, "before"},
      // The read itself fails: the harness keeps the text, the components empty it.
      {CRegKey::ReadFailure::KeepText, 2, ERROR_MORE_DATA, "before"},
      {CRegKey::ReadFailure::EmptyText, 2, ERROR_MORE_DATA, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failingCall * 10 + static_cast<int>(c.mode));
    FailingReadKey reader(c.mode, c.failingCall, c.error);
    ASSERT_EQ(reader.Open(m_root, "Race"), ERROR_SUCCESS);
    std::string text = "before";
    EXPECT_EQ(reader.ReadString("Text", text), c.error);
    EXPECT_EQ(text, c.expected);
  }
}

// Reads racing a writer see either a whole text or a failure, never a torn one.
TEST_F(RegKeyTest, ReadsRacingAWriterSeeWholeTexts)
{
  CRegKey writer;
  ASSERT_EQ(writer.CreateKeyString(m_root, "Race"), ERROR_SUCCESS);
  ASSERT_EQ(writer.WriteString("Text", "a"), ERROR_SUCCESS);
  std::atomic<bool> stop{false};
  std::thread thread([&] {
    for (int i = 0; !stop; ++i) {
      writer.WriteString("Text", std::string(1 + i % 64, 'x'));
    }
  });
  CRegKey reader(CRegKey::ReadFailure::EmptyText);
  ASSERT_EQ(reader.Open(m_root, "Race"), ERROR_SUCCESS);
  for (int i = 0; i < 300; ++i) {
    std::string text = "before";
    LONG result = reader.ReadString("Text", text);
    if (result == ERROR_SUCCESS) {
      EXPECT_TRUE(text == "a" || text == std::string(text.size(), 'x')) << text;
    } else {
      EXPECT_EQ(result, ERROR_MORE_DATA);
      EXPECT_EQ(text, "");
    }
  }
  stop = true;
  thread.join();
}

} // namespace
