// What Marlow's four DOS exports do (the module exports them by name with the signatures of
// plinth/dosbatch.h): which kinds of test the visited list items hold, marking Marlow's test
// cases for the coming pass, and the debug level of a component. Run-thread or user-interface
// thread, one call at a time; the list is valid for the call.
#pragma once

#include "plinth/dosbatch.h"

#include <string>

namespace marlow {

int CheckForDosTestCases(const CSuiteItemList* list, unsigned flags);
int CheckForWindowsTestCases(const CSuiteItemList* list, unsigned flags);
// Clears the batch folder as well, in both passes.
int PrepareBatchComponentList(const CSuiteItemList* list, const std::string* resultsFilePath,
                              CBatchCodeList* codes, unsigned flags, int* kind,
                              int preparationPass);
int GetSuiteDebugLevel(const std::string& className);

} // namespace marlow
