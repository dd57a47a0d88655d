// The four exports through which Marlow takes part in the two passes of a run with DOS test
// cases, looked up by name in Marlow's module, and the suite list they walk. The harness and
// Marlow share this header; Marlow implements the exports, the harness calls them.
#pragma once

#include "plinth/testcase.h"

#include <cstdint>
#include <list>
#include <string>

class CTestSuite;

// The suite window's list as the exports see it: items in list order, each standing for one
// test case of the suite. Valid for the duration of the call it is passed to.
class CSuiteItemList
{
public:
  virtual ~CSuiteItemList() = default;
  // The next item after `item` (-1 starts before the first) that `flags` selects, or -1.
  virtual int GetNextItem(int item, unsigned flags) const = 0;
  // The test case of an item, or null for an item that does not exist.
  virtual CTestCase* GetItemTestCase(int item) const = 0;
};

// Item selection flags: every item, or the selected ones.
inline constexpr unsigned kListNextAll = 0;
inline constexpr unsigned kListNextSelected = 2;

// Codes PrepareBatchComponentList appends, one per visited item.
inline constexpr std::uint32_t kBatchCodeDos = 1000;   // a DOS test case of Marlow
inline constexpr std::uint32_t kBatchCodeOther = 1001; // any other test case of Marlow
inline constexpr std::uint32_t kBatchCodeForeign = 1006;

// Kinds: returned by the check exports (0 when none) and written by PrepareBatchComponentList
// (-1 when none of Marlow's test cases was visited).
inline constexpr int kBatchKindDos = 1003;
inline constexpr int kBatchKindWindows = 1005;
inline constexpr int kBatchKindNone = -1;

using CBatchCodeList = std::list<std::uint32_t>;

// Files both sides name: the batch folder below the temporary folder, the batch list, the two
// helper batch files, and the start-up files of the system drive with their backups.
inline constexpr const char* kDosBatchFolderName = "~halvex";
inline constexpr const char* kDosBatchListName = "Marlow.bat";
inline constexpr const char* kDosHandOverBatchName = "~Marlow.bat";
inline constexpr const char* kDosRemarkBatchName = "~~Marlow.bat";
inline constexpr const char* kDosAutoexecName = "AUTOEXEC.BAT";
inline constexpr const char* kDosAutoexecBackupName = "AUTOEXEC.BAK";
inline constexpr const char* kDosConfigName = "CONFIG.SYS";
inline constexpr const char* kDosConfigBackupName = "CONFIG.BAK";

inline constexpr const char* kCheckForDosTestCasesName = "CheckForDosTestCases";
inline constexpr const char* kCheckForWindowsTestCasesName = "CheckForWindowsTestCases";
inline constexpr const char* kPrepareBatchComponentListName = "PrepareBatchComponentList";
inline constexpr const char* kGetSuiteDebugLevelName = "GetSuiteDebugLevel";

extern "C" {
// kBatchKindDos as soon as a visited item is a DOS test case of Marlow, else 0. `suite` is the
// document's suite; the exports need not look at it.
typedef int (*CheckForDosTestCasesFn)(const CSuiteItemList* list, CTestSuite* suite,
                                      unsigned flags);
// kBatchKindWindows as soon as a visited item is a Windows test case of Marlow, else 0.
typedef int (*CheckForWindowsTestCasesFn)(const CSuiteItemList* list, CTestSuite* suite,
                                          unsigned flags);
// Appends one code per visited item to `codes`, sets *kind, marks Marlow's test cases for the
// pass (preparationPass 1 before the restart, 0 otherwise) and takes the results file path.
// Returns 1.
typedef int (*PrepareBatchComponentListFn)(const CSuiteItemList* list, CTestSuite* suite,
                                           std::string* resultsFilePath, CBatchCodeList* codes,
                                           unsigned flags, int* kind, int preparationPass);
// The debug level of Marlow's component of that class name; 0 when it is not Marlow's.
typedef int (*GetSuiteDebugLevelFn)(std::string className);
}
