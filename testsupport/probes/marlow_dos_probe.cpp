// A stand-in for the Marlow module that exports CheckForDosTestCases: it walks the items it is
// handed and answers kBatchKindDos when a test case's label starts with "DOS", else 0.
#include "plinth/dosbatch.h"

extern "C" __attribute__((visibility("default"))) int halvex_module_attach(void)
{
  return 1;
}

extern "C" __attribute__((visibility("default"))) int
CheckForDosTestCases(const CSuiteItemList* list, CTestSuite*, unsigned flags)
{
  for (int item = list->GetNextItem(-1, flags); item >= 0; item = list->GetNextItem(item, flags))
    if (const CTestCase* p = list->GetItemTestCase(item); p && p->GetLabel().rfind("DOS", 0) == 0)
      return kBatchKindDos;
  return 0;
}
