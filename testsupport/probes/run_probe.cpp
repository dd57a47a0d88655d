// A component plug-in whose test cases do what their script says, for tests of suite runs:
// pass, fail, return 7, sleep, wait until they are aborted, report through the harness's
// messages, and take part in the two passes of DOS test cases. The component's class name is
// the module's file base name, so a copy named Marlow.so stands in for Marlow, with the four
// DOS exports Marlow offers the harness.
#include "platform/messages.h"
#include "plinth/archive.h"
#include "plinth/dosbatch.h"
#include "plinth/testsuite.h"
#include "skeleton/componentmodule.h"
#include "skeleton/modelcomponent.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::atomic<int> g_nExecutions{0};
std::atomic<int> g_nDebugLevel{0};
std::string g_strResultsFilePath; // as the harness handed it over for a DOS pass

const platform::UINT g_uResultsMessage =
    platform::RegisterWindowMessage("HALVEX Test Results Message");
const platform::UINT g_uNtLogMessage = platform::RegisterWindowMessage("HALVEX NTLog Message");

struct NtLogEntry
{
  std::uint32_t flags;
  const char* sourceFile;
  std::int32_t line;
  const char* text;
};

std::string BaseName(const std::string& path)
{
  std::string name = path.substr(path.rfind('/') + 1);
  return name.substr(0, name.find('.'));
}

void SendResult(const std::string& text)
{
  platform::SendToMainWindow(g_uResultsMessage, 0,
                             reinterpret_cast<platform::LPARAM>(text.c_str()));
}

void SendNtLog(std::uint32_t flags, int line, const std::string& text)
{
  NtLogEntry entry{flags, "Probe", line, text.c_str()};
  platform::SendToMainWindow(g_uNtLogMessage, 0, reinterpret_cast<platform::LPARAM>(&entry));
}

} // namespace

// Script: comma-separated steps, one per execution (the last repeats): "pass", "fail",
// "notrun" (7), "sleepN" (N ms, then pass), "wait" (until aborted: 5, or 30 s: 6),
// "variation" (an NTLog variation through the message, then pass), "dos" (a DOS test case:
// 2 when prepared, 6 when its log is judged, 7 outside a DOS pass), "windows" (a Windows test
// case of this component: pass).
class CProbeTestCase : public CTestCase
{
  PLINTH_DECLARE_SERIAL(CProbeTestCase)

public:
  CProbeTestCase() = default;
  CProbeTestCase(CComponent* pComponent, const std::string& label, const std::string& script)
      : CTestCase(pComponent, "", 1, 1, 0), m_strScript(script)
  {
    SetLabel(label);
  }

  void Serialize(CArchive& ar) override
  {
    CTestCase::Serialize(ar);
    if (ar.IsStoring())
      ar << m_strScript;
    else
      ar >> m_strScript;
  }
  void CopyFrom(const CTestCase* pOther) override
  {
    CTestCase::CopyFrom(pOther);
    if (const auto* probe = dynamic_cast<const CProbeTestCase*>(pOther))
      m_strScript = probe->m_strScript;
  }
  // Accepted at once: one iteration more.
  int Configure() override
  {
    SetIterations(GetIterations() + 1);
    return 1;
  }

  uint32_t Execute() override
  {
    const int execution = ++m_nExecutions;
    ++g_nExecutions;
    const std::string step = Step(execution);
    SendResult(GetLabel() + ": execution " + std::to_string(execution) + ", " + step);
    if (step == "pass" || step == "windows")
      return kTestStatusPassed;
    if (step == "fail")
      return kTestStatusFailed;
    if (step == "notrun")
      return kTestStatusNotRun;
    if (step.rfind("sleep", 0) == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(step.substr(5))));
      return kTestStatusPassed;
    }
    if (step == "wait") {
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (!IsAbortRequested() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      return IsAbortRequested() ? kTestStatusFailed : kTestStatusPassed;
    }
    if (step == "variation") {
      SendNtLog(0x10 | 0x80, 1, "variation passed");
      SendNtLog(0x20 | 0x40, 2, "variation ends");
      return kTestStatusPassed;
    }
    if (step == "dos")
      return ExecuteDos();
    return kTestStatusNotRun;
  }

  bool IsDos() const { return m_strScript == "dos"; }
  bool IsWindows() const { return m_strScript == "windows"; }

  std::string m_strScript;
  std::string m_strBatchState; // as the DOS exports set it

private:
  std::string Step(int execution) const
  {
    std::vector<std::string> steps;
    std::stringstream in(m_strScript);
    for (std::string step; std::getline(in, step, ',');)
      steps.push_back(step);
    if (steps.empty())
      return "";
    return steps[std::min<std::size_t>(static_cast<std::size_t>(execution), steps.size()) - 1];
  }

  // What Marlow's DOS test cases do: prepare, or judge the log DOS left and append the verdict
  // to the results file.
  uint32_t ExecuteDos()
  {
    if (m_strBatchState == "Prebootbatch")
      return kTestStatusPrepared;
    if (m_strBatchState != "BatchResume")
      return kTestStatusNotRun;
    std::ofstream results(g_strResultsFilePath, std::ios::app | std::ios::binary);
    for (int line = 1; line <= 6; ++line)
      results << GetLabel() << " DOS log line " << line << "\r\n";
    return kTestStatusPassed;
  }

  int m_nExecutions = 0;
};

PLINTH_IMPLEMENT_SERIAL(CProbeTestCase, CTestCase, 1)

namespace {

CProbeTestCase* OwnTestCase(const CSuiteItemList* list, int item)
{
  CTestCase* testCase = list->GetItemTestCase(item);
  auto* probe = dynamic_cast<CProbeTestCase*>(testCase);
  return probe != nullptr && components::FindComponent(probe->GetClassName()) != nullptr ? probe
                                                                                         : nullptr;
}

} // namespace

PROBE_EXPORT int halvex_module_attach()
{
  if (!components::BeginAttach("Probe"))
    return 0;
  const std::string name = BaseName(components::ThisModulePath());
  auto* pComponent = new CModelComponent(nullptr);
  pComponent->SetClassName(name);
  pComponent->m_strDllPath = components::ThisModulePath();
  const std::pair<const char*, const char*> prototypes[] = {
      {"Pass", "pass"},      {"Fail", "fail"},       {"Not run", "notrun"},
      {"Sleep", "sleep200"}, {"Wait", "wait"},       {"Pass then fail", "pass,fail"},
      {"DOS", "dos"},        {"Windows", "windows"}, {"Variation", "variation"},
  };
  for (const auto& [label, script] : prototypes)
    pComponent->m_TestCaseList.push_back(new CProbeTestCase(pComponent, label, script));
  components::SetCurrentComponent(pComponent);
  if (components::RegisterComponent(pComponent))
    return 1;
  components::WithdrawComponents();
  return 0;
}

PROBE_EXPORT void halvex_module_detach()
{
  components::EndDetach();
}

// For the tests: executions since the last reset, and the debug level the components tell.
PROBE_EXPORT int probe_executions()
{
  return g_nExecutions.load();
}

PROBE_EXPORT void probe_reset(int debugLevel)
{
  g_nExecutions = 0;
  g_nDebugLevel = debugLevel;
}

// The four exports of Marlow.
PROBE_EXPORT int CheckForDosTestCases(const CSuiteItemList* list, CTestSuite*, unsigned flags)
{
  for (int item = list->GetNextItem(-1, flags); item >= 0; item = list->GetNextItem(item, flags))
    if (CProbeTestCase* probe = OwnTestCase(list, item); probe != nullptr && probe->IsDos())
      return kBatchKindDos;
  return 0;
}

PROBE_EXPORT int CheckForWindowsTestCases(const CSuiteItemList* list, CTestSuite*, unsigned flags)
{
  for (int item = list->GetNextItem(-1, flags); item >= 0; item = list->GetNextItem(item, flags))
    if (CProbeTestCase* probe = OwnTestCase(list, item); probe != nullptr && probe->IsWindows())
      return kBatchKindWindows;
  return 0;
}

PROBE_EXPORT int PrepareBatchComponentList(const CSuiteItemList* list, CTestSuite*,
                                           std::string* resultsFilePath, CBatchCodeList* codes,
                                           unsigned flags, int* kind, int preparationPass)
{
  *kind = kBatchKindNone;
  g_strResultsFilePath = *resultsFilePath;
  for (int item = list->GetNextItem(-1, flags); item >= 0; item = list->GetNextItem(item, flags)) {
    CProbeTestCase* probe = OwnTestCase(list, item);
    if (probe == nullptr) {
      codes->push_back(kBatchCodeForeign);
    } else if (probe->IsDos()) {
      probe->m_strBatchState = preparationPass != 0 ? "Prebootbatch" : "BatchResume";
      codes->push_back(kBatchCodeDos);
      *kind = kBatchKindDos;
    } else {
      probe->m_strBatchState = "PreBoot";
      codes->push_back(kBatchCodeOther);
      if (*kind != kBatchKindDos)
        *kind = kBatchKindWindows;
    }
  }
  return 1;
}

PROBE_EXPORT int GetSuiteDebugLevel(std::string className)
{
  return components::FindComponent(className) != nullptr ? g_nDebugLevel.load() : 0;
}
