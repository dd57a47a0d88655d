// The profile-string reader and writer on real files.
#include "platform/profile.h"

#include "registry_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>

using namespace platform;

namespace {

void WriteFile(const std::string& path, const std::string& text)
{
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> SplitList(const char* list)
{
  std::vector<std::string> names;
  while (*list) {
    names.emplace_back(list);
    list += names.back().size() + 1;
  }
  return names;
}

class ProfileTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    WriteFile(m_file, "; leading comment\r\n"
                      "orphan=before any section\r\n"
                      "[Test Suite]\r\n"
                      "FriendlyName =  Video Tests  \r\n"
                      "Quoted=\"  spaced  \"\r\n"
                      "Single='x'\r\n"
                      "Half=\"open\r\n"
                      "Empty=\r\n"
                      ";Commented=yes\r\n"
                      "  DebugLevel = 3\r\n"
                      "Negative=-2\r\n"
                      "Mixed=12abc\r\n"
                      "NoEquals\r\n"
                      "friendlyname=second\r\n"
                      "Inner=a=b\r\n"
                      "[ test case1 ]\r\n"
                      "Name=First\r\n"
                      "[TEST SUITE]\r\n"
                      "Later=hidden\r\n");
  }

  TempFolder m_folder;
  std::string m_file = m_folder.File("test.ini");
};

TEST_F(ProfileTest, ReadsValuesByTheOriginalRules)
{
  struct Case
  {
    const char* section;
    const char* key;
    const char* defaultValue;
    std::string expected;
  };
  const Case cases[] = {
      {"Test Suite", "FriendlyName", "d", "Video Tests"},
      {"test suite", "FRIENDLYNAME", "d", "Video Tests"}, // first match wins
      {"Test Suite", "Quoted", "d", "  spaced  "},
      {"Test Suite", "Single", "d", "x"},
      {"Test Suite", "Half", "d", "\"open"},
      {"Test Suite", "Empty", "d", ""},
      {"Test Suite", ";Commented", "d", "d"},
      {"Test Suite", "DebugLevel", "d", "3"},
      {"Test Suite", "NoEquals", "d", ""},
      {"Test Suite", "Inner", "d", "a=b"},
      {"Test Suite", "Later", "d", "d"}, // only the first matching section is searched
      {"Test Suite", "Missing", "fallback  ", "fallback"},
      {"Test Suite", "Missing", nullptr, ""},
      {"test case1", "name", "d", "First"},
      {"Nowhere", "Name", "d", "d"},
      {"", "orphan", "d", "d"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    char buffer[64];
    std::memset(buffer, 'Z', sizeof buffer);
    DWORD count = GetPrivateProfileString(c.section, c.key, c.defaultValue, buffer, sizeof buffer,
                                          m_file.c_str());
    EXPECT_EQ(std::string(buffer), c.expected);
    EXPECT_EQ(count, c.expected.size());
  }
}

TEST_F(ProfileTest, TruncatesAtTheBufferSize)
{
  struct Case
  {
    DWORD size;
    std::string expected;
  };
  const Case cases[] = {{1, ""}, {2, "V"}, {6, "Video"}, {12, "Video Tests"}, {100, "Video Tests"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    std::vector<char> buffer(c.size + 1, 'Z');
    DWORD count = GetPrivateProfileString("Test Suite", "FriendlyName", "", buffer.data(), c.size,
                                          m_file.c_str());
    EXPECT_EQ(count, c.expected.size());
    EXPECT_EQ(std::string(buffer.data()), c.expected);
    EXPECT_EQ(buffer[c.size], 'Z'); // nothing written past the buffer
  }
  char untouched = 'Z';
  EXPECT_EQ(
      GetPrivateProfileString("Test Suite", "FriendlyName", "", &untouched, 0, m_file.c_str()), 0u);
  EXPECT_EQ(untouched, 'Z');
}

TEST_F(ProfileTest, ListsSectionAndKeyNames)
{
  char buffer[512];
  DWORD count = GetPrivateProfileSectionNames(buffer, sizeof buffer, m_file.c_str());
  EXPECT_EQ(SplitList(buffer),
            (std::vector<std::string>{"Test Suite", "test case1", "TEST SUITE"}));
  EXPECT_EQ(count, std::string("Test Suite").size() + 1 + std::string("test case1").size() + 1 +
                       std::string("TEST SUITE").size() + 1);

  count = GetPrivateProfileString("test suite", nullptr, "ignored", buffer, sizeof buffer,
                                  m_file.c_str());
  std::vector<std::string> keys{"FriendlyName", "Quoted",       "Single",   "Half",
                                "Empty",        "DebugLevel",   "Negative", "Mixed",
                                "NoEquals",     "friendlyname", "Inner"};
  EXPECT_EQ(SplitList(buffer), keys);
  EXPECT_EQ(ReadProfileKeyNames(m_file, "TEST SUITE"), keys);

  // A list that does not fit is cut and ends with two NULs.
  char small[8];
  count = GetPrivateProfileSectionNames(small, sizeof small, m_file.c_str());
  EXPECT_EQ(count, 6u);
  EXPECT_EQ(std::string(small), "Test S");
  EXPECT_EQ(small[6], '\0');
  EXPECT_EQ(small[7], '\0');

  // A missing file or section gives an empty list.
  std::memset(buffer, 'Z', 4);
  EXPECT_EQ(GetPrivateProfileSectionNames(buffer, sizeof buffer, m_folder.File("none.ini").c_str()),
            0u);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(buffer[1], '\0');
}

TEST_F(ProfileTest, ReadsIntegers)
{
  struct Case
  {
    const char* key;
    int defaultValue;
    UINT expected;
  };
  const Case cases[] = {
      {"DebugLevel", 9, 3},   {"Mixed", 9, 12}, {"Negative", 9, static_cast<UINT>(-2)},
      {"FriendlyName", 9, 0}, {"Empty", 9, 9},  {"Missing", 7, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(GetPrivateProfileInt("Test Suite", c.key, c.defaultValue, m_file.c_str()),
              c.expected);
  }
}

TEST_F(ProfileTest, WriterKeepsEveryOtherLine)
{
  const std::string before = ReadFile(m_file);
  ASSERT_TRUE(WritePrivateProfileString("test suite", "DEBUGLEVEL", "5", m_file.c_str()));
  std::string expected = before;
  expected.replace(expected.find("  DebugLevel = 3"), std::strlen("  DebugLevel = 3"),
                   "DebugLevel=5");
  EXPECT_EQ(ReadFile(m_file), expected);

  // A new key goes to the end of the first matching section.
  ASSERT_TRUE(WritePrivateProfileString("Test Case1", "Image", "prog.exe", m_file.c_str()));
  expected.insert(expected.find("Name=First\r\n") + std::strlen("Name=First\r\n"),
                  "Image=prog.exe\r\n");
  EXPECT_EQ(ReadFile(m_file), expected);

  // A new section goes to the end of the file.
  ASSERT_TRUE(WritePrivateProfileString("General", "RegistryKey", "SOFTWARE\\X", m_file.c_str()));
  expected += "[General]\r\nRegistryKey=SOFTWARE\\X\r\n";
  EXPECT_EQ(ReadFile(m_file), expected);
  EXPECT_EQ(ReadProfileString(m_file, "general", "registrykey"), "SOFTWARE\\X");

  // Deleting a key, then a section.
  ASSERT_TRUE(WritePrivateProfileString("Test Case1", "image", nullptr, m_file.c_str()));
  expected.erase(expected.find("Image=prog.exe\r\n"), std::strlen("Image=prog.exe\r\n"));
  EXPECT_EQ(ReadFile(m_file), expected);
  ASSERT_TRUE(WritePrivateProfileString("test case1", nullptr, nullptr, m_file.c_str()));
  expected.erase(expected.find("[ test case1 ]\r\n"),
                 std::strlen("[ test case1 ]\r\nName=First\r\n"));
  EXPECT_EQ(ReadFile(m_file), expected);
}

TEST_F(ProfileTest, WriterCreatesFilesAndRefusesWhatWouldNotReadBack)
{
  std::string fresh = m_folder.File("fresh.ini");
  ASSERT_TRUE(WritePrivateProfileString("General", "RegistryKey", "A", fresh.c_str()));
  ASSERT_TRUE(WriteProfileString(fresh, "General", "Other", "B"));
  EXPECT_EQ(ReadFile(fresh), "[General]\nRegistryKey=A\nOther=B\n");

  struct Case
  {
    const char* section;
    const char* key;
    const char* value;
  };
  const Case refused[] = {
      {"Sec]tion", "k", "v"}, {"General", "a=b", "v"}, {"General", "k", "line\nbreak"},
      {" General", "k", "v"}, {"General", " k", "v"},  {"General", "", "v"},
      {"General", ";k", "v"}, {nullptr, "k", "v"},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.key);
    EXPECT_FALSE(WritePrivateProfileString(c.section, c.key, c.value, fresh.c_str()));
  }
  EXPECT_EQ(ReadFile(fresh), "[General]\nRegistryKey=A\nOther=B\n");
  EXPECT_FALSE(
      WritePrivateProfileString("General", "k", "v", m_folder.File("missing/dir.ini").c_str()));
}

TEST_F(ProfileTest, WriterKeepsTheFileMode)
{
  ASSERT_EQ(chmod(m_file.c_str(), 0600), 0);
  ASSERT_TRUE(WritePrivateProfileString("Test Suite", "DebugLevel", "1", m_file.c_str()));
  struct stat status = {};
  ASSERT_EQ(stat(m_file.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(ProfileTest, ConcurrentWritersLoseNothing)
{
  constexpr int kThreads = 4;
  constexpr int kWrites = 15;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < kWrites; ++i) {
        std::string key = "k" + std::to_string(t) + "_" + std::to_string(i);
        EXPECT_TRUE(WriteProfileString(m_file, "Writers", key, std::to_string(i)));
      }
    });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(ReadProfileKeyNames(m_file, "writers").size(),
            static_cast<std::size_t>(kThreads * kWrites));
  EXPECT_EQ(ReadProfileString(m_file, "Test Suite", "DebugLevel"), "3");
}

TEST(ProfileTextTest, HandlesOddText)
{
  const char raw[] = "[a\n=x\nk\0v=1\n[b]junk\nk=2\n[";
  const std::string text(raw, sizeof raw - 1);
  ProfileText profile(text);
  EXPECT_EQ(profile.SectionNames(), (std::vector<std::string>{"a", "b"}));
  ASSERT_NE(profile.Find("b", "K"), nullptr);
  EXPECT_EQ(*profile.Find("b", "K"), "2");
  EXPECT_EQ(profile.Find("c", "k"), nullptr);
}

} // namespace
