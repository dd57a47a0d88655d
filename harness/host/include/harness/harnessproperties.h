// The harness properties sheet without widgets: what the General, Log and Reporting pages
// start with, what OK stores, the pages' default paths, and the SuspectFilesAre value.
#pragma once

#include "harness/prompts.h"
#include "harness/settings.h"
#include "harness/stringtable.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace harness {

// Longest text the path edits and the level combo box take.
inline constexpr std::size_t kPropertiesTextMax = 254;

// SuspectFilesAre, directly below the root key, and the boxes of its read and write.
inline constexpr const char* kSuspectFilesAreValue = "SuspectFilesAre";
inline constexpr const char* kRootKeyOpenFailedBox = "Failed to open HALVEX root registry key";
inline constexpr const char* kSuspectReadFailedBox =
    "Failed to read from SuspectFilesAre registry key under HALVEX";
inline constexpr const char* kSuspectWriteFailedBox =
    "Failed to write to SuspectFilesAre registry key under HALVEX";

// One check box of the Reporting page: its control number and the setting it stands for.
struct ReportSetting
{
  int control;
  const char* name;
  std::uint32_t CHarnessSettings::*member;
};
// The nine, in the page's order.
const std::vector<ReportSetting>& ReportSettings();

// What the three pages show. Radio groups hold the index of the chosen button.
struct HarnessProperties
{
  // General page.
  std::string resultsFilePath;
  std::string testSuitesFolder;
  std::string note; // a text kept while the harness runs, not stored
  int appendToResultsFile = 1;
  bool ntLoggingEnable = true;
  // Log page.
  std::string logFilePath;
  std::string loggingLevelText;
  int logDestination = 0; // 0 window and file, 1 window only, 2 file only
  int appendToLogFile = 1;
  int logDateTime = 0; // 1: no time stamp
  bool suspectFiles = false;
  // Reporting page, in ReportSettings() order.
  std::vector<bool> report;
};

// What filling and storing the pages read and change.
struct HarnessPropertiesContext
{
  CHarnessSettings& settings;
  unsigned& loggingLevel; // the level in force
  std::string& note;
  SettingsStore& store;
  std::string rootKey;
  const StringTable& strings;
  UserPrompts& prompts;
};

// The level names for levels 0 to 3, as the combo box lists them.
std::vector<std::string> LoggingLevelChoices(const StringTable& strings);
// The level a combo text names, compared ignoring case; 0 for any other text.
unsigned LoggingLevelFromText(const StringTable& strings, const std::string& text);

// The pages' starting values. A logging level above 3 is first set to 0; SuspectFilesAre is
// read (boxes when it cannot be). Nothing is written.
HarnessProperties FillHarnessProperties(HarnessPropertiesContext& context);
// OK: the values go back into the settings, the level and the note (texts cut to their
// controls' limits), and SuspectFilesAre is written. The settings are not saved here.
void StoreHarnessProperties(const HarnessProperties& values, HarnessPropertiesContext& context);

// What the pages' default buttons put into their edits.
std::string DefaultResultsFilePath(const CHarnessSettings& settings);
std::string DefaultLogFilePath(const CHarnessSettings& settings);

// The SuspectFilesAre check box: ticked when the stored text is not exactly the "unchecked"
// text. Unticked after an OK box when the key or the value cannot be read.
bool ReadSuspectFilesAre(SettingsStore& store, const std::string& rootKey,
                         const StringTable& strings, UserPrompts& prompts);
// Writes the text for the box; false after an OK box when the key cannot be opened or the value
// not written.
bool WriteSuspectFilesAre(SettingsStore& store, const std::string& rootKey, bool checked,
                          const StringTable& strings, UserPrompts& prompts);

} // namespace harness
