// The status panel: test case, failures, progress, logging level and run state. It is a
// tool-bar row of its own so that it can sit beside the tool bar, dock, float and hide. It draws
// the texts of the status operations (harness/runstatusbar.h), which keep the values.
#pragma once

#include "harness/runstatusbar.h"
#include "harness/stringtable.h"

#include <QToolBar>

class QLabel;

namespace harness {

class COurStatusBar : public QToolBar, public StatusFields
{
  Q_OBJECT

public:
  static constexpr int kTestCaseField = kStatusTestCaseField;
  static constexpr int kFailuresField = kStatusFailuresField;
  static constexpr int kProgressField = kStatusProgressField;
  static constexpr int kLoggingLevelField = kStatusLoggingLevelField;
  static constexpr int kRunStateField = kStatusRunStateField;

  // Draws the fields of `operations` from now on.
  COurStatusBar(const StringTable& strings, CRunStatusBar& operations, QWidget* parent = nullptr);
  ~COurStatusBar() override;

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

  // StatusFields.
  void SetFieldText(int field, const std::string& text) override;

private:
  QLabel* Field(int field) const;

  CRunStatusBar& m_operations;
};

} // namespace harness
