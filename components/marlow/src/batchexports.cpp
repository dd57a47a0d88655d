// The DOS exports: walks over the suite list and the marks they leave on Marlow's test cases.
#include "marlow/batchexports.h"

#include "marlow/dosbatch.h"
#include "marlow/inicomponent.h"
#include "marlow/inisuite.h"
#include "marlow/testcaseex.h"

#include "skeleton/componentmodule.h"

#include <strings.h>

namespace marlow {

namespace {

// The list control's next-item query takes the low 16 bits of the flags.
constexpr unsigned kItemFlagsMask = 0xFFFF;

// The test case of an item when it is one of this module's, else null.
CTestcaseEx* OwnTestCase(const CSuiteItemList* list, int item)
{
  CTestCase* pTestCase = list->GetItemTestCase(item);
  if (pTestCase == nullptr || components::FindComponent(pTestCase->GetClassName()) == nullptr ||
      !pTestCase->IsKindOf(PLINTH_RUNTIME_CLASS(CTestcaseEx)))
    return nullptr;
  return static_cast<CTestcaseEx*>(pTestCase);
}

// Calls visit with each item that flags selects until it returns true; true when it did.
template <typename Visit> bool ForEachItem(const CSuiteItemList* list, unsigned flags, Visit visit)
{
  if (list == nullptr)
    return false;
  flags &= kItemFlagsMask;
  for (int item = list->GetNextItem(-1, flags); item >= 0; item = list->GetNextItem(item, flags))
    if (visit(item))
      return true;
  return false;
}

bool AnyOwnTestCaseOf(const CSuiteItemList* list, unsigned flags, const char* returnType)
{
  return ForEachItem(list, flags, [&](int item) {
    const CTestcaseEx* pTestCase = OwnTestCase(list, item);
    return pTestCase != nullptr && strcasecmp(pTestCase->m_strReturnType.c_str(), returnType) == 0;
  });
}

} // namespace

int CheckForDosTestCases(const CSuiteItemList* list, unsigned flags)
{
  return AnyOwnTestCaseOf(list, flags, kReturnDos) ? kBatchKindDos : 0;
}

int CheckForWindowsTestCases(const CSuiteItemList* list, unsigned flags)
{
  return AnyOwnTestCaseOf(list, flags, kReturnWindows) ? kBatchKindWindows : 0;
}

int PrepareBatchComponentList(const CSuiteItemList* list, const std::string* resultsFilePath,
                              CBatchCodeList* codes, unsigned flags, int* kind, int preparationPass)
{
  int found = kBatchKindNone;
  if (auto* pCurrent = dynamic_cast<CIniComponent*>(components::GetCurrentComponent());
      pCurrent != nullptr && resultsFilePath != nullptr)
    pCurrent->m_strResultsFilePath = *resultsFilePath;
  ForEachItem(list, flags, [&](int item) {
    CTestcaseEx* pTestCase = OwnTestCase(list, item);
    std::uint32_t code = kBatchCodeForeign;
    if (pTestCase != nullptr && strcasecmp(pTestCase->m_strReturnType.c_str(), kReturnDos) == 0) {
      pTestCase->m_strBatchState =
          preparationPass != 0 ? kBatchStatePrebootbatch : kBatchStateBatchResume;
      code = kBatchCodeDos;
      found = kBatchKindDos;
    } else if (pTestCase != nullptr) {
      pTestCase->m_strBatchState = kBatchStatePreBoot;
      code = kBatchCodeOther;
      if (found != kBatchKindDos)
        found = kBatchKindWindows;
    }
    if (codes != nullptr)
      codes->push_back(code);
    return false;
  });
  if (kind != nullptr)
    *kind = found;
  // Both passes start from an empty batch list: one left by a preparation that never reached
  // DOS would otherwise run its tests again, next to this pass's.
  CDosBatch::ClearBatchFolder();
  return 1;
}

int GetSuiteDebugLevel(const std::string& className)
{
  const auto* pComponent = dynamic_cast<const CIniComponent*>(components::FindComponent(className));
  return pComponent != nullptr ? pComponent->m_nDebugLevel : 0;
}

} // namespace marlow
