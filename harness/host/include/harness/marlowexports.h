// Marlow's exports that the harness calls, looked up by name in Marlow's module at the moment
// of use, so a Marlow without one is reported instead of failing to load.
#pragma once

#include "platform/modules.h"

namespace harness {

inline constexpr const char* kCheckForDosTestCasesName = "CheckForDosTestCases";

// list: the suite window (CHalvexView*); document: its suite document (CHalvexDoc*); flags: the
// list's item search flags, 0 for every item. Returns kDosTestCasesPresent or 0.
using CheckForTestCasesFn = int (*)(void* list, void* document, unsigned flags);

inline constexpr int kDosTestCasesPresent = 1003;

// Calls Marlow's CheckForDosTestCases. False, with `result` unchanged, when there is no Marlow
// module or it does not export the function.
bool CallCheckForDosTestCases(platform::HMODULE marlow, void* list, void* document, unsigned flags,
                              int& result);

} // namespace harness
