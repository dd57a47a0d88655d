// The example test's dialog.
#include "kestrel/qualitydialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

namespace kestrel {

CQualityDialog::CQualityDialog(int32_t parameter1, const std::string& parameter2, QWidget* parent)
    : QDialog(parent), m_pParameter1(new QLineEdit(QString::number(parameter1))),
      m_pParameter2(new QLineEdit(QString::fromStdString(parameter2)))
{
  setWindowTitle(QStringLiteral("Analog_In_Quality Configuration"));
  m_pParameter1->setObjectName(QStringLiteral("parameter1"));
  m_pParameter1->setValidator(new QIntValidator(
      std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), m_pParameter1));
  m_pParameter2->setObjectName(QStringLiteral("parameter2"));
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("iParameter1:"), m_pParameter1);
  form->addRow(QStringLiteral("strParameter 2:"), m_pParameter2);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_pParameter1, &QLineEdit::textChanged, this,
          [this, ok] { ok->setEnabled(m_pParameter1->hasAcceptableInput()); });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

int32_t CQualityDialog::Parameter1() const
{
  return m_pParameter1->text().toInt();
}

std::string CQualityDialog::Parameter2() const
{
  return m_pParameter2->text().toStdString();
}

} // namespace kestrel
