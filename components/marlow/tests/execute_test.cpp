// Execute with real test programs, logs, the translation library and NTLog: verdicts, the
// texts that go to the harness, time limits, stops from another thread, and no process of a
// test case outliving its Execute (checked through /proc).
#include "marlow/dosbatch.h"
#include "marlow/inicomponent.h"
#include "marlow/testcaseex.h"
#include "marlow/translationlibrary.h"

#include "skeleton/componentmodule.h"
#include "skeleton/strings.h"

#include "platform/subreaper.h"

#include "testsupport/doslayout.h"
#include "testsupport/logcapture.h"
#include "testsupport/privateregistry.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>

using namespace testsupport;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr const char* kFailed = "TestStatus - FAILED";

bool Gone(pid_t pid)
{
  return pid > 0 && !fs::exists("/proc/" + std::to_string(pid));
}

class ExecuteTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(platform::BecomeChildSubreaper());
    m_registry.SeedRoot("/opt/halvex", "");
    guiLoggingLevel = 0;
  }
  void TearDown() override { marlow::SetTranslationModuleLoader(nullptr); }

  // A folder of definitions holding a copy of the test program.
  std::string Folder(const std::string& name)
  {
    const std::string folder = m_folder.File(name);
    fs::create_directories(folder);
    fs::copy_file(MARLOW_PROBE, folder + "/marlow_probe", fs::copy_options::overwrite_existing);
    return folder;
  }

  // One test case defined in folder/lab.ini; its component is the current one.
  CTestcaseEx& Define(const std::string& cmdLine, const std::string& logFile,
                      const std::string& maxTime = "20000",
                      const std::string& image = "marlow_probe",
                      const std::string& returnType = "WINDOWS", const std::string& folder = "defs")
  {
    const std::string path = Folder(folder) + "/lab.ini";
    m_folder.Write(folder + "/lab.ini",
                   "[test suite]\nFriendlyName=Lab\nSummaryLog=s\nLogEditor=e\n"
                   "[test case1]\nFriendlyName=Probe\nReturn=" +
                       returnType + "\nImage=" + image + "\nCmdline=" + cmdLine +
                       "\nLogfile=" + logFile + "\nMaxExecutionTime=" + maxTime + "\n");
    m_pComponent = std::make_unique<CIniComponent>(nullptr, path);
    components::SetCurrentComponent(m_pComponent.get());
    m_pComponent->m_strResultsFilePath = m_folder.File("results.txt");
    EXPECT_EQ(m_pComponent->m_TestCaseList.size(), 1u) << m_log.All();
    return *static_cast<CTestcaseEx*>(m_pComponent->m_TestCaseList.front());
  }

  std::pair<pid_t, pid_t> Pids(const std::string& file)
  {
    std::pair<pid_t, pid_t> pids{0, 0};
    std::ifstream(file) >> pids.first >> pids.second;
    return pids;
  }

  TempFolder m_folder;
  PrivateRegistry m_registry{m_folder};
  LogCapture m_log;
  std::unique_ptr<CIniComponent> m_pComponent;
};

} // namespace

TEST_F(ExecuteTest, FastPassingProgramPassesEveryIteration)
{
  CTestcaseEx& testCase = Define("./marlow_probe tagged pass ./pass.log", "./pass.log");
  for (int iteration = 1; iteration <= 3; ++iteration) {
    SCOPED_TRACE(iteration);
    m_log.Clear();
    EXPECT_EQ(testCase.Execute(), kTestStatusPassed) << m_log.All();
    EXPECT_TRUE(m_log.Lines().empty()) << m_log.All();
    EXPECT_TRUE(m_log.Results().empty());
    ASSERT_EQ(m_log.NtLog().size(), 3u);
    EXPECT_EQ(m_log.NtLog()[0].text, "TestCaseName = Probe");
    EXPECT_EQ(m_log.NtLog()[1].text, "Name of the .ini file: = lab.ini");
    EXPECT_EQ(m_log.NtLog()[2].text, "Test Case ReturnType = WINDOWS");
    for (const auto& record : m_log.NtLog()) {
      EXPECT_EQ(record.flags, 0x40u);
      EXPECT_EQ(record.sourceFile, "TestcaseEx");
    }
  }
  // The command line and the image keep their case and their form in the test case.
  EXPECT_EQ(testCase.m_strCmdLine, "./marlow_probe tagged pass ./pass.log");
  EXPECT_EQ(testCase.m_strImage, "marlow_probe");
  const std::string results = ReadAll(m_folder.File("results.txt"));
  EXPECT_NE(results.find("All registers read back as written"), std::string::npos) << results;
}

TEST_F(ExecuteTest, LogsDecideTheVerdict)
{
  const struct
  {
    const char* cmd;
    uint32_t status;
  } cases[] = {{"./marlow_probe tagged fail ./v.log", kTestStatusFailed},
               {"./marlow_probe tagged warn ./v.log", kTestStatusPassed},
               {"./marlow_probe plain pass ./v.log", kTestStatusPassed},
               {"./marlow_probe plain fail ./v.log", kTestStatusFailed}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cmd);
    m_log.Clear();
    EXPECT_EQ(Define(c.cmd, "./v.log").Execute(), c.status) << m_log.All();
    EXPECT_TRUE(m_log.Results().empty());
  }
}

TEST_F(ExecuteTest, MissingAndUnmodifiedLogsFail)
{
  const std::string log = m_folder.File("defs/silent.log");
  CTestcaseEx& missing = Define("./marlow_probe silent", "./silent.log");
  EXPECT_EQ(missing.Execute(), kTestStatusFailed);
  EXPECT_EQ(m_log.Lines(), std::vector<std::string>{"Log file: " + log + " not Found\n"});
  EXPECT_EQ(m_log.Results(), std::vector<std::string>{kFailed});

  m_folder.Write("defs/silent.log", "[ Pass]from an earlier run\n");
  m_log.Clear();
  CTestcaseEx& unmodified = Define("./marlow_probe silent", "./silent.log");
  EXPECT_EQ(unmodified.Execute(), kTestStatusFailed);
  EXPECT_EQ(m_log.Lines(), std::vector<std::string>{"Unmodified Log file: " + log + "\n"});
  EXPECT_EQ(m_log.Results(), std::vector<std::string>{kFailed});
}

TEST_F(ExecuteTest, LogRewrittenWithinTheSecondOfTheStampCounts)
{
  CTestcaseEx& testCase = Define("./marlow_probe silent", "./t.log");
  const std::string log = m_folder.File("defs/t.log");
  m_folder.Write("defs/t.log", "[Case>]c\n[ Pass]p\n[<Case]c\n");
  const struct timespec stamp[2] = {{1700000000, 500000000}, {1700000000, 500000000}};
  ASSERT_EQ(utimensat(AT_FDCWD, log.c_str(), stamp, 0), 0);
  testCase.TakeLogTimeStamp(log);
  EXPECT_EQ(testCase.m_dwLogTimeStamp, 1700000000u);

  const struct
  {
    const char* name;
    long nanoseconds;
    bool precise;
    uint32_t status;
  } cases[] = {{"same time", 500000000, true, kTestStatusFailed},
               {"one nanosecond later", 500000001, true, kTestStatusPassed},
               {"same second, stamp from the suite file", 900000000, false, kTestStatusFailed}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const struct timespec times[2] = {{1700000000, c.nanoseconds}, {1700000000, c.nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, log.c_str(), times, 0), 0);
    testCase.m_bLogTimeStampPrecise = c.precise;
    EXPECT_EQ(testCase.TranslateLog(log), c.status);
  }
}

TEST_F(ExecuteTest, HungProgramAndItsEscapedGrandchildEndAtTheLimit)
{
  const std::string pids = m_folder.File("hang.pids");
  CTestcaseEx& testCase = Define("./marlow_probe hang ./hang.log " + pids, "./hang.log", "700");
  const auto begin = std::chrono::steady_clock::now();
  // The log written before the limit decides.
  EXPECT_EQ(testCase.Execute(), kTestStatusPassed) << m_log.All();
  const auto elapsed = std::chrono::steady_clock::now() - begin;
  EXPECT_GE(elapsed, 650ms);
  EXPECT_LT(elapsed, 15s);
  const auto [program, grandchild] = Pids(pids);
  ASSERT_GT(program, 0);
  ASSERT_GT(grandchild, 0);
  EXPECT_TRUE(Gone(program));
  EXPECT_TRUE(Gone(grandchild));
}

TEST_F(ExecuteTest, ChildLeftBehindByAProgramThatEndedIsEnded)
{
  const std::string pids = m_folder.File("leave.pids");
  CTestcaseEx& testCase = Define("./marlow_probe leave ./leave.log " + pids, "./leave.log");
  EXPECT_EQ(testCase.Execute(), kTestStatusPassed) << m_log.All();
  const auto [program, grandchild] = Pids(pids);
  ASSERT_GT(grandchild, 0);
  EXPECT_TRUE(Gone(program));
  EXPECT_TRUE(Gone(grandchild));
}

TEST_F(ExecuteTest, ZeroDoesNotWait)
{
  const std::string log = m_folder.File("defs/late.log");
  CTestcaseEx& testCase = Define("./marlow_probe late ./late.log", "./late.log", "0");
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(testCase.Execute(), kTestStatusFailed);
  EXPECT_LT(std::chrono::steady_clock::now() - begin, 2s);
  EXPECT_EQ(m_log.Lines(), std::vector<std::string>{"Log file: " + log + " not Found\n"});
}

TEST_F(ExecuteTest, StopFromAnotherThreadEndsTheWaitAtOnce)
{
  for (const char* limit : {"-1", " 600000"}) {
    SCOPED_TRACE(limit);
    const std::string pids = m_folder.File("stop.pids");
    fs::remove(pids);
    CTestcaseEx& testCase = Define("./marlow_probe hang ./stop.log " + pids, "./stop.log", limit);
    std::thread stopper([&testCase, &pids] {
      for (int i = 0; i < 1000 && !fs::exists(pids); ++i)
        std::this_thread::sleep_for(10ms);
      testCase.Abort();
    });
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(testCase.Execute(), kTestStatusPassed) << m_log.All();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 15s);
    stopper.join();
    const auto [program, grandchild] = Pids(pids);
    EXPECT_TRUE(Gone(program));
    EXPECT_TRUE(Gone(grandchild));
    // The request stands until it is withdrawn.
    EXPECT_TRUE(testCase.IsAbortRequested());
    testCase.ClearStatus();
    EXPECT_FALSE(testCase.IsAbortRequested());
  }
}

TEST_F(ExecuteTest, CommandLineWithoutTheImageStillRuns)
{
  const std::string program = m_folder.File("defs/marlow_probe");
  CTestcaseEx& testCase =
      Define(program + " tagged pass ./img.log", "./img.log", "20000", "other.exe");
  EXPECT_EQ(testCase.Execute(), kTestStatusPassed) << m_log.All();
  EXPECT_EQ(m_log.Lines(), std::vector<std::string>{"Invalid Image Value"});
  EXPECT_TRUE(fs::exists(m_folder.File("defs/img.log")));
}

TEST_F(ExecuteTest, RelativePathsWithBlanks)
{
  fs::create_directories(m_folder.File("my defs/my logs"));
  const struct
  {
    const char* cmd;
    const char* log;
  } cases[] = {{"./marlow_probe tagged pass \"./my logs/a b.log\"", "./my logs/a b.log"},
               {"./marlow_probe tagged pass ./my logs/c d.log", "./my logs/c d.log"},
               {"\"./marlow_probe\" tagged pass ./e.log", "./e.log"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cmd);
    m_log.Clear();
    CTestcaseEx& testCase = Define(c.cmd, c.log, "20000", "MARLOW_PROBE", "WINDOWS", "my defs");
    EXPECT_EQ(testCase.Execute(), kTestStatusPassed) << m_log.All();
    EXPECT_TRUE(m_log.Lines().empty()) << m_log.All();
    EXPECT_TRUE(fs::exists(m_folder.File("my defs/" + std::string(c.log).substr(2))));
  }
}

TEST_F(ExecuteTest, ProgramThatCannotStart)
{
  CTestcaseEx& testCase =
      Define("./no_such_program ./n.log", "./n.log", "20000", "no_such_program");
  EXPECT_EQ(testCase.Execute(), kTestStatusFailed);
  EXPECT_EQ(m_log.Lines(),
            (std::vector<std::string>{"Invalid Cmd Line Path",
                                      "\"ERROR 0009: Unable to start the results file viewer "
                                      "application, error code 2.\"\n"}));
  EXPECT_EQ(m_log.Results(), std::vector<std::string>{kFailed});
}

namespace {

platform::HMODULE NoModule(const std::string&)
{
  return nullptr;
}

// A real module without the translation export.
platform::HMODULE WrongModule(const std::string&)
{
  return platform::LoadLibrary("NTLog.dll");
}

} // namespace

TEST_F(ExecuteTest, TranslationLibraryThatCannotBeUsed)
{
  for (marlow::ModuleLoader loader : {&NoModule, &WrongModule}) {
    m_log.Clear();
    marlow::SetTranslationModuleLoader(loader);
    CTestcaseEx& testCase = Define("./marlow_probe tagged pass ./t.log", "./t.log");
    EXPECT_EQ(testCase.Execute(), kTestStatusFailed);
    EXPECT_EQ(m_log.Lines(),
              std::vector<std::string>{"Unable to Load the tallow.dll  Check the Path"});
    EXPECT_TRUE(m_log.Results().empty());
  }
}

TEST_F(ExecuteTest, ReturnTypes)
{
  const struct
  {
    const char* returnType;
    const char* batchState; // nullptr: as constructed
    uint32_t status;
    const char* result;
    const char* line;
  } cases[] = {
      {"Windows", nullptr, kTestStatusPassed, nullptr, nullptr},
      {"OS2", nullptr, kTestStatusFailed, "Invalid Testcase. Check the syntax of the .ini file",
       nullptr},
      {"DOS", "PreBoot", kTestStatusFailed, "Invalid Testcase. Check the syntax of the .ini file",
       nullptr},
      {"DOSBatch", "", kTestStatusFailed, "Invalid Testcase. Check the syntax of the .ini file",
       nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.returnType) + " " + (c.batchState ? c.batchState : "-"));
    m_log.Clear();
    CTestcaseEx& testCase = Define("./marlow_probe tagged pass ./r.log", "./r.log", "20000",
                                   "marlow_probe", c.returnType);
    if (c.batchState != nullptr)
      testCase.m_strBatchState = c.batchState;
    EXPECT_EQ(testCase.Execute(), c.status);
    EXPECT_EQ(m_log.Results(),
              c.result ? std::vector<std::string>{c.result} : std::vector<std::string>{});
    EXPECT_EQ(m_log.Lines(),
              c.line ? std::vector<std::string>{c.line} : std::vector<std::string>{});
  }
}

TEST_F(ExecuteTest, VersionOfTheTestProgram)
{
  m_folder.Write("defs/script.sh", "#!/bin/sh\n");
  const struct
  {
    const char* cmd;
    const char* image;
    const char* returnType;
    std::string version;
  } cases[] = {
      {"./marlow_probe tagged pass ./x.log", "marlow_probe", "WINDOWS", HALVEX_VERSION_TEXT},
      {"./script.sh ./x.log", "script.sh", "WINDOWS", "Unknown"},
      {"./marlow_probe tagged pass ./x.log", "marlow_probe", "DOS", "Unknown"},
      {"./missing ./x.log", "missing", "WINDOWS", "Unknown"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cmd);
    EXPECT_EQ(Define(c.cmd, "./x.log", "20000", c.image, c.returnType).GetImageVersion(),
              c.version);
  }
}

TEST_F(ExecuteTest, ResultsFileFromTheHarnessSettingsUntilOneIsHandedOver)
{
  m_folder.Write("halvex.ini", std::string("[General]\nRegistryKey=") + kRootKey + "\n");
  components::SetHarnessIniPath(m_folder.File("halvex.ini"));
  CTestcaseEx& testCase = Define("./marlow_probe tagged pass ./r.log", "./r.log");
  m_pComponent->m_strResultsFilePath.clear();
  const std::string log = m_folder.File("defs/r.log");
  const struct
  {
    const char* setting; // nullptr: none
    uint32_t status;
    std::vector<std::string> lines;
  } cases[] = {{nullptr,
                kTestStatusFailed,
                {"No results file is set; the log " + log + " is not translated."}},
               {"settings-results.txt", kTestStatusPassed, {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.setting ? c.setting : "no setting");
    if (c.setting != nullptr) {
      CRegKey root;
      ASSERT_EQ(root.Open(platform::HKEY_LOCAL_MACHINE, kRootKey), 0);
      ASSERT_EQ(root.WriteString("ResultsFilePath", m_folder.File(c.setting)), 0);
    }
    m_log.Clear();
    EXPECT_EQ(testCase.Execute(), c.status);
    EXPECT_EQ(m_log.Lines(), c.lines);
  }
  EXPECT_NE(
      ReadAll(m_folder.File("settings-results.txt")).find("All registers read back as written"),
      std::string::npos);
  components::SetHarnessIniPath("");
}

namespace {

constexpr const char* kPassingDosLog =
    "[Head ]DOS probe\r\n[ Pass]Memory answered\r\n[Foot ]End\r\n";

// DOS test cases whose definitions lie on DOS's C: (below the system drive folder).
class ExecuteDosTest : public ExecuteTest
{
protected:
  CTestcaseEx& DefineDos(const std::string& returnType = "DOS",
                         const std::string& folder = "DRIVE_C/DEFS")
  {
    m_folder.Write(folder + "/PROBE.BAT", "@echo off\r\n");
    return Define("./PROBE.BAT pass \"./LOGS/PROBE.LOG\"", "./LOGS/PROBE.LOG", "", "PROBE.BAT",
                  returnType, folder);
  }
  std::string NextBatchFile(const std::string& prefix) const
  {
    return m_dos.BatchFile(
        components::FormatText("%s%03d.bat", prefix.c_str(), marlow::ModuleDosBatch().Counter()));
  }

  DosLayout m_dos{m_folder};
};

} // namespace

TEST_F(ExecuteDosTest, PreparationWritesTheBatchAndTheResumeJudgesTheLogDosLeft)
{
  for (const char* family : {"NT", "9x"}) {
    SCOPED_TRACE(family);
    m_dos.SetFamily(family);
    m_log.Clear();
    CTestcaseEx& testCase = DefineDos();
    const std::string log = m_dos.File("DEFS/LOGS/PROBE.LOG");
    const std::string numbered = NextBatchFile("Probe");
    EXPECT_EQ(testCase.Execute(), kTestStatusPrepared) << m_log.All();
    EXPECT_EQ(m_log.Results(), (std::vector<std::string>{"TestStatus - PreBootBatch",
                                                         "TestStatus - TEST_NOT_RUN_YET"}));
    EXPECT_TRUE(m_log.Lines().empty()) << m_log.All();
    // The program and the log in their DOS form; quotes gone.
    const std::string text = ReadAll(numbered);
    EXPECT_NE(text.find("\r\necho C:\\DEFS\\PROBE.BAT pass  C:\\DEFS\\LOGS\\PROBE.LOG >> "),
              std::string::npos)
        << text;

    // What DOS leaves: the log written after the preparation.
    fs::create_directories(m_dos.File("DEFS/LOGS"));
    WriteAll(log, kPassingDosLog);
    testCase.m_strBatchState = "BatchResume";
    m_log.Clear();
    EXPECT_EQ(testCase.Execute(), kTestStatusPassed) << m_log.All();
    EXPECT_EQ(m_log.Results(), std::vector<std::string>{"TestStatus - BatchResume"});
    EXPECT_NE(ReadAll(m_folder.File("results.txt")).find("Memory answered"), std::string::npos);
    fs::remove(log);
  }
}

TEST_F(ExecuteDosTest, ResumeWithoutANewLogFails)
{
  CTestcaseEx& testCase = DefineDos();
  fs::create_directories(m_dos.File("DEFS/LOGS"));
  const std::string log = m_dos.File("DEFS/LOGS/PROBE.LOG");
  WriteAll(log, kPassingDosLog);
  ASSERT_EQ(testCase.Execute(), kTestStatusPrepared);
  testCase.m_strBatchState = "BatchResume";
  m_log.Clear();
  EXPECT_EQ(testCase.Execute(), kTestStatusFailed);
  EXPECT_EQ(m_log.Results(),
            (std::vector<std::string>{"TestStatus - BatchResume", "TestStatus - FAILED"}));
  EXPECT_EQ(m_log.Lines(), std::vector<std::string>{"Unmodified Log file: " + log + "\n"});
}

TEST_F(ExecuteDosTest, DosBatchKindIsPreparedLikeDos)
{
  CTestcaseEx& testCase = DefineDos("DOSBatch");
  const std::string numbered = NextBatchFile("Probe");
  EXPECT_EQ(testCase.Execute(), kTestStatusPrepared) << m_log.All();
  EXPECT_TRUE(fs::exists(numbered));
}

TEST_F(ExecuteDosTest, ProgramOutOfDosReachFailsBeforeTheRestart)
{
  CTestcaseEx& testCase = DefineDos("DOS", "outside");
  const int counter = marlow::ModuleDosBatch().Counter();
  EXPECT_EQ(testCase.Execute(), kTestStatusFailed);
  EXPECT_EQ(m_log.Results(), std::vector<std::string>{"TestStatus - FAILED"});
  EXPECT_EQ(m_log.Lines(),
            std::vector<std::string>{"DOS cannot reach " + m_folder.File("outside/PROBE.BAT") +
                                     ": it must lie below " + m_dos.Root() +
                                     " and have DOS names (8.3)."});
  EXPECT_EQ(marlow::ModuleDosBatch().Counter(), counter);
}

TEST_F(ExecuteDosTest, EmptyCommandLineHasNothingToPrepare)
{
  CTestcaseEx& testCase = DefineDos();
  testCase.m_strCmdLine = " ";
  const int counter = marlow::ModuleDosBatch().Counter();
  EXPECT_EQ(testCase.Execute(), kTestStatusFailed);
  EXPECT_EQ(m_log.Results(), (std::vector<std::string>{"TestStatus - PreBootBatch",
                                                       "No items in the Local Batch Run List"}));
  EXPECT_EQ(m_log.Lines(), std::vector<std::string>{"Invalid Image Value"});
  EXPECT_EQ(marlow::ModuleDosBatch().Counter(), counter);
}
