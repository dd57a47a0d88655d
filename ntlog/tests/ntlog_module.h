// Test helper: loads the built NTLog.so by path and binds its 19 entry points by name.
#pragma once

#include "ntlog/ntlog.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct NtLogModule
{
  void* module = nullptr;
  tlCreateLog_A_fn tlCreateLog_A = nullptr;
  tlParseCmdLine_A_fn tlParseCmdLine_A = nullptr;
  tlGetLogFileName_A_fn tlGetLogFileName_A = nullptr;
  tlSetLogFileName_A_fn tlSetLogFileName_A = nullptr;
  tlLogX_A_fn tlLogX_A = nullptr;
  tlLog_A_fn tlLog_A = nullptr;
  tlDestroyLog_fn tlDestroyLog = nullptr;
  tlAddParticipant_fn tlAddParticipant = nullptr;
  tlRemoveParticipant_fn tlRemoveParticipant = nullptr;
  tlGetLogInfo_fn tlGetLogInfo = nullptr;
  tlSetLogInfo_fn tlSetLogInfo = nullptr;
  tlPromptLog_fn tlPromptLog = nullptr;
  tlGetTestStat_fn tlGetTestStat = nullptr;
  tlGetVariationStat_fn tlGetVariationStat = nullptr;
  tlClearTestStats_fn tlClearTestStats = nullptr;
  tlClearVariationStats_fn tlClearVariationStats = nullptr;
  tlStartVariation_fn tlStartVariation = nullptr;
  tlEndVariation_fn tlEndVariation = nullptr;
  tlReportStats_fn tlReportStats = nullptr;

  static std::string Path()
  {
    const char* build = std::getenv("HALVEX_BUILD_DIR");
    return std::string(build ? build : ".") + "/lib/halvex/plugins/NTLog.so";
  }

  template <typename F> void Bind(F& slot, const char* name)
  {
    slot = reinterpret_cast<F>(dlsym(module, name));
    EXPECT_NE(slot, nullptr) << name;
  }

  NtLogModule()
  {
    module = dlopen(Path().c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(module, nullptr) << dlerror();
    if (!module) {
      return;
    }
    Bind(tlCreateLog_A, "tlCreateLog_A");
    Bind(tlParseCmdLine_A, "tlParseCmdLine_A");
    Bind(tlGetLogFileName_A, "tlGetLogFileName_A");
    Bind(tlSetLogFileName_A, "tlSetLogFileName_A");
    Bind(tlLogX_A, "tlLogX_A");
    Bind(tlLog_A, "tlLog_A");
    Bind(tlDestroyLog, "tlDestroyLog");
    Bind(tlAddParticipant, "tlAddParticipant");
    Bind(tlRemoveParticipant, "tlRemoveParticipant");
    Bind(tlGetLogInfo, "tlGetLogInfo");
    Bind(tlSetLogInfo, "tlSetLogInfo");
    Bind(tlPromptLog, "tlPromptLog");
    Bind(tlGetTestStat, "tlGetTestStat");
    Bind(tlGetVariationStat, "tlGetVariationStat");
    Bind(tlClearTestStats, "tlClearTestStats");
    Bind(tlClearVariationStats, "tlClearVariationStats");
    Bind(tlStartVariation, "tlStartVariation");
    Bind(tlEndVariation, "tlEndVariation");
    Bind(tlReportStats, "tlReportStats");
  }
};

// A private temporary folder, removed with the object.
struct TempFolder
{
  std::filesystem::path path;
  TempFolder()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "ntlog-test-XXXXXX").string();
    path = mkdtemp(pattern.data());
  }
  ~TempFolder() { std::filesystem::remove_all(path); }
  std::string File(const std::string& name) const { return (path / name).string(); }
};

inline std::vector<std::string> ReadLines(const std::string& file)
{
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

inline std::string ReadAll(const std::string& file)
{
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}
