// The harness settings: defaults, load and save against a registry key.
#pragma once

#include "harness/prompts.h"
#include "harness/stringtable.h"

#include <cstdint>
#include <functional>
#include <string>

namespace harness {

using LogFunction = std::function<void(unsigned level, const std::string& text)>;

// The registry key the settings live in; results are the registry's error codes (0 success).
class SettingsStore
{
public:
  virtual ~SettingsStore() = default;
  virtual long Open(const std::string& keyPath) = 0;
  // Creates the key when missing and opens it.
  virtual long Create(const std::string& keyPath) = 0;
  virtual long ReadString(const std::string& name, std::string& out) = 0;
  virtual long ReadDword(const std::string& name, std::uint32_t& out) = 0;
  virtual long WriteString(const std::string& name, const std::string& value) = 0;
  virtual long WriteDword(const std::string& name, std::uint32_t value) = 0;
  virtual void Close() = 0;
};

inline constexpr const char* kDefaultLogFileName = "HalvexLog.txt";
inline constexpr const char* kDefaultResultsFileName = "HalvexResults.txt";

struct CHarnessSettings
{
  std::string m_strInstallationFolder;
  std::string m_strIniFilesFolder;
  std::string m_strDefaultLoggingFolder;
  std::string m_strLogFilePath;
  std::string m_strResultsFilePath;
  std::string m_strTestSuitesFolder;
  std::string m_strFileViewerPath;
  // Machine-readable reports of every run; "" for none.
  std::string m_strJUnitReportPath;
  std::string m_strJsonReportPath;
  // As loaded and saved; the level in force is the base library's guiLoggingLevel.
  std::uint32_t m_nLoggingLevel = 1;
  std::uint32_t m_nAppendToLogFile = 1;
  std::uint32_t m_nMaximizeDocument = 1;
  std::uint32_t m_nAppendToResultsFile = 1;
  std::uint32_t m_nNtLoggingEnable = 1;
  std::uint32_t m_nLogDateTime = 0;
  std::uint32_t m_nReportFirmwareVersion = 1;
  std::uint32_t m_nReportManufacturer = 1;
  std::uint32_t m_nReportModel = 1;
  std::uint32_t m_nReportOem = 1;
  std::uint32_t m_nReportDriverVersion = 1;
  std::uint32_t m_nReportSerialNumber = 1;
  std::uint32_t m_nReportTestCaseElapsedTime = 1;
  std::uint32_t m_nReportTestSuiteElapsedTime = 1;
  std::uint32_t m_nReportTsFileName = 1;
  std::uint32_t m_nDontShowStartupBox = 0;
  // Not stored: 0 log window and file, 1 window only, 2 file only.
  int m_nLogDestination = 0;

  void SetDefaults();
};

// Everything the load and save need around the store.
struct SettingsContext
{
  const StringTable& strings;
  UserPrompts& prompts;
  LogFunction log;
};

// Reads every setting below HKEY_LOCAL_MACHINE\<rootKey>. False (after an error box) when the
// key or InstallationFolder cannot be read; missing optional values take their defaults.
// The definitions folder (Marlow's and its .ini files') when INIFilesFolder is not stored.
std::string DefaultIniFilesFolder(const std::string& installationFolder);
// The definitions folder as start-up loads it, for programs that need no other setting; false
// when the root key or its InstallationFolder cannot be read.
bool ReadIniFilesFolder(SettingsStore& store, const std::string& rootKey, std::string& folder);

bool LoadSettings(CHarnessSettings& settings, SettingsStore& store, const std::string& rootKey,
                  const SettingsContext& context);

// Writes the saved settings in their fixed order; a failed value is logged and skipped.
// False (after an error box) when the key cannot be opened.
bool SaveSettings(const CHarnessSettings& settings, SettingsStore& store,
                  const std::string& rootKey, const SettingsContext& context);

} // namespace harness
