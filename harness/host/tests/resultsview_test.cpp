// The results: the file route and the NTLog route with our NTLog.so bound by name, variations,
// the silent fallback without NTLog, the start and end reports with the report settings, the
// results file's and NTLog log's fallbacks, and clearing.
#include "harness/logfile.h"
#include "harness/resultsview.h"
#include "harness/runrecord.h"
#include "harness/stringids.h"
#include "plinth/component.h"
#include "runfixture.h"

#include <filesystem>
#include <sys/stat.h>

namespace harness::test {
namespace {

// Our NTLog.so, where the plug-ins of the build tree lie.
std::string NtLogModule()
{
  return BuildDir() + "/lib/halvex/plugins/NTLog.so";
}

class ResultsViewTest : public ::testing::Test
{
protected:
  ResultsViewTest() : strings(HarnessStrings()) {}

  void SetUp() override
  {
    settings.SetDefaults();
    settings.m_strDefaultLoggingFolder = folder.Path();
    settings.m_strResultsFilePath = folder.File("results.txt");
  }

  CResultsView& Make(const std::string& module)
  {
    view = std::make_unique<CResultsView>(settings, run, strings, prompts, module);
    view->SetWindow(&window);
    view->SetLog(
        [this](unsigned level, const std::string& text) { logged.emplace_back(level, text); });
    view->SetSaveSettings([this] { ++saves; });
    view->SetFileExceptionReport(
        [this](FileExceptionCause, const std::string& file, int) { fileReports.push_back(file); });
    view->SetComponentFinder([this](const std::string& name) {
      return name == component.GetClassName() ? &component : nullptr;
    });
    view->SetClock([] { return RunClock::time_point(std::chrono::seconds(1700000000)); });
    view->SetDateTimeText([](RunClock::time_point) { return std::string("NOW"); });
    return *view;
  }

  std::string File() const { return ReadAll(settings.m_strResultsFilePath); }

  TempFolder folder;
  StringTable strings;
  CHarnessSettings settings;
  CRunBookkeeping run;
  RecordingPrompts prompts;
  StringWindow window;
  CComponent component{nullptr};
  std::unique_ptr<CResultsView> view;
  std::vector<std::pair<unsigned, std::string>> logged;
  std::vector<std::string> fileReports;
  int saves = 0;
};

TEST_F(ResultsViewTest, WithoutNtLogAResultIsOneLineInTheFileAndTheWindow)
{
  CResultsView& results = Make("NoSuchNtLog.dll");
  EXPECT_FALSE(results.IsNtLogAvailable());
  EXPECT_TRUE(prompts.requests.empty()); // missing NTLog is silent
  EXPECT_TRUE(logged.empty());
  results.OnResultText("first\r\nsecond");
  const std::string line = strings.Format(ids::kResultLine, {"first  second"});
  EXPECT_EQ(File(), line + "\r\n");
  EXPECT_EQ(window.text, line + "\r\n");
  // An NTLog entry takes the same route.
  results.LogNtEntry(kNtEntryPass | kNtEntryStartVariation, "TestcaseEx", 12, "entry");
  EXPECT_EQ(File(), line + "\r\n" + strings.Format(ids::kResultLine, {"entry"}) + "\r\n");
  EXPECT_FALSE(results.InVariation());
}

TEST_F(ResultsViewTest, AModuleWithoutEveryEntryPointIsNotUsed)
{
  // tallow.so is a real module with none of the 19 entry points.
  CResultsView& results = Make(BuildDir() + "/lib/halvex/plugins/tallow.so");
  EXPECT_FALSE(results.IsNtLogAvailable());
  EXPECT_NE(results.NtLogBinding().Description().find("has no tlCreateLog_A"), std::string::npos);
  results.AddResultLine("plain");
  EXPECT_EQ(File(), "plain\r\n");
}

TEST_F(ResultsViewTest, WithNtLogResultsGoToItsLogAsInformationAtTestLevel)
{
  CResultsView& results = Make(NtLogModule());
  ASSERT_TRUE(results.IsNtLogAvailable()) << results.NtLogBinding().Description();
  results.OnResultText("first\r\nsecond");
  ASSERT_NE(results.NtLog(), nullptr);
  EXPECT_EQ(window.text, "first  second\r\n");
  tlStats stats{};
  ASSERT_EQ(results.NtLogBinding().Api().tlGetTestStat(results.NtLog(), &stats), 1);
  EXPECT_EQ(stats.info, 1u);
  view.reset(); // closes the log
  // NTLog's own file at the results path, not the harness's line.
  const std::string file = File();
  EXPECT_NE(file.find("INFO  TEST p1 ResultVw(257): first  second"), std::string::npos) << file;
  EXPECT_EQ(file.find("first  second\r\n"), std::string::npos);
  // With NtLoggingEnable 0 the harness's own file takes the line.
  settings.m_nNtLoggingEnable = 0;
  Make(NtLogModule()).AddResultLine("own");
  EXPECT_NE(File().find("own\r\n"), std::string::npos);
}

TEST_F(ResultsViewTest, VariationEntries)
{
  CResultsView& results = Make(NtLogModule());
  ASSERT_TRUE(results.IsNtLogAvailable());
  results.LogNtEntry(kNtEntryStartVariation | kNtEntryPass, "Src", 5, "opens");
  EXPECT_TRUE(results.InVariation());
  results.LogNtEntry(kNtEntryFail, "Src", 6, "inside");
  results.LogNtEntry(kNtEntryEndVariation | kNtEntryInformation, "Src", 7, "closes");
  EXPECT_FALSE(results.InVariation());
  results.LogNtEntry(kNtEntryPass | kNtEntryFail, "Src", 8, "both bits");
  results.LogNtEntry(kNtEntryWarning, "Src", 9, "warned");
  results.LogNtEntry(kNtEntryStartVariation | kNtEntryEndVariation | kNtEntryPass, "Src", 10,
                     "one entry variation");
  view.reset(); // closes the log
  const std::string file = File();
  const char* expected[] = {
      "PASS  VAR  p1 Src(5): opens",  // level 0x220
      "FAIL1 VAR  p1 Src(6): inside", // inside the variation
      "INFO  VAR  p1 Src(7): closes",
      "<<<<< VAR  p1 variation 1 ended: FAIL1",
      // The variation's result with the variation level, after the entry that ended it.
      "FAIL1 VAR  p1 ResultVw(705): End of variation (Src, line 7)",
      "PASS  TEST p1 Src(8): both bits", // 0x80 wins over 0x100
      "WARN  TEST p1 Src(9): warned",
      "PASS  VAR  p1 Src(10): one entry variation",
      "PASS  VAR  p1 ResultVw(705): End of variation (Src, line 10)",
  };
  std::size_t at = 0;
  for (const char* line : expected) {
    SCOPED_TRACE(line);
    const std::size_t found = file.find(line, at);
    ASSERT_NE(found, std::string::npos) << file;
    at = found;
  }
  // Every entry also showed in the window.
  EXPECT_NE(window.text.find("one entry variation"), std::string::npos);
}

TEST_F(ResultsViewTest, StartReportFollowsTheReportSettings)
{
  CResultsView& results = Make("NoSuchNtLog.dll");
  component.SetClassName("Lab Tests");
  component.SetOEMName("Orvane");
  component.SetManufacturer("Maker");
  component.SetModelName("M1");
  component.SetSerialNum("S9");
  component.SetDriverVersion("D2");
  component.SetFirmwareVersion("F3");
  CTestCase testCase(&component, "", 1, 1, 0);
  testCase.SetLabel("Boot");
  ASSERT_TRUE(results.ReportTestStart(testCase, 4));
  EXPECT_EQ(File(), " \r\nTest case: Boot\r\nType: TestCase\r\nComponent: Lab Tests\r\n"
                    "OEM: Orvane\r\nManufacturer: Maker\r\nModel: M1\r\nSerial number: S9\r\n"
                    "Driver version: D2\r\nFirmware version: F3\r\nStarted: NOW\r\n"
                    "Iteration: 4\r\n\r\n");
  std::filesystem::remove(settings.m_strResultsFilePath);
  settings.m_nReportFirmwareVersion = settings.m_nReportManufacturer = settings.m_nReportModel = 0;
  settings.m_nReportOem = settings.m_nReportDriverVersion = settings.m_nReportSerialNumber = 0;
  settings.m_nReportTestCaseElapsedTime = settings.m_nReportTestSuiteElapsedTime = 0;
  settings.m_nReportTsFileName = 0;
  ASSERT_TRUE(results.ReportTestStart(testCase, 1));
  EXPECT_EQ(File(), " \r\nTest case: Boot\r\nType: TestCase\r\nComponent: Lab Tests\r\n"
                    "Started: NOW\r\nIteration: 1\r\n\r\n");
  // The end reports leave out the elapsed times and the file path.
  std::filesystem::remove(settings.m_strResultsFilePath);
  testCase.SetStatus(kTestStatusNotRun);
  results.ReportTestEnd(testCase);
  results.ReportSuiteEnd("Nightly", "/suites/n.ts", RunState::Stopped);
  const std::string end = File();
  EXPECT_EQ(end.find("Elapsed"), std::string::npos) << end;
  EXPECT_EQ(end.find("/suites/n.ts"), std::string::npos);
  EXPECT_NE(end.find("Result: " + RunStateText(strings, RunState::Stopped)), std::string::npos);
}

TEST_F(ResultsViewTest, EndReportTextsAndVerdictEntriesByStatus)
{
  struct Case
  {
    std::uint32_t status;
    std::string text;
    const char* ntlogKind;
  } cases[] = {
      {kTestStatusFailed, RunStateText(strings, RunState::Failed), "FAIL1"},
      {kTestStatusPassed, RunStateText(strings, RunState::Passed), "PASS "},
      {kTestStatusNotRun, RunStateText(strings, RunState::Stopped), "WARN "},
      {kTestStatusPrepared, strings.Get(ids::kTestStatusOther), "WARN "},
  };
  CResultsView& results = Make(NtLogModule());
  ASSERT_TRUE(results.IsNtLogAvailable());
  CTestCase testCase(&component, "", 1, 1, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    window.ClearText();
    testCase.SetStatus(c.status);
    results.ReportTestEnd(testCase);
    EXPECT_NE(window.text.find(strings.Format(ids::kTestResult, {c.text})), std::string::npos);
  }
  view.reset();
  const std::string file = File();
  std::size_t at = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    const std::size_t found =
        file.find(std::string(c.ntlogKind) + " TEST p1 ResultVw(455): Type: TestCase", at);
    ASSERT_NE(found, std::string::npos) << file;
    at = found;
  }
}

TEST_F(ResultsViewTest, AnUnwritableResultsFileSwitchesToTheDefaultOne)
{
  settings.m_strResultsFilePath = folder.File("missing/folder/results.txt");
  CResultsView& results = Make("NoSuchNtLog.dll");
  results.AddResultLine("lost line");
  ASSERT_EQ(fileReports.size(), 1u);
  EXPECT_EQ(fileReports[0], folder.File("missing/folder/results.txt"));
  ASSERT_EQ(prompts.requests.size(), 1u);
  EXPECT_EQ(prompts.requests[0].text,
            strings.Format(ids::kResultsWriteFailed, {folder.File("missing/folder/results.txt")}));
  EXPECT_EQ(settings.m_strResultsFilePath, folder.File("HalvexResults.txt"));
  EXPECT_EQ(saves, 1);
  EXPECT_FALSE(FileExists(settings.m_strResultsFilePath)); // not written again
  EXPECT_EQ(window.text, "lost line\r\n");
  results.AddResultLine("next line");
  EXPECT_EQ(File(), "next line\r\n");
}

TEST_F(ResultsViewTest, NtLogLogFallsBackToTheDefaultFile)
{
  settings.m_strResultsFilePath = folder.File("missing/results.txt");
  CResultsView& results = Make(NtLogModule());
  ASSERT_NE(results.CreateNtLog(), nullptr);
  EXPECT_EQ(settings.m_strResultsFilePath, folder.File("HalvexResults.txt"));
  ASSERT_EQ(prompts.requests.size(), 1u);
  EXPECT_EQ(saves, 1);
  view.reset();
  EXPECT_NE(File().find("==== NTLog opened"), std::string::npos);
}

TEST_F(ResultsViewTest, NtLogThatCannotBeMadeStillShowsTheLine)
{
  settings.m_strResultsFilePath = folder.File("missing/results.txt");
  settings.m_strDefaultLoggingFolder = folder.File("missing too");
  CResultsView& results = Make(NtLogModule());
  EXPECT_EQ(results.CreateNtLog(), nullptr);
  results.OnResultText("shown anyway");
  EXPECT_EQ(results.NtLog(), nullptr);
  EXPECT_EQ(window.text, "shown anyway\r\n");
  EXPECT_TRUE(prompts.requests.empty());
}

TEST_F(ResultsViewTest, ClearResultsDeletesTheFileAndEmptiesTheWindow)
{
  CResultsView& results = Make(NtLogModule());
  results.BeginRun();
  results.AddResultLine("kept until cleared");
  ASSERT_TRUE(FileExists(settings.m_strResultsFilePath));
  EXPECT_EQ(results.ClearResults(), 0);
  EXPECT_EQ(results.NtLog(), nullptr);
  EXPECT_FALSE(FileExists(settings.m_strResultsFilePath));
  EXPECT_TRUE(window.text.empty());
  EXPECT_EQ(results.ClearResults(), 0); // nothing there: as good as deleted
  EXPECT_TRUE(logged.empty());
  // A results path that cannot be deleted is said at level 0 with the error.
  std::filesystem::create_directory(settings.m_strResultsFilePath);
  EXPECT_EQ(results.ClearResults(), EISDIR);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].first, 0u);
  EXPECT_EQ(logged[0].second, strings.Format(ids::kResultsDeleteFailed, {std::to_string(EISDIR)}));
}

TEST_F(ResultsViewTest, RunHooksMakeThisThreadAParticipant)
{
  CResultsView& results = Make(NtLogModule());
  results.BeginRun();
  ASSERT_NE(results.NtLog(), nullptr);
  tlLogInfo info{};
  results.NtLogBinding().Api().tlGetLogInfo(results.NtLog(), &info);
  EXPECT_EQ(info.participants, 1u);
  EXPECT_EQ(info.flags, kNtLogAppendFlags);
  results.EndRun();
  results.NtLogBinding().Api().tlGetLogInfo(results.NtLog(), &info);
  EXPECT_EQ(info.participants, 0u);
}

TEST_F(ResultsViewTest, ResultsNotAppendedStartANewNtLogFile)
{
  AppendLineToFile(settings.m_strResultsFilePath, "an earlier run");
  settings.m_nAppendToResultsFile = 0;
  CResultsView& results = Make(NtLogModule());
  ASSERT_NE(results.CreateNtLog(), nullptr);
  view.reset();
  EXPECT_EQ(File().find("an earlier run"), std::string::npos);
}

TEST_F(ResultsViewTest, WindowKeepsItsTextBounded)
{
  CResultsView& results = Make("NoSuchNtLog.dll");
  for (int i = 0; i < 250; ++i)
    results.AppendResultLine(std::string(98, 'r'));
  EXPECT_LE(window.text.size(), kLogWindowLimit + 100);
  EXPECT_FALSE(FileExists(settings.m_strResultsFilePath)); // the window only
}

TEST(ElapsedText, HoursMinutesSeconds)
{
  const StringTable strings = HarnessStrings();
  struct Case
  {
    long long seconds;
    const char* text;
  } cases[] = {{0, "0:00:00"},
               {59, "0:00:59"},
               {61, "0:01:01"},
               {3600 * 27 + 62, "27:01:02"},
               {-5, "0:00:00"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seconds);
    EXPECT_EQ(ElapsedText(strings, std::chrono::seconds(c.seconds)), c.text);
  }
}

} // namespace
} // namespace harness::test
