// The facts of one suite run as the machine-readable reports and the progress lines need
// them: every execution with its component, times, verdict and the result lines the test case
// reported. Filled by the results view's reports; user-interface thread only.
#pragma once

#include "harness/runbookkeeping.h"
#include "harness/runstate.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CComponent;
class CTestCase;

namespace harness {

// What the results report says of a test case's component.
struct ComponentFacts
{
  bool loaded = false; // the component was found; the texts below are empty otherwise
  std::string className;
  std::string oem;
  std::string manufacturer;
  std::string model;
  std::string serialNumber;
  std::string driverVersion;
  std::string firmwareVersion;
};

ComponentFacts FactsOf(const CComponent* component, const std::string& className);

struct ExecutionRecord
{
  int number = 0; // execution number within the run, from 1
  int total = 0;  // executions the run was to make
  std::string label;
  std::string baseName;
  int iteration = 0;
  ComponentFacts component;
  RunClock::time_point start;
  RunClock::time_point end;
  std::uint32_t status = 0;
  std::string statusText;
  bool passed = false;
  std::vector<std::string> output; // the result lines the test case reported
};

struct SuiteRunRecord
{
  std::string name;
  std::string filePath;
  RunClock::time_point start;
  RunClock::time_point end;
  RunState state = RunState::Idle;
  std::string stateText;
  int total = 0;
  int passed = 0;
  int failed = 0;
  std::vector<ExecutionRecord> executions;
};

class CRunRecord
{
public:
  // Told of every finished execution, and of every finished suite run.
  void SetExecutionListener(std::function<void(const ExecutionRecord&)> listener);
  void SetSuiteListener(std::function<void(const SuiteRunRecord&)> listener);

  void BeginSuite(const std::string& name);
  void BeginExecution(const CTestCase& testCase, int iteration, const ComponentFacts& component,
                      RunClock::time_point start);
  // Kept only while an execution is open.
  void AddOutput(const std::string& line);
  // Closes the open execution, or records one that was never opened (a run that skips the
  // start report).
  void EndExecution(const CTestCase& testCase, std::uint32_t status, const std::string& statusText,
                    int number, int total, RunClock::time_point end);
  void EndSuite(const std::string& filePath, RunState state, const std::string& stateText,
                const CRunBookkeeping& run);

  bool InExecution() const { return m_bInExecution; }
  // The run in progress or, once ended, the last one.
  const SuiteRunRecord& Suite() const { return m_suite; }

private:
  SuiteRunRecord m_suite;
  ExecutionRecord m_current;
  bool m_bInExecution = false;
  std::function<void(const ExecutionRecord&)> m_executionListener;
  std::function<void(const SuiteRunRecord&)> m_suiteListener;
};

} // namespace harness
