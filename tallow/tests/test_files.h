// Test helpers: a private temporary folder and whole-file reads and writes.
#pragma once

#include "testsupport/tempfolder.h"

#include <string>

using testsupport::TempFolder;

inline void WriteFile(const std::string& file, const std::string& bytes)
{
  testsupport::WriteAll(file, bytes);
}

inline std::string ReadFile(const std::string& file)
{
  return testsupport::ReadAll(file);
}
