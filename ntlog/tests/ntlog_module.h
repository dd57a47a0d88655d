// Test helper: loads the built NTLog.so by path and binds its 19 entry points by name.
#pragma once

#include "ntlog/ntlog_api.h"
#include "testsupport/tempfolder.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct NtLogModule : NtLogApi
{
  void* module = nullptr;

  static std::string Path()
  {
    const char* build = std::getenv("HALVEX_BUILD_DIR");
    return std::string(build ? build : ".") + "/lib/halvex/plugins/NTLog.so";
  }

  NtLogModule()
  {
    module = dlopen(Path().c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(module, nullptr) << dlerror();
    if (!module) {
      return;
    }
    const char* missing =
        BindNtLogApi(*this, [this](const char* entry) { return dlsym(module, entry); });
    EXPECT_TRUE(missing == nullptr) << "NTLog.so has no " << (missing ? missing : "");
  }
};

// A private temporary folder, removed with the object.
using testsupport::TempFolder;

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
