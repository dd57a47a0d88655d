// The status panel's five fields.
#include "ourstatusbar.h"

#include "harness/runstate.h"
#include "harness/stringids.h"

#include <QGridLayout>
#include <QLabel>

namespace harness {

COurStatusBar::COurStatusBar(const StringTable& strings, std::function<void(RunState)> onRunState,
                             std::function<void(unsigned, const std::string&)> log, QWidget* parent)
    : QToolBar(QString::fromStdString(strings.Get(ids::kStatusBarTitle)), parent),
      m_strings(strings), m_onRunState(std::move(onRunState)), m_log(std::move(log))
{
  setObjectName(QStringLiteral("COurStatusBar"));
  auto* panel = new QWidget(this);
  auto* layout = new QGridLayout(panel);
  layout->setContentsMargins(4, 2, 4, 2);
  layout->setVerticalSpacing(2);
  const std::pair<int, int> fields[] = {{kTestCaseField, ids::kStatusTestCase},
                                        {kFailuresField, ids::kStatusFailures},
                                        {kProgressField, ids::kStatusProgress},
                                        {kLoggingLevelField, ids::kStatusLevel},
                                        {kRunStateField, ids::kStatusState}};
  int index = 0;
  for (const auto& [field, caption] : fields) {
    auto* label = new QLabel(panel);
    label->setObjectName(QString::number(field));
    label->setMinimumWidth(field == kTestCaseField ? 180 : 90);
    int row = index / 3;
    int column = (index % 3) * 2;
    layout->addWidget(new QLabel(QString::fromStdString(strings.Get(caption)) + ':', panel), row,
                      column);
    layout->addWidget(label, row, column + 1);
    ++index;
  }
  panel->setFixedHeight(60);
  addWidget(panel);
}

QLabel* COurStatusBar::Field(int field) const
{
  return findChild<QLabel*>(QString::number(field));
}

QString COurStatusBar::FieldText(int field) const
{
  QLabel* label = Field(field);
  return label ? label->text() : QString();
}

void COurStatusBar::SetTestCaseLabel(const QString& label)
{
  Field(kTestCaseField)->setText(label);
}

void COurStatusBar::SetFailures(int count)
{
  m_nFailures = count;
  Field(kFailuresField)->setText(QString::number(count));
}

void COurStatusBar::IncrementFailures()
{
  SetFailures(m_nFailures + 1);
}

void COurStatusBar::SetProgress(int current, int total)
{
  Field(kProgressField)->setText(QString::fromStdString(ProgressText(m_strings, current, total)));
}

void COurStatusBar::SetLoggingLevel(unsigned level)
{
  Field(kLoggingLevelField)->setText(QString::fromStdString(LoggingLevelText(m_strings, level)));
}

void COurStatusBar::SetRunState(RunState state)
{
  std::string text = RunStateText(m_strings, state);
  Field(kRunStateField)->setText(QString::fromStdString(text));
  if (m_onRunState)
    m_onRunState(state);
  if (RunStateIsLogged(state) && m_log)
    m_log(3, text);
}

void COurStatusBar::Reset(unsigned loggingLevel)
{
  SetTestCaseLabel(QString());
  SetRunState(RunState::Idle);
  SetLoggingLevel(loggingLevel);
  SetFailures(0);
  SetProgress(0, 0);
}

} // namespace harness
