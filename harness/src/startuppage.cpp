// A page of the start-up box.
#include "startuppage.h"

#include <QCheckBox>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace harness {

namespace {

constexpr int kDontShowCheckBox = 1060;

} // namespace

CStartupPage::CStartupPage(const QString& name, const QString& html, const QString& checkBoxText,
                           QWidget* parent)
    : QWidget(parent), m_pText(new QTextBrowser(this))
{
  setObjectName(name);
  m_pText->setOpenExternalLinks(false);
  m_pText->setHtml(html);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pText, 1);
  if (!checkBoxText.isEmpty()) {
    m_pCheckBox = new QCheckBox(checkBoxText, this);
    m_pCheckBox->setObjectName(QString::number(kDontShowCheckBox));
    layout->addWidget(m_pCheckBox);
  }
}

} // namespace harness
