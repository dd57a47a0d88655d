// About box with the program's icon from the resource library.
#include "caboutdlg.h"

#include "stringtable.h"

#include "platform/version.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace parlo {

QString CAboutDlg::ProgramVersion(const QString& programPath)
{
  return QString::fromStdString(
      platform::FormatFileVersion(platform::ReadFileVersion(programPath.toStdString())));
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
  setWindowTitle(LoadString(IDS_ABOUT_TITLE));
  m_strText = ResourceLibrary::Instance().Format(
      IDS_ABOUT_TEXT, ProgramVersion(QCoreApplication::applicationFilePath()));
  auto* icon = new QLabel(this);
  icon->setPixmap(QPixmap(QStringLiteral(":/parlo/parlo.png")));
  auto* text = new QLabel(m_strText, this);
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addWidget(icon, 0, Qt::AlignTop);
  row->addWidget(text, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
}

} // namespace parlo
