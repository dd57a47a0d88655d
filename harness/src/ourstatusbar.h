// The status panel: test case, failures, progress, logging level and run state. It is a
// tool-bar row of its own so that it can sit beside the tool bar, dock, float and hide.
#pragma once

#include "harness/runstate.h"

#include "harness/stringtable.h"

#include <QToolBar>
#include <functional>

class QLabel;

namespace harness {

class COurStatusBar : public QToolBar
{
  Q_OBJECT

public:
  static constexpr int kTestCaseField = 1021;
  static constexpr int kFailuresField = 1023;
  static constexpr int kProgressField = 1024;
  static constexpr int kLoggingLevelField = 1026;
  static constexpr int kRunStateField = 1030;

  // `onRunState` stores the state for the application; `log` sends a log line.
  COurStatusBar(const StringTable& strings, std::function<void(RunState)> onRunState,
                std::function<void(unsigned, const std::string&)> log, QWidget* parent = nullptr);

  void SetTestCaseLabel(const QString& label);
  void SetFailures(int count);
  void IncrementFailures();
  void SetProgress(int current, int total);
  void SetLoggingLevel(unsigned level);
  // Stores the state too; running, stop requested and stopped also go to the log at level 3.
  void SetRunState(RunState state);
  // The start-up reset: no test case, idle, the logging level, counters 0 and 0.
  void Reset(unsigned loggingLevel);

  QString FieldText(int field) const;
  int Failures() const { return m_nFailures; }

private:
  QLabel* Field(int field) const;

  const StringTable& m_strings;
  std::function<void(RunState)> m_onRunState;
  std::function<void(unsigned, const std::string&)> m_log;
  int m_nFailures = 0;
};

} // namespace harness
