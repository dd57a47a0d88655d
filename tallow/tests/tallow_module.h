// Test helper: tallow.so loaded by name through the platform module layer, as marlow loads it.
#pragma once

#include "platform/modules.h"
#include "tallow/tallow.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

struct TallowModule
{
  platform::HMODULE module = nullptr;
  iTranslateToNTLog_fn translate = nullptr;
  iTranslateToNTLog_fn translateWithStats = nullptr;

  TallowModule()
  {
    module = platform::LoadLibrary("tallow.dll");
    EXPECT_NE(module, nullptr) << platform::LastModuleError();
    if (module) {
      translate = reinterpret_cast<iTranslateToNTLog_fn>(
          platform::GetProcAddress(module, "iTranslateToNTLog"));
      translateWithStats = reinterpret_cast<iTranslateToNTLog_fn>(
          platform::GetProcAddress(module, "iTranslateToNTLogx"));
    }
    EXPECT_NE(translate, nullptr);
    EXPECT_NE(translateWithStats, nullptr);
  }
  ~TallowModule()
  {
    if (module) {
      platform::FreeLibrary(module);
    }
  }
  TallowModule(const TallowModule&) = delete;
  TallowModule& operator=(const TallowModule&) = delete;
};

// Sets an environment variable for the life of the object.
struct ScopedEnv
{
  std::string name;
  ScopedEnv(const char* n, const std::string& value) : name(n) { setenv(n, value.c_str(), 1); }
  ~ScopedEnv() { unsetenv(name.c_str()); }
};
