// The harness properties' rules over a store in memory: filling writes nothing, levels, radio
// groups, the report flags, the default paths and SuspectFilesAre with its boxes.
#include "harness/harnessproperties.h"
#include "harness/runstate.h"
#include "harness/stringids.h"
#include "mapstore.h"
#include "testsupport/hostsupport.h"

#include <gtest/gtest.h>

namespace harness::test {

using namespace testsupport;
namespace {

const std::string kRoot = "SOFTWARE\\Orvane\\Halvex";

class HarnessPropertiesTest : public ::testing::Test
{
protected:
  HarnessPropertiesTest() : strings(HarnessStrings())
  {
    store.keys.insert(kRoot);
    store.strings[kRoot + "|" + kSuspectFilesAreValue] = strings.Get(ids::kSuspectFilesUnchecked);
    settings.SetDefaults();
    settings.m_strInstallationFolder = "/opt/halvex/";
    settings.m_strDefaultLoggingFolder = "/var/log/halvex";
    settings.m_strResultsFilePath = "/lab/results.txt";
    settings.m_strLogFilePath = "/lab/log.txt";
    settings.m_strTestSuitesFolder = "/lab/suites";
  }
  HarnessPropertiesContext Context()
  {
    return {settings, level, note, store, kRoot, strings, prompts};
  }
  std::vector<std::string> BoxTexts() const
  {
    std::vector<std::string> texts;
    for (const auto& request : prompts.requests)
      texts.push_back(request.text);
    return texts;
  }

  StringTable strings;
  RecordingPrompts prompts;
  MapStore store;
  CHarnessSettings settings;
  unsigned level = 1;
  std::string note = "bench 4";
};

TEST_F(HarnessPropertiesTest, FillingShowsTheSettingsAndWritesNothing)
{
  settings.m_nAppendToResultsFile = 0;
  settings.m_nNtLoggingEnable = 0;
  settings.m_nLogDestination = 2;
  settings.m_nReportOem = 0;
  settings.m_nReportModel = 2;
  level = 2;
  auto context = Context();
  const HarnessProperties values = FillHarnessProperties(context);
  EXPECT_EQ(values.resultsFilePath, "/lab/results.txt");
  EXPECT_EQ(values.testSuitesFolder, "/lab/suites");
  EXPECT_EQ(values.note, "bench 4");
  EXPECT_EQ(values.appendToResultsFile, 0);
  EXPECT_FALSE(values.ntLoggingEnable);
  EXPECT_EQ(values.logFilePath, "/lab/log.txt");
  EXPECT_EQ(values.loggingLevelText, LoggingLevelText(strings, 2));
  EXPECT_EQ(values.logDestination, 2);
  EXPECT_FALSE(values.suspectFiles);
  ASSERT_EQ(values.report.size(), ReportSettings().size());
  for (std::size_t i = 0; i < values.report.size(); ++i) {
    SCOPED_TRACE(ReportSettings()[i].name);
    EXPECT_EQ(values.report[i], settings.*ReportSettings()[i].member != 0);
  }
  EXPECT_TRUE(store.writes.empty());
  EXPECT_TRUE(prompts.requests.empty());
}

TEST_F(HarnessPropertiesTest, ALevelAboveThreeIsShownAndKeptAsLevelZero)
{
  level = 7;
  auto context = Context();
  const HarnessProperties values = FillHarnessProperties(context);
  EXPECT_EQ(values.loggingLevelText, LoggingLevelText(strings, 0));
  EXPECT_EQ(level, 0u);
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(HarnessPropertiesTest, TheLevelComesFromTheComboTextIgnoringCase)
{
  const std::vector<std::string> choices = LoggingLevelChoices(strings);
  ASSERT_EQ(choices.size(), 4u);
  const struct
  {
    std::string text;
    unsigned level;
  } cases[] = {{choices[3], 3},
               {choices[1], 1},
               {[&] {
                  std::string upper = choices[2];
                  for (char& c : upper)
                    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                  return upper;
                }(),
                2},
               {"Verbose", 0},
               {"", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(LoggingLevelFromText(strings, c.text), c.level);
  }
}

TEST_F(HarnessPropertiesTest, RadioGroupsStandForTheirValues)
{
  const struct
  {
    std::uint32_t stored;
    int appendIndex;
    int dateTimeIndex;
  } cases[] = {{0, 0, 0}, {1, 1, 1}, {5, 1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    settings.m_nAppendToLogFile = settings.m_nAppendToResultsFile = c.stored;
    settings.m_nLogDateTime = c.stored;
    auto context = Context();
    HarnessProperties values = FillHarnessProperties(context);
    EXPECT_EQ(values.appendToLogFile, c.appendIndex);
    EXPECT_EQ(values.appendToResultsFile, c.appendIndex);
    EXPECT_EQ(values.logDateTime, c.dateTimeIndex);
    StoreHarnessProperties(values, context);
    EXPECT_EQ(settings.m_nAppendToLogFile, static_cast<std::uint32_t>(c.appendIndex));
    EXPECT_EQ(settings.m_nLogDateTime, static_cast<std::uint32_t>(c.dateTimeIndex));
  }
}

TEST_F(HarnessPropertiesTest, OkStoresEveryValueCutToItsControl)
{
  auto context = Context();
  HarnessProperties values = FillHarnessProperties(context);
  values.resultsFilePath = std::string(300, 'r');
  values.testSuitesFolder = "/new/suites";
  values.note = "bench 5";
  values.appendToResultsFile = 0;
  values.ntLoggingEnable = false;
  values.logFilePath = "/new/log.txt";
  values.loggingLevelText = LoggingLevelChoices(strings)[3];
  values.logDestination = 1;
  values.suspectFiles = true;
  values.report.assign(values.report.size(), false);
  values.report[0] = true;
  StoreHarnessProperties(values, context);
  EXPECT_EQ(settings.m_strResultsFilePath, std::string(kPropertiesTextMax, 'r'));
  EXPECT_EQ(settings.m_strTestSuitesFolder, "/new/suites");
  EXPECT_EQ(note, "bench 5");
  EXPECT_EQ(settings.m_nAppendToResultsFile, 0u);
  EXPECT_EQ(settings.m_nNtLoggingEnable, 0u);
  EXPECT_EQ(settings.m_strLogFilePath, "/new/log.txt");
  EXPECT_EQ(level, 3u);
  EXPECT_EQ(settings.m_nLogDestination, 1);
  EXPECT_EQ(settings.m_nReportFirmwareVersion, 1u);
  EXPECT_EQ(settings.m_nReportDriverVersion, 0u);
  EXPECT_EQ(store.strings[kRoot + "|" + kSuspectFilesAreValue],
            strings.Get(ids::kSuspectFilesChecked));
  // Only SuspectFilesAre is written here; the settings are saved by the caller.
  EXPECT_EQ(store.writes, (std::vector<std::string>{kSuspectFilesAreValue}));
}

TEST_F(HarnessPropertiesTest, SuspectFilesAreReadAndWrittenWithTheirBoxes)
{
  const std::string unchecked = strings.Get(ids::kSuspectFilesUnchecked);
  const struct
  {
    const char* name;
    bool rootKey;
    const char* stored; // null: no value
    bool checked;
    std::vector<std::string> boxes;
  } cases[] = {
      {"unchecked text", true, unchecked.c_str(), false, {}},
      {"checked text", true, "Reported", true, {}},
      {"any other text, even in other letter case", true, "IGNORED", true, {}},
      {"no value", true, nullptr, false, {kSuspectReadFailedBox}},
      {"no root key", false, nullptr, false, {kRootKeyOpenFailedBox}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MapStore local;
    if (c.rootKey)
      local.keys.insert(kRoot);
    if (c.stored != nullptr)
      local.strings[kRoot + "|" + kSuspectFilesAreValue] = c.stored;
    prompts.requests.clear();
    EXPECT_EQ(ReadSuspectFilesAre(local, kRoot, strings, prompts), c.checked);
    EXPECT_EQ(BoxTexts(), c.boxes);
    EXPECT_TRUE(local.writes.empty());
  }

  prompts.requests.clear();
  MapStore missing;
  EXPECT_FALSE(WriteSuspectFilesAre(missing, kRoot, true, strings, prompts));
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kRootKeyOpenFailedBox}));
  EXPECT_TRUE(missing.writes.empty());

  prompts.requests.clear();
  store.failing.insert(kSuspectFilesAreValue);
  EXPECT_FALSE(WriteSuspectFilesAre(store, kRoot, true, strings, prompts));
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kSuspectWriteFailedBox}));
  EXPECT_EQ(store.strings[kRoot + "|" + kSuspectFilesAreValue], unchecked);
}

TEST_F(HarnessPropertiesTest, DefaultButtonsPutTheDefaultPaths)
{
  EXPECT_EQ(DefaultResultsFilePath(settings), "/var/log/halvex/HalvexResults.txt");
  EXPECT_EQ(DefaultLogFilePath(settings), "/var/log/halvex/HalvexLog.txt");
  EXPECT_EQ(DefaultTestSuitesFolder("/opt//halvex/", strings),
            "/opt/halvex/" + strings.Get(ids::kSuitesSubFolder) + "/" +
                strings.Get(ids::kSuitesFolder));
}

} // namespace
} // namespace harness::test
