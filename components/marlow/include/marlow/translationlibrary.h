// The log translation library "tallow.dll", loaded by name around every translation and
// released afterwards, so nothing of it stays loaded between test cases.
#pragma once

#include "platform/modules.h"

#include <cstdint>
#include <string>

namespace marlow {

inline constexpr const char* kTranslationLibrary = "tallow.dll";
inline constexpr const char* kTranslateExport = "iTranslateToNTLog";

enum class TranslationResult {
  Translated,     // status holds the library's verdict (5 or 6)
  LibraryMissing, // the library or its export is missing
  Failed,         // the library could not translate the log (status 5)
};

// Translates logPath into resultsPath with the library's iTranslateToNTLog. Any thread.
TranslationResult TranslateWithLibrary(const std::string& logPath, const std::string& resultsPath,
                                       int32_t& status);

// What loads the library; tests put one in that fails or hands out another module. nullptr
// restores platform::LoadLibrary.
using ModuleLoader = platform::HMODULE (*)(const std::string& name);
void SetTranslationModuleLoader(ModuleLoader loader);

} // namespace marlow
