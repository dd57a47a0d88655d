// Decisions of the start-up sequence that need no window.
#pragma once

#include "harness/settings.h"

#include <cstdint>
#include <string>

namespace harness {

inline constexpr const char* kWindowClassName = "HALVEXclass";
inline constexpr const char* kConfigurationIniName = "halvex.ini";
inline constexpr const char* kStatusPrebootbatch = "Prebootbatch";
inline constexpr const char* kStatusBatchResume = "BatchResume";
inline constexpr const char* kMarlowFileName = "Marlow.dll";
inline constexpr const char* kMarlowLoadFailedBox = "Unable to Load the Marlowd.dll";
inline constexpr const char* kNoSuiteForResume =
    "Open with valid testsuite file as command line argument";

// Exit codes of the program.
inline constexpr int kExitOk = 0;
inline constexpr int kExitStartupFailed = 2;  // start-up ended early (box shown or second instance)
inline constexpr int kExitSettingsFailed = 1; // settings could not be read
inline constexpr int kExitRunModeOpenFailed = 1;
// Run mode: the run ended with a failure or was stopped. It ends with kExitOk only when every
// test case passed.
inline constexpr int kExitRunFailed = 3;
// Run mode waits this long after the run before the program ends.
inline constexpr int kRunModeEndWaitMs = 3000;
// A shut-down or an interrupt ends the harness: said in the log before the run stops.
inline constexpr const char* kEndedBySignal = "The harness is being ended by signal ";
// A resume after a DOS run starts this long after start-up.
inline constexpr int kBatchResumeDelayMs = 5000;

// The configuration INI file in the program's folder.
std::string ConfigurationIniPath(const std::string& programFolder);
// The registry root key that the configuration file names (section "General", key
// "RegistryKey"); false when it names none.
bool ReadRootKey(const std::string& iniPath, std::string& rootKey);

// The two keys derived from the root key path.
std::string ComponentDllsKey(const std::string& rootKey);
std::string TestExecutionKey(const std::string& rootKey);

// "BatchResume" when `stored` equals it ignoring case, else "Prebootbatch".
std::string NormaliseTestExecutionStatus(const std::string& stored);

// Opens the test-execution key, creating it with its first values when missing, and returns
// the status. A registry failure counts as "Prebootbatch".
std::string ReadTestExecutionStatus(SettingsStore& store, const std::string& rootKey);

// Stores TestExecutionStatus below the test-execution key; false when the key cannot be opened
// or written.
bool WriteTestExecutionStatus(SettingsStore& store, const std::string& rootKey,
                              const std::string& status);
inline constexpr const char* kTestExecutionKeyFailed =
    "Severe error: Unable to access the Marlow registry key";

// The marlow module: the definition folder text directly followed by the file name.
std::string MarlowPath(const std::string& iniFilesFolder);

// Major and minor compared as one double-word.
bool RuntimeVersionSufficient(unsigned major, unsigned minor, unsigned minMajor, unsigned minMinor);

// Parses "6.4.2" style version text into major and minor; false when it has no major number.
bool ParseRuntimeVersion(const std::string& text, unsigned& major, unsigned& minor);

} // namespace harness
