// Collecting the facts of a suite run.
#include "harness/runrecord.h"

#include "harness/stateicons.h"
#include "plinth/component.h"

namespace harness {

ComponentFacts FactsOf(const CComponent* component, const std::string& className)
{
  ComponentFacts facts;
  facts.className = className;
  if (component == nullptr)
    return facts;
  facts.loaded = true;
  facts.className = component->GetClassName();
  facts.oem = component->GetOEMName();
  facts.manufacturer = component->GetManufacturer();
  facts.model = component->GetModelName();
  facts.serialNumber = component->GetSerialNum();
  facts.driverVersion = component->GetDriverVersion();
  facts.firmwareVersion = component->GetFirmwareVersion();
  return facts;
}

void CRunRecord::SetExecutionListener(std::function<void(const ExecutionRecord&)> listener)
{
  m_executionListener = std::move(listener);
}

void CRunRecord::SetSuiteListener(std::function<void(const SuiteRunRecord&)> listener)
{
  m_suiteListener = std::move(listener);
}

void CRunRecord::BeginSuite(const std::string& name)
{
  m_suite = SuiteRunRecord{};
  m_suite.name = name;
  m_bInExecution = false;
}

void CRunRecord::BeginExecution(const CTestCase& testCase, int iteration,
                                const ComponentFacts& component, RunClock::time_point start)
{
  m_current = ExecutionRecord{};
  m_current.label = testCase.GetLabel();
  m_current.baseName = testCase.GetBaseName();
  m_current.iteration = iteration;
  m_current.component = component;
  m_current.start = start;
  m_bInExecution = true;
}

void CRunRecord::AddOutput(const std::string& line)
{
  if (m_bInExecution)
    m_current.output.push_back(line);
}

void CRunRecord::EndExecution(const CTestCase& testCase, std::uint32_t status,
                              const std::string& statusText, int number, int total,
                              RunClock::time_point end)
{
  if (!m_bInExecution) {
    m_current = ExecutionRecord{};
    m_current.label = testCase.GetLabel();
    m_current.baseName = testCase.GetBaseName();
    m_current.component.className = testCase.GetClassName();
    m_current.start = end;
  }
  m_current.number = number;
  m_current.total = total;
  m_current.status = status;
  m_current.statusText = statusText;
  m_current.passed = status == kStatusPassed;
  m_current.end = end;
  m_bInExecution = false;
  m_suite.executions.push_back(m_current);
  if (m_executionListener)
    m_executionListener(m_suite.executions.back());
}

void CRunRecord::EndSuite(const std::string& filePath, RunState state, const std::string& stateText,
                          const CRunBookkeeping& run)
{
  m_suite.filePath = filePath;
  m_suite.start = run.m_timeSuiteStart;
  m_suite.end = run.m_timeSuiteEnd;
  m_suite.state = state;
  m_suite.stateText = stateText;
  m_suite.total = run.m_nTotalRuns;
  m_suite.passed = run.m_nPassedRuns;
  m_suite.failed = run.m_nFailedRuns;
  m_bInExecution = false;
  if (m_suiteListener)
    m_suiteListener(m_suite);
}

} // namespace harness
