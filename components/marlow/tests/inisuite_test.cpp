// The .ini definition parser: every rule and message.
#include "marlow/inisuite.h"

#include "testsupport/logcapture.h"
#include "testsupport/privateregistry.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

using namespace testsupport;

namespace {

const char* const kSuite = "[test suite]\nFriendlyName=Lab Tests\nSummaryLog=summary.log\n"
                           "LogEditor=parlo\n";

std::string Section(int n, const std::string& body)
{
  return "[test case" + std::to_string(n) + "]\n" + body;
}

std::string Windows(const std::string& name)
{
  return "FriendlyName=" + name +
         "\nReturn=WINDOWS\nImage=probe.sh\nCmdline=./probe.sh pass\nLogfile=./probe.log\n"
         "MaxExecutionTime=60000\n";
}

std::vector<std::string> Names(const CIniSuite& suite)
{
  std::vector<std::string> names;
  for (const auto& def : suite.m_TestDefs)
    names.push_back(def.m_strName);
  return names;
}

class IniSuiteTest : public ::testing::Test
{
protected:
  void SetUp() override { guiLoggingLevel = 0; }
  void TearDown() override { guiLoggingLevel = 1; }
  std::string Write(const std::string& text)
  {
    m_folder.Write("lab.ini", text);
    return m_folder.File("lab.ini");
  }
  std::string InvalidTestCase() const
  {
    return "Invalid TestCase: -  .ini file: " + m_folder.File("lab.ini") + " - ";
  }

  TempFolder m_folder;
  LogCapture m_log;
};

} // namespace

TEST_F(IniSuiteTest, ReadsSuiteAndDefinitionsInOrder)
{
  const std::string path = Write(
      std::string(kSuite) + "DebugLevel= 3 \n" + Section(1, Windows("First")) +
      Section(2, "FriendlyName=Second\nReturn=DOS\nImage=DOSTEST.EXE\nCmdline=DOSTEST.EXE /A\n"
                 "Logfile=C:\\DOSTEST.LOG\nMaxExecutionTime=5\n"));
  CIniSuite suite;
  ASSERT_TRUE(suite.Parse(path));
  EXPECT_EQ(suite.m_strIniPath, path);
  EXPECT_EQ(suite.m_strFriendlyName, "Lab Tests");
  EXPECT_EQ(suite.m_strSummaryLog, "summary.log");
  EXPECT_EQ(suite.m_strLogEditor, "parlo");
  EXPECT_EQ(suite.m_nDebugLevel, 3);
  EXPECT_EQ(suite.m_strBaseFolder, "");
  ASSERT_EQ(suite.m_nTestDefs, 2);
  const CIniTestDef& first = suite.m_TestDefs[0];
  EXPECT_EQ(first.m_strName, "First");
  EXPECT_EQ(first.m_strReturnType, "WINDOWS");
  EXPECT_EQ(first.m_strImage, "probe.sh");
  EXPECT_EQ(first.m_strCmdLine, "./probe.sh pass");
  EXPECT_EQ(first.m_strLogFile, "./probe.log");
  EXPECT_EQ(first.m_strMaxExecutionTime, "60000");
  const CIniTestDef& second = suite.m_TestDefs[1];
  EXPECT_EQ(second.m_strReturnType, "DOS");
  EXPECT_EQ(second.m_strLogFile, "C:\\DOSTEST.LOG");
  // Not read for the DOS kinds.
  EXPECT_EQ(second.m_strMaxExecutionTime, "");
  EXPECT_TRUE(m_log.Lines().empty()) << m_log.All();
}

TEST_F(IniSuiteTest, TestCaseSectionRules)
{
  const struct
  {
    const char* name;
    std::string body;
    std::vector<std::string> expected;
    bool invalidTestCaseLogged;
    std::string otherLog;
  } cases[] = {
      {"gap in numbering stops silently",
       Section(1, Windows("One")) + Section(3, Windows("Three")),
       {"One"},
       false,
       ""},
      {"no first section", Section(2, Windows("Two")), {}, true, ""},
      {"names differing in case are different",
       Section(1, Windows("Boot")) + Section(2, Windows("BOOT")),
       {"Boot", "BOOT"},
       false,
       ""},
      {"repeated name stops the reading",
       Section(1, Windows("Boot")) + Section(2, Windows("Boot")) + Section(3, Windows("Later")),
       {"Boot"},
       true,
       ""},
      {"missing Image skips silently",
       Section(1, "FriendlyName=NoImage\nCmdline=x\nLogfile=y\nMaxExecutionTime=1\n") +
           Section(2, Windows("Two")),
       {"Two"},
       false,
       ""},
      {"missing Logfile or Cmdline skips silently",
       Section(1, "FriendlyName=A\nImage=x\nLogfile=y\nMaxExecutionTime=1\n") +
           Section(2, "FriendlyName=B\nImage=x\nCmdline=y\nMaxExecutionTime=1\n") +
           Section(3, Windows("C")),
       {"C"},
       false,
       ""},
      {"blank value counts as missing",
       Section(1, "FriendlyName=   \n") + Section(2, Windows("Two")),
       {},
       true,
       ""},
      {"missing MaxExecutionTime is reported and skipped",
       Section(1, "FriendlyName=Slow\nImage=x\nCmdline=x\nLogfile=y\n") +
           Section(2, Windows("Two")),
       {"Two"},
       false,
       "Invalid MaxExecutionTime Value for the [test case1] with FriendlyName 'Slow' in .ini "
       "file: "},
      {"lower-case windows needs MaxExecutionTime",
       Section(1, "FriendlyName=Slow\nReturn=windows\nImage=x\nCmdline=x\nLogfile=y\n"),
       {},
       false,
       "Invalid MaxExecutionTime Value for the [test case1]"},
      {"no Return means WINDOWS",
       Section(1, "FriendlyName=Plain\nImage=x\nCmdline=x\nLogfile=y\n"),
       {},
       false,
       "with FriendlyName 'Plain'"},
      {"DOS kinds and unknown kinds need no MaxExecutionTime",
       Section(1, "FriendlyName=A\nReturn=Dos\nImage=x\nCmdline=x\nLogfile=y\n") +
           Section(2, "FriendlyName=B\nReturn=dosbatch\nImage=x\nCmdline=x\nLogfile=y\n") +
           Section(3, "FriendlyName=C\nReturn=OS2\nImage=x\nCmdline=x\nLogfile=y\n"),
       {"A", "B", "C"},
       false,
       ""},
      {"section names ignore case", "[TEST CASE1]\n" + Windows("Upper"), {"Upper"}, false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_log.Clear();
    CIniSuite suite;
    EXPECT_TRUE(suite.Parse(Write(kSuite + c.body)));
    EXPECT_EQ(Names(suite), c.expected);
    EXPECT_EQ(suite.m_nTestDefs, static_cast<int>(c.expected.size()));
    EXPECT_EQ(m_log.Has(InvalidTestCase()), c.invalidTestCaseLogged) << m_log.All();
    if (!c.otherLog.empty()) {
      EXPECT_TRUE(m_log.HasPart(c.otherLog)) << m_log.All();
    } else if (!c.invalidTestCaseLogged) {
      EXPECT_TRUE(m_log.Lines().empty()) << m_log.All();
    }
  }
}

TEST_F(IniSuiteTest, IncompleteSuiteSectionIsInvalid)
{
  const struct
  {
    const char* name;
    std::string text;
  } cases[] = {
      {"no FriendlyName", "[test suite]\nSummaryLog=s\nLogEditor=e\n"},
      {"no SummaryLog", "[test suite]\nFriendlyName=f\nLogEditor=e\n"},
      {"no LogEditor", "[test suite]\nFriendlyName=f\nSummaryLog=s\n"},
      {"empty file", ""},
      {"backslash in FriendlyName",
       "[test suite]\nFriendlyName=Lab\\Video\nSummaryLog=s\nLogEditor=e\n"},
      {"not a profile at all", std::string("\x7f"
                                           "ELF\x01\x02",
                                           6)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_log.Clear();
    CIniSuite suite;
    const std::string path = Write(c.text + Section(1, Windows("One")));
    EXPECT_FALSE(suite.Parse(path));
    EXPECT_TRUE(suite.m_TestDefs.empty());
    EXPECT_EQ(m_log.Lines(),
              std::vector<std::string>{"Invalid TestSuite: -  .ini file: " + path + "-"});
  }
  // A file that is not there at all.
  CIniSuite missing;
  EXPECT_FALSE(missing.Parse(m_folder.File("none.ini")));
}

// Only regular files are read: opening a pipe would wait for a writer that never comes.
TEST_F(IniSuiteTest, PipesAndFoldersAreNotRead)
{
  const std::string pipe = m_folder.File("pipe.ini");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string folder = m_folder.File("folder.ini");
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  for (const std::string& path : {pipe, folder}) {
    SCOPED_TRACE(path);
    m_log.Clear();
    CIniSuite suite;
    EXPECT_FALSE(suite.Parse(path));
    EXPECT_EQ(m_log.Lines(),
              std::vector<std::string>{"Invalid TestSuite: -  .ini file: " + path + "-"});
  }
}

TEST_F(IniSuiteTest, ValuesAreCutToTheBufferAndTrimmed)
{
  const std::string longName(2500, 'n');
  const std::string path =
      Write(std::string(kSuite) + Section(1, "FriendlyName=" + longName +
                                                 "\nImage=\t x \nCmdline=  run x  \nLogfile=y\n"
                                                 "MaxExecutionTime=10\n"));
  CIniSuite suite;
  ASSERT_TRUE(suite.Parse(path));
  ASSERT_EQ(suite.m_nTestDefs, 1);
  EXPECT_EQ(suite.m_TestDefs[0].m_strName, std::string(1999, 'n'));
  EXPECT_EQ(suite.m_TestDefs[0].m_strImage, "x");
  EXPECT_EQ(suite.m_TestDefs[0].m_strCmdLine, "run x");
}

TEST_F(IniSuiteTest, DebugLevelReadsLikeAProfileInteger)
{
  const struct
  {
    const char* value;
    int expected;
  } cases[] = {{"", 0}, {"7", 7}, {"-2", -2}, {"12abc", 12}, {"abc", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    CIniSuite suite;
    ASSERT_TRUE(suite.Parse(Write(std::string(kSuite) + "DebugLevel=" + c.value + "\n")));
    EXPECT_EQ(suite.m_nDebugLevel, c.expected);
  }
}

TEST_F(IniSuiteTest, DemoDefinitionsParse)
{
  const char* source = std::getenv("HALVEX_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  const std::string folder = std::string(source) + "/share/demo/definitions/";
  const struct
  {
    const char* file;
    const char* name;
    std::vector<std::string> tests;
  } cases[] = {
      {"demo_tagged.ini", "Demo Tagged Tests", {"Tagged pass", "Tagged fail", "Tagged warning"}},
      {"demo_plain.ini",
       "Demo Plain Tests",
       {"Plain pass", "Plain fail", "Slow program fails at its limit", "Missing program fails"}},
      {"demo_dos.ini", "Demo DOS Tests", {"Memory test under DOS", "Memory fault under DOS"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    CIniSuite suite;
    ASSERT_TRUE(suite.Parse(folder + c.file));
    EXPECT_EQ(suite.m_strFriendlyName, c.name);
    EXPECT_EQ(Names(suite), c.tests);
  }
  EXPECT_TRUE(m_log.Lines().empty()) << m_log.All();
}
