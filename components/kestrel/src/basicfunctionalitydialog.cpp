// The basic capture test's dialog.
#include "kestrel/basicfunctionalitydialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace kestrel {

CBasicFunctionalityDialog::CBasicFunctionalityDialog(const BasicCaptureSettings& values,
                                                     QWidget* parent)
    : QDialog(parent), m_pFourcc(new QLineEdit(QString::fromStdString(values.fourcc))),
      m_pWidth(new QLineEdit(QString::number(values.width))),
      m_pVendor(new QLineEdit(QString::fromStdString(values.vendor))),
      m_pStandard(new QLineEdit(QString::fromStdString(values.standard))),
      m_pDiagnostics(new QSlider(Qt::Horizontal))
{
  setWindowTitle(QStringLiteral("Basic Capture Functionality Test"));
  m_pFourcc->setObjectName(QStringLiteral("fourcc"));
  m_pFourcc->setMaxLength(kFourccLength);
  m_pWidth->setObjectName(QStringLiteral("width"));
  m_pWidth->setValidator(new QIntValidator(kMinWidth, kMaxWidth, m_pWidth));
  m_pVendor->setObjectName(QStringLiteral("vendor"));
  m_pVendor->setMaxLength(kVendorLength);
  m_pStandard->setObjectName(QStringLiteral("standard"));
  m_pStandard->setMaxLength(kStandardLength);
  m_pDiagnostics->setObjectName(QStringLiteral("diagnostics"));
  m_pDiagnostics->setRange(kDiagnosticsMin, kDiagnosticsMax);
  m_pDiagnostics->setValue(values.diagnostics);

  auto* slider = new QHBoxLayout;
  slider->addWidget(new QLabel(QStringLiteral("Less")));
  slider->addWidget(m_pDiagnostics, 1);
  slider->addWidget(new QLabel(QStringLiteral("More")));
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Input FOURCC"), m_pFourcc);
  form->addRow(QStringLiteral("Input Width"), m_pWidth);
  form->addRow(QStringLiteral("Vendor Name"), m_pVendor);
  form->addRow(QStringLiteral("Video Standard"), m_pStandard);
  form->addRow(QStringLiteral("Diagnostics Level"), slider);

  auto* buttons = new QDialogButtonBox;
  m_pAccept = buttons->addButton(QStringLiteral("Accept"), QDialogButtonBox::AcceptRole);
  m_pAccept->setObjectName(QStringLiteral("accept"));
  buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_pWidth, &QLineEdit::textChanged, this, [this] { UpdateAccept(); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  UpdateAccept();
}

void CBasicFunctionalityDialog::UpdateAccept()
{
  // A width outside 320 to 720 cannot be accepted; the user corrects it or cancels.
  m_pAccept->setEnabled(m_pWidth->hasAcceptableInput());
}

BasicCaptureSettings CBasicFunctionalityDialog::Values() const
{
  BasicCaptureSettings values;
  values.fourcc = m_pFourcc->text().toStdString();
  values.width = m_pWidth->text().toInt();
  values.vendor = m_pVendor->text().toStdString();
  values.standard = m_pStandard->text().toStdString();
  values.diagnostics = m_pDiagnostics->value();
  return values;
}

} // namespace kestrel
