// The status panel's five fields.
#include "ourstatusbar.h"

#include "harness/stringids.h"

#include <QGridLayout>
#include <QLabel>

namespace harness {

COurStatusBar::COurStatusBar(const StringTable& strings, CRunStatusBar& operations, QWidget* parent)
    : QToolBar(QString::fromStdString(strings.Get(ids::kStatusBarTitle)), parent),
      m_operations(operations)
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
    label->setText(QString::fromStdString(m_operations.FieldText(field)));
    int row = index / 3;
    int column = (index % 3) * 2;
    layout->addWidget(new QLabel(QString::fromStdString(strings.Get(caption)) + ':', panel), row,
                      column);
    layout->addWidget(label, row, column + 1);
    ++index;
  }
  panel->setFixedHeight(60);
  addWidget(panel);
  m_operations.SetFields(this);
}

COurStatusBar::~COurStatusBar()
{
  m_operations.SetFields(nullptr);
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

void COurStatusBar::SetFieldText(int field, const std::string& text)
{
  if (QLabel* label = Field(field))
    label->setText(QString::fromStdString(text));
}

void COurStatusBar::SetTestCaseLabel(const QString& label)
{
  m_operations.ShowTestCaseLabel(label.toStdString());
}

void COurStatusBar::SetFailures(int count)
{
  m_operations.ShowFailureCount(count);
}

void COurStatusBar::IncrementFailures()
{
  m_operations.CountFailure();
}

void COurStatusBar::SetProgress(int current, int total)
{
  m_operations.ShowProgress(current, total);
}

void COurStatusBar::SetLoggingLevel(unsigned level)
{
  m_operations.ShowLoggingLevel(level);
}

void COurStatusBar::SetRunState(RunState state)
{
  m_operations.SetRunState(state);
}

void COurStatusBar::Reset(unsigned loggingLevel)
{
  m_operations.Reset(loggingLevel);
}

} // namespace harness
