// The status panel's operations.
#include "harness/runstatusbar.h"

namespace harness {

namespace {

constexpr int kFields[] = {kStatusTestCaseField, kStatusFailuresField, kStatusProgressField,
                           kStatusLoggingLevelField, kStatusRunStateField};

int FieldIndex(int field)
{
  for (int i = 0; i < 5; ++i)
    if (kFields[i] == field)
      return i;
  return -1;
}

} // namespace

CRunStatusBar::CRunStatusBar(std::atomic<RunState>& runState, CRunBookkeeping& run,
                             const StringTable& strings)
    : m_runState(runState), m_run(run), m_strings(strings)
{
}

void CRunStatusBar::Show(int field, const std::string& text)
{
  m_texts[FieldIndex(field)] = text;
  if (m_pFields != nullptr)
    m_pFields->SetFieldText(field, text);
}

const std::string& CRunStatusBar::FieldText(int field) const
{
  static const std::string none;
  const int index = FieldIndex(field);
  return index < 0 ? none : m_texts[index];
}

void CRunStatusBar::ShowTestCaseLabel(const std::string& label)
{
  Show(kStatusTestCaseField, label);
}

void CRunStatusBar::SetRunState(RunState state)
{
  const std::string text = RunStateText(m_strings, state);
  Show(kStatusRunStateField, text);
  m_runState = state;
  if (m_listener)
    m_listener(state);
  if (RunStateIsLogged(state) && m_log)
    m_log(3, text);
}

void CRunStatusBar::ShowProgress(int current, int total)
{
  m_run.m_nCurrentRun = current;
  m_run.m_nTotalRuns = total;
  Show(kStatusProgressField, ProgressText(m_strings, current, total));
}

void CRunStatusBar::CountFailure()
{
  ShowFailureCount(m_run.m_nFailedRuns + 1);
}

void CRunStatusBar::ShowFailureCount(int count)
{
  m_run.m_nFailedRuns = count;
  Show(kStatusFailuresField, std::to_string(count));
}

void CRunStatusBar::ShowLoggingLevel(unsigned level)
{
  Show(kStatusLoggingLevelField, LoggingLevelText(m_strings, level));
}

void CRunStatusBar::Reset(unsigned loggingLevel)
{
  ShowTestCaseLabel("");
  SetRunState(RunState::Idle);
  ShowLoggingLevel(loggingLevel);
  ShowProgress(0, 0);
  ShowFailureCount(0);
}

} // namespace harness
