// The Reporting page of the harness properties: what the results report includes.
#pragma once

#include "harness/harnessproperties.h"

#include <QList>
#include <QWidget>

class QCheckBox;

namespace harness {

class CHarnessReportingPage : public QWidget
{
  Q_OBJECT

public:
  explicit CHarnessReportingPage(const StringTable& strings, QWidget* parent = nullptr);

  void Load(const HarnessProperties& values);
  void Store(HarnessProperties& values) const;

private:
  // In ReportSettings() order.
  QList<QCheckBox*> m_boxes;
};

} // namespace harness
