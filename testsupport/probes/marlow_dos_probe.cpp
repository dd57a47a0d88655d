// A stand-in for the Marlow module that exports CheckForDosTestCases: it reads the suite
// document it is handed and answers 1003 when a test case's label starts with "DOS", else 0.
// It counts its calls, so tests can tell a call that answered 0 from no call.
#include "harness/halvexdoc.h"
#include "harness/marlowexports.h"

namespace {

int g_calls = 0;

} // namespace

extern "C" __attribute__((visibility("default"))) int halvex_module_attach(void)
{
  return 1;
}

extern "C" __attribute__((visibility("default"))) int
CheckForDosTestCases(void* list, void* document, unsigned flags)
{
  ++g_calls;
  if (list == nullptr || document == nullptr || flags != 0)
    return -1;
  const auto* doc = static_cast<const harness::CHalvexDoc*>(document);
  for (const CTestCase* p : doc->m_suite)
    if (p->GetLabel().rfind("DOS", 0) == 0)
      return harness::kDosTestCasesPresent;
  return 0;
}

extern "C" __attribute__((visibility("default"))) int MarlowProbeCalls(void)
{
  return g_calls;
}
