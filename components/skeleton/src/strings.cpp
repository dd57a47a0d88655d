// The string table of the component plug-ins and the two formatters their texts go through.
#include "skeleton/strings.h"

#include <cstdarg>
#include <cstdio>
#include <iterator>

namespace components {

namespace {

// Entries kIdsFileErrorFirstCause onwards, in order.
constexpr const char* kFileErrorCauses[] = {
    "ERROR 0020: The file could not be located.",
    "ERROR 0021: All or part of the path  is invalid.",
    "ERROR 0022: The current directory cannot be removed.",
    "ERROR 0023: The disk is full.",
    "ERROR 0024: The file could not be accessed.",
    "ERROR 0025: The permitted number of open files was exceeded.",
    "ERROR 0026: There are no more directory entries.",
    "ERROR 0027: Share.exe was not loaded, or a shared region was locked.",
    "ERROR 0028: There was an attempt to lock a region that was already locked.",
    "ERROR 0029: There was an error trying to set the file pointer.",
    "ERROR 0030: An unspecified error occurred.",
    "ERROR 0031: There was an attempt to use an invalid file handle.",
    "ERROR 0032: The file is probably copy protected.",
    "ERROR 0033: There was a hardware error.",
    "ERROR 0034: Unknown file exception cause.",
};
static_assert(std::size(kFileErrorCauses) == kIdsFileErrorLastCause - kIdsFileErrorFirstCause + 1);

} // namespace

std::string LoadComponentString(int id)
{
  if (id >= kIdsFileErrorFirstCause && id <= kIdsFileErrorLastCause)
    return kFileErrorCauses[id - kIdsFileErrorFirstCause];
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
  case kIdsFileError:
    return "%1!s!: Filename: %2!s!, Error code %3!d!.";
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
