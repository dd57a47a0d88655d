// The string table of the component plug-ins and the two formatters their texts go through.
#include "skeleton/strings.h"

#include <cstdarg>
#include <cstdio>

namespace components {

std::string LoadComponentString(int id)
{
  switch (id) {
  case kIdsHarnessIniFile:
    return "halvex.ini";
  case kIdsRegistryKeyUnreadable:
    return "\"ERROR 0004: Could not read registry key \"%1!s!\", error code = %2!d!.\"\n";
  case kIdsIniFileUnreadable:
    return " \"ERROR 0015: Could not read the registry key from the file %1!s!. Please make sure "
           "that this file is in the same folder as the halvex.exe file.\"\n";
  case kIdsInvalidTestCase:
    return "Invalid TestCase: -  .ini file: %1 - ";
  case kIdsInvalidTestSuite:
    return "Invalid TestSuite: -  .ini file: %1-";
  case kIdsNullComponent:
    return "ERROR 0012: Null component object found in the component list.";
  case kIdsInvalidComponent:
    return "ERROR 0013: Invalid component object found in the component list.";
  case kIdsProgramStartFailed:
    return "\"ERROR 0009: Unable to start the results file viewer application, error code "
           "%1!d!.\"\n";
  default:
    return {};
  }
}

std::string FormatMessageText(const std::string& pattern, const std::vector<std::string>& args)
{
  std::string out;
  out.reserve(pattern.size() + 64);
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%' || i + 1 >= pattern.size()) {
      out += pattern[i];
      continue;
    }
    const char next = pattern[i + 1];
    if (next == '%') {
      out += '%';
      ++i;
      continue;
    }
    const std::size_t index = static_cast<std::size_t>(next - '1');
    if (next < '1' || next > '9' || index >= args.size()) {
      out += pattern[i];
      continue;
    }
    out += args[index];
    i += 1;
    // "!conversion!" after the number says how the argument was printed; ours is text already.
    if (i + 1 < pattern.size() && pattern[i + 1] == '!') {
      const std::size_t close = pattern.find('!', i + 2);
      if (close != std::string::npos)
        i = close;
    }
  }
  return out;
}

std::string FormatText(const char* format, ...)
{
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (length > 0) {
    out.resize(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<std::size_t>(length));
  }
  va_end(args);
  return out;
}

} // namespace components
