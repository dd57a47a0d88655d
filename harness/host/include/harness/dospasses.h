// The harness's side of the two passes of a suite with DOS test cases: which pass a run is,
// the codes Marlow gives each item, and the suite's debug level, all asked of Marlow's four
// exports looked up by name at the moment of use. A missing export makes the run a plain one
// (the check exports say so in the log). Any thread; the item list is the run's own copy.
#pragma once

#include "harness/settings.h"
#include "platform/modules.h"
#include "plinth/dosbatch.h"

#include <string>
#include <vector>

namespace harness {

inline constexpr const char* kCheckMarlowVersion = "Check the Marlow DLL version";

struct DosPass
{
  bool preparation = false; // before the restart: only the DOS test cases run, to prepare
  bool collection = false;  // after it: every test case runs, the DOS ones judge their logs
};

class CDosPasses
{
public:
  // `marlow` may be null: then every run is a plain one.
  CDosPasses(platform::HMODULE marlow, LogFunction log);

  // The preparation pass when the items hold DOS test cases and the stored status is
  // "Prebootbatch", the collection pass when it is "BatchResume" or they hold Windows test
  // cases of Marlow.
  DosPass DecidePass(const CSuiteItemList& list, CTestSuite* suite, unsigned flags,
                     const std::string& testExecutionStatus) const;
  // Marlow's code for each visited item and the kind of the items. False, with no codes and
  // the kind kBatchKindNone, when Marlow has no such export.
  bool PrepareBatchComponentList(const CSuiteItemList& list, CTestSuite* suite,
                                 std::string resultsFilePath, CBatchCodeList& codes, unsigned flags,
                                 int& kind, bool preparation) const;
  // Whether Marlow tells debug levels, and the highest of those components' levels.
  bool HasSuiteDebugLevel() const;
  int SuiteDebugLevel(const std::vector<std::string>& classNames) const;

private:
  void* Export(const char* name) const;

  platform::HMODULE m_hMarlow;
  LogFunction m_log;
};

// What the suite window asks after each change of a suite: kBatchKindDos when the items hold
// DOS test cases of Marlow, else 0 (also without Marlow or its export).
int CheckForDosTestCases(platform::HMODULE marlow, const CSuiteItemList& list, CTestSuite* suite,
                         unsigned flags);

} // namespace harness
