// The Reporting page.
#include "harnessreportingpage.h"

#include "harness/stringids.h"
#include "propertypagewidgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

namespace harness {

CHarnessReportingPage::CHarnessReportingPage(const StringTable& strings, QWidget* parent)
    : QWidget(parent)
{
  setObjectName(QStringLiteral("CHarnessReportingPage"));
  auto* group = new QGroupBox(UiText(strings, ids::kReportingGroup), this);
  auto* boxes = new QVBoxLayout(group);
  int label = ids::kReportLabelFirst;
  for (const ReportSetting& report : ReportSettings()) {
    auto* box = new QCheckBox(UiText(strings, label++), group);
    box->setObjectName(ControlName(report.control));
    boxes->addWidget(box);
    m_boxes << box;
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addStretch();
}

void CHarnessReportingPage::Load(const HarnessProperties& values)
{
  for (int i = 0; i < m_boxes.size(); ++i)
    m_boxes[i]->setChecked(static_cast<std::size_t>(i) < values.report.size() &&
                           values.report[static_cast<std::size_t>(i)]);
}

void CHarnessReportingPage::Store(HarnessProperties& values) const
{
  values.report.clear();
  for (const QCheckBox* box : m_boxes)
    values.report.push_back(box->isChecked());
}

} // namespace harness
