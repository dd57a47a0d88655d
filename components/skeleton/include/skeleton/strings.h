// The component plug-ins' own string table: texts by number, as the harness's resource chain
// would find them after its own.
#pragma once

#include <string>
#include <vector>

namespace components {

inline constexpr int kIdsHarnessIniFile = 2;        // "halvex.ini"
inline constexpr int kIdsRegistryKeyUnreadable = 3; // %1!s! key or value, %2!d! error
inline constexpr int kIdsIniFileUnreadable = 4;     // %1!s! the halvex.ini path
inline constexpr int kIdsInvalidTestCase = 5;       // %1 the .ini path
inline constexpr int kIdsInvalidTestSuite = 6;      // %1 the .ini path
inline constexpr int kIdsNullComponent = 7;
inline constexpr int kIdsInvalidComponent = 8;
inline constexpr int kIdsProgramStartFailed = 9; // %1!d! error code
// The causes of a file error, from "could not be located" to "unknown cause".
inline constexpr int kIdsFileErrorFirstCause = 2020;
inline constexpr int kIdsFileErrorLastCause = 2034;
inline constexpr int kIdsFileError = 2035; // %1!s! cause, %2!s! file name, %3!d! error code

// The text stored under id; empty for an id the table does not hold.
std::string LoadComponentString(int id);

// Fills "%n" and "%n!x!" inserts (n from 1 to 9, x a printf conversion such as s or d) with
// the arguments, which are already text; "%%" is one percent sign. An insert without an
// argument is left as written.
std::string FormatMessageText(const std::string& pattern, const std::vector<std::string>& args);

// printf into a string.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace components
