// .reg files: parsing, import as one transaction, export, and the round trip.
#include "platform/regfile.h"

#include "registry_test_support.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

class RegFileTest : public ::testing::Test
{
protected:
  TempFolder m_folder;
  ConnectedRoot m_machine{m_folder.File("registry.db"), HKEY_LOCAL_MACHINE};
  ConnectedRoot m_user{m_folder.File("registry.db"), HKEY_CURRENT_USER};
  RegRoots Roots() const { return RegRoots{m_machine, m_user}; }

  std::string Export(const char* key)
  {
    std::string text;
    EXPECT_EQ(ExportRegKey(Roots(), key, text), ERROR_SUCCESS) << key;
    return text;
  }

  std::string Value(HKEY root, const char* path, const char* name, DWORD* type = nullptr)
  {
    HKEY key = nullptr;
    if (RegOpenKeyEx(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return "<no key>";
    }
    std::string data(4096, '\0');
    DWORD size = static_cast<DWORD>(data.size());
    LONG result =
        RegQueryValueEx(key, name, nullptr, type, reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
      return "<no value>";
    }
    data.resize(size);
    return data;
  }
};

const char kSample[] = "Windows Registry Editor Version 5.00\r\n"
                       "\r\n"
                       "; a comment\r\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane\\Halvex]\r\n"
                       "@=\"default text\"\r\n"
                       "\"InstallationFolder\"=\"C:\\\\Halvex \\\"quoted\\\"\"\r\n"
                       "\"LoggingLevel\"=dword:0000002a\r\n"
                       "\"Blob\"=hex:00,01,ff,\\\r\n"
                       "  10,20\r\n"
                       "\"Expand\"=hex(2):25,00,48,00,25,00,00,00\r\n"
                       "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                       "\"Odd\" = hex(b):01,02,03,04,05,06,07,08\r\n"
                       "\r\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane\\Halvex\\TestExecution]\r\n"
                       "\"TestExecutionStatus\"=\"Prebootbatch\"\r\n"
                       "[HKCU\\Software\\Orvane]\r\n"
                       "\"User\"=dword:1\r\n";

TEST_F(RegFileTest, ImportsEveryKindOfLine)
{
  RegFileError error;
  ASSERT_EQ(ImportRegFile(kSample, Roots(), error), ERROR_SUCCESS) << error.message;
  const char* halvex = "SOFTWARE\\Orvane\\Halvex";
  DWORD type = 0;
  EXPECT_EQ(Value(m_machine, halvex, "", &type), std::string("default text\0", 13));
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(Value(m_machine, halvex, "installationfolder"),
            std::string("C:\\Halvex \"quoted\"\0", 19));
  EXPECT_EQ(Value(m_machine, halvex, "LoggingLevel", &type), std::string("\x2a\0\0\0", 4));
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(Value(m_machine, halvex, "Blob", &type), std::string("\x00\x01\xff\x10\x20", 5));
  EXPECT_EQ(type, REG_BINARY);
  // Version 5 files hold text in hex(2) and hex(7) as UTF-16LE.
  EXPECT_EQ(Value(m_machine, halvex, "Expand", &type), std::string("%H%\0", 4));
  EXPECT_EQ(type, REG_EXPAND_SZ);
  EXPECT_EQ(Value(m_machine, halvex, "Multi", &type), std::string("a\0b\0\0", 5));
  EXPECT_EQ(type, REG_MULTI_SZ);
  EXPECT_EQ(Value(m_machine, halvex, "Odd", &type), std::string("\1\2\3\4\5\6\7\x08", 8));
  EXPECT_EQ(type, 0xBu);
  EXPECT_EQ(Value(m_user, "Software\\Orvane", "User"), std::string("\1\0\0\0", 4));
}

TEST_F(RegFileTest, RegEdit4KeepsHexTextAsBytesAndDeletes)
{
  RegFileError error;
  ASSERT_EQ(ImportRegFile(kSample, Roots(), error), ERROR_SUCCESS) << error.message;
  const char deletions[] = "REGEDIT4\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane\\Halvex]\n"
                           "\"Blob\"=-\n"
                           "\"NeverThere\"=-\n"
                           "\"Expand\"=hex(2):25,48,25,00\n"
                           "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane\\Halvex\\TestExecution]\n"
                           "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Missing]\n";
  ASSERT_EQ(ImportRegFile(deletions, Roots(), error), ERROR_SUCCESS) << error.message;
  EXPECT_EQ(Value(m_machine, "SOFTWARE\\Orvane\\Halvex", "Blob"), "<no value>");
  EXPECT_EQ(Value(m_machine, "SOFTWARE\\Orvane\\Halvex", "Expand"), std::string("%H%\0", 4));
  EXPECT_EQ(Value(m_machine, "SOFTWARE\\Orvane\\Halvex\\TestExecution", "TestExecutionStatus"),
            "<no key>");
}

TEST_F(RegFileTest, MalformedFilesChangeNothingAndNameTheLine)
{
  RegFileError error;
  ASSERT_EQ(ImportRegFile(kSample, Roots(), error), ERROR_SUCCESS);
  const std::string before = Export("HKEY_LOCAL_MACHINE");

  struct Case
  {
    const char* text;
    int line;
    const char* message;
  };
  const Case cases[] = {
      {"", 1, "not a registry file: the file is empty"},
      {"[HKEY_LOCAL_MACHINE\\X]\n", 1, "not a registry file"},
      {"REGEDIT4\n\n[HKEY_CLASSES_ROOT\\X]\n", 3, "unknown root key \"HKEY_CLASSES_ROOT\""},
      {"REGEDIT4\n[HKLM\\A\n", 2, "without its closing ']'"},
      {"REGEDIT4\n[HKLM\\A\\\\B]\n", 2, "invalid key path: an empty key name"},
      {"REGEDIT4\n[-HKLM]\n", 2, "a root key cannot be deleted"},
      {"REGEDIT4\n\"a\"=\"b\"\n", 2, "a value before any key"},
      {"REGEDIT4\n[-HKLM\\A]\n\"a\"=\"b\"\n", 3, "a value under a key that is being deleted"},
      {"REGEDIT4\n[HKLM\\A]\n\"a=\"b\"\n", 3, "'=' expected after the value name"},
      {"REGEDIT4\n[HKLM\\A]\n\"a\"=\"b\n", 3, "a string without its closing quote"},
      {"REGEDIT4\n[HKLM\\A]\n\"a\"=\"b\\n\"\n", 3, "an unknown escape \\n"},
      {"REGEDIT4\n[HKLM\\A]\n\"a\"=\"b\" x\n", 3, "unexpected text after the closing quote"},
      {"REGEDIT4\n[HKLM\\A]\n\"a\"=dword:123456789\n", 3, "1 to 8 hex digits"},
      {"REGEDIT4\n[HKLM\\A]\n\"a\"=dword:xyz\n", 3, "1 to 8 hex digits"},
      {"REGEDIT4\n[HKLM\\A]\n\"a\"=hex:01,2g\n", 3, "\"2g\" is not a hex byte"},
      {"REGEDIT4\n[HKLM\\A]\n\"a\"=hex:01,,02\n", 3, "\"\" is not a hex byte"},
      {"REGEDIT4\n[HKLM\\A]\n\"a\"=hex(zz):01\n", 3, "hex(n): needs a type number"},
      {"REGEDIT4\n[HKLM\\A]\n\"a\"=hex:01,\\", 3, "continues past the end of the file"},
      {"REGEDIT4\n[HKLM\\A]\n\"a\"=word:1\n", 3, "unknown value data"},
      {"REGEDIT4\n[HKLM\\A]\njunk\n", 3, "neither a key, a value nor a comment"},
      {"Windows Registry Editor Version 5.00\n[HKLM\\A]\n\"a\"=hex(1):41,00,42\n", 3,
       "odd number of bytes"},
      {"Windows Registry Editor Version 5.00\n[HKLM\\A]\n\"a\"=hex(1):41,01\n", 3,
       "outside the single-byte range"},
      // A good first half must not survive the error in the second.
      {"REGEDIT4\n[HKLM\\New]\n\"ok\"=\"1\"\n[-HKLM\\SOFTWARE]\n[HKLM\\B]\nbad\n", 6,
       "neither a key, a value nor a comment"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ImportRegFile(c.text, Roots(), error), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(error.line, c.line);
    EXPECT_NE(error.message.find(c.message), std::string::npos) << error.message;
  }
  EXPECT_EQ(Export("HKEY_LOCAL_MACHINE"), before);
}

TEST_F(RegFileTest, FailureWhileApplyingRollsBack)
{
  // The machine half applies, then the user root is unusable: nothing may remain.
  RegRoots halfBroken{m_machine, reinterpret_cast<HKEY>(std::uintptr_t{0x44})};
  const char text[] = "REGEDIT4\n[HKLM\\Applied]\n\"a\"=\"1\"\n[HKCU\\Fails]\n";
  RegFileError error;
  EXPECT_EQ(ImportRegFile(text, halfBroken, error), ERROR_INVALID_HANDLE);
  EXPECT_EQ(error.line, 4);
  EXPECT_NE(error.message.find("handle"), std::string::npos) << error.message;
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyEx(m_machine, "Applied", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegFileTest, ExportThenImportGivesTheSameRegistry)
{
  RegFileError error;
  ASSERT_EQ(ImportRegFile(kSample, Roots(), error), ERROR_SUCCESS);
  // Values the text form has to write as hex: no NUL, inner NUL, line break, odd dword size.
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyEx(m_machine, "SOFTWARE\\Orvane\\Halvex\\Odd Names [x]", 0, nullptr, 0,
                           KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::string odd[] = {std::string("no nul"), std::string("in\0ner\0", 7),
                             std::string("line\nbreak\0", 11)};
  for (std::size_t i = 0; i < std::size(odd); ++i) {
    std::string name = "s\"\\" + std::to_string(i);
    ASSERT_EQ(RegSetValueEx(key, name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(odd[i].data()),
                            static_cast<DWORD>(odd[i].size())),
              ERROR_SUCCESS);
  }
  const BYTE three[] = {1, 2, 3};
  ASSERT_EQ(RegSetValueEx(key, "short dword", 0, REG_DWORD, three, 3), ERROR_SUCCESS);
  std::string big(300, 'z');
  ASSERT_EQ(RegSetValueEx(key, "big", 0, REG_BINARY, reinterpret_cast<const BYTE*>(big.data()),
                          static_cast<DWORD>(big.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);

  const std::string exported = Export("hklm\\software");
  EXPECT_EQ(
      exported.rfind("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]", 0),
      0u);

  TempFolder other;
  ConnectedRoot otherMachine(other.File("copy.db"), HKEY_LOCAL_MACHINE);
  ConnectedRoot otherUser(other.File("copy.db"), HKEY_CURRENT_USER);
  RegRoots copy{otherMachine, otherUser};
  ASSERT_EQ(ImportRegFile(exported, copy, error), ERROR_SUCCESS)
      << error.line << ": " << error.message;
  std::string again;
  ASSERT_EQ(ExportRegKey(copy, "HKEY_LOCAL_MACHINE\\SOFTWARE", again), ERROR_SUCCESS);
  EXPECT_EQ(again, exported);

  std::string text;
  EXPECT_EQ(ExportRegKey(Roots(), "HKLM\\Nothing\\Here", text), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ExportRegKey(Roots(), "HKEY_USERS\\x", text), ERROR_INVALID_PARAMETER);
}

TEST(RegFileParseTest, AcceptsUtf16AndUtf8Marks)
{
  const std::string narrow =
      "Windows Registry Editor Version 5.00\r\n[HKLM\\A]\r\n\"x\"=\"\xe9\"\r\n";
  std::string wide = "\xff\xfe";
  for (char c : narrow) {
    wide.push_back(c);
    wide.push_back('\0');
  }
  std::vector<RegFileChange> changes;
  RegFileError error;
  for (const std::string& text : {wide, "\xef\xbb\xbf" + narrow}) {
    ASSERT_TRUE(ParseRegFile(text, changes, error)) << error.message;
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].data, std::string("\xe9\0", 2));
    EXPECT_EQ(changes[1].line, 3);
  }
  std::string beyond = "\xff\xfe" + std::string("R\0E\0", 4) + std::string("\x00\x01", 2);
  EXPECT_FALSE(ParseRegFile(beyond, changes, error));
  EXPECT_NE(error.message.find("single-byte"), std::string::npos);
  EXPECT_FALSE(ParseRegFile(std::string("\xff\xfeR", 3), changes, error));
}

TEST(RegFileParseTest, TypeNames)
{
  for (DWORD type : {REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ}) {
    DWORD parsed = 99;
    ASSERT_TRUE(ParseRegTypeName(RegTypeName(type), parsed));
    EXPECT_EQ(parsed, type);
  }
  DWORD parsed = 0;
  EXPECT_FALSE(ParseRegTypeName("REG_QWORD_X", parsed));
  EXPECT_EQ(RegTypeName(11), "REG_TYPE_11");
}

} // namespace
