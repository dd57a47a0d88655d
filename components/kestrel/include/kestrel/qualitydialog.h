// The "Analog_In_Quality Configuration" dialog: the two parameters of the example test.
// User-interface thread only.
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

class QLineEdit;

namespace kestrel {

class CQualityDialog : public QDialog
{
public:
  CQualityDialog(int32_t parameter1, const std::string& parameter2, QWidget* parent = nullptr);

  int32_t Parameter1() const;
  std::string Parameter2() const;

private:
  QLineEdit* m_pParameter1;
  QLineEdit* m_pParameter2;
};

} // namespace kestrel
