// Reading the suites of the suites folder for the suites tree.
#pragma once

#include "harness/settings.h"
#include "harness/stringtable.h"
#include "plinth/testsuite.h"

#include <memory>
#include <string>
#include <vector>

namespace harness {

// The folder the scan reads: TestSuitesFolder, or the fallback folder name when it is empty.
std::string SuitesScanFolder(const std::string& testSuitesFolder, const StringTable& strings);

// Loads every file of `folder` that matches the suite file pattern, in name order, each as
// one suite whose path is the file's full path. A file that cannot be opened is logged at
// level 0 and skipped; a file that cannot be read as a suite has its archive error reported
// (level 2) by the suite and is skipped; the others are loaded.
std::vector<std::unique_ptr<CTestSuite>>
ScanSuitesFolder(const std::string& folder, const StringTable& strings, const LogFunction& log);

} // namespace harness
