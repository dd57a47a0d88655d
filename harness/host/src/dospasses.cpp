// Marlow's four exports as the run asks them.
#include "harness/dospasses.h"

#include "harness/startup.h"

#include <algorithm>
#include <strings.h>

namespace harness {

namespace {

bool Is(const std::string& status, const char* value)
{
  return strcasecmp(status.c_str(), value) == 0;
}

} // namespace

CDosPasses::CDosPasses(platform::HMODULE marlow, LogFunction log)
    : m_hMarlow(marlow), m_log(std::move(log))
{
}

void* CDosPasses::Export(const char* name) const
{
  return m_hMarlow != nullptr ? platform::GetProcAddress(m_hMarlow, name) : nullptr;
}

DosPass CDosPasses::DecidePass(const CSuiteItemList& list, CTestSuite* suite, unsigned flags,
                               const std::string& testExecutionStatus) const
{
  DosPass pass;
  if (m_hMarlow == nullptr)
    return pass;
  auto* checkDos = reinterpret_cast<CheckForDosTestCasesFn>(Export(kCheckForDosTestCasesName));
  if (checkDos == nullptr) {
    if (m_log)
      m_log(0, kCheckMarlowVersion);
  } else if (checkDos(&list, suite, flags) == kBatchKindDos) {
    if (Is(testExecutionStatus, kStatusBatchResume))
      pass.collection = true;
    else if (Is(testExecutionStatus, kStatusPrebootbatch))
      pass.preparation = true;
    return pass;
  }
  auto* checkWindows =
      reinterpret_cast<CheckForWindowsTestCasesFn>(Export(kCheckForWindowsTestCasesName));
  if (checkWindows == nullptr) {
    if (m_log)
      m_log(0, kCheckMarlowVersion);
  } else if (checkWindows(&list, suite, flags) == kBatchKindWindows) {
    pass.collection = true;
  }
  return pass;
}

bool CDosPasses::PrepareBatchComponentList(const CSuiteItemList& list, CTestSuite* suite,
                                           std::string resultsFilePath, CBatchCodeList& codes,
                                           unsigned flags, int& kind, bool preparation) const
{
  codes.clear();
  kind = kBatchKindNone;
  auto* prepare =
      reinterpret_cast<PrepareBatchComponentListFn>(Export(kPrepareBatchComponentListName));
  if (prepare == nullptr)
    return false;
  prepare(&list, suite, &resultsFilePath, &codes, flags, &kind, preparation ? 1 : 0);
  return true;
}

bool CDosPasses::HasSuiteDebugLevel() const
{
  return Export(kGetSuiteDebugLevelName) != nullptr;
}

int CDosPasses::SuiteDebugLevel(const std::vector<std::string>& classNames) const
{
  auto* debugLevel = reinterpret_cast<GetSuiteDebugLevelFn>(Export(kGetSuiteDebugLevelName));
  int level = 0;
  if (debugLevel != nullptr)
    for (const std::string& name : classNames)
      level = std::max(level, debugLevel(name));
  return level;
}

int CheckForDosTestCases(platform::HMODULE marlow, const CSuiteItemList& list, CTestSuite* suite,
                         unsigned flags)
{
  if (marlow == nullptr)
    return 0;
  auto* checkDos = reinterpret_cast<CheckForDosTestCasesFn>(
      platform::GetProcAddress(marlow, kCheckForDosTestCasesName));
  return checkDos != nullptr ? checkDos(&list, suite, flags) : 0;
}

} // namespace harness
