// The start-up box.
#include "startuppropsheet.h"

#include "harness/stringids.h"
#include "propertypagewidgets.h"
#include "resourcelibrary.h"
#include "startuppage.h"

#include <QCheckBox>
#include <QTabWidget>

namespace harness {

namespace {

struct PageSource
{
  const char* name; // the page's object name
  const char* file; // its text in the resource library
};

const PageSource kPages[] = {
    {"CInstructionsPage", "startup/instructions.html"},
    {"COpeningTsPage", "startup/openingts.html"},
    {"CTestResultsPage", "startup/testresults.html"},
    {"CDefinitionsPage", "startup/definitions.html"},
    {"CScreenDescPage", "startup/screendesc.html"},
};

} // namespace

CStartupPropSheet::CStartupPropSheet(const CResourceLibrary& resources, bool dontShow,
                                     QWidget* parent)
    : QDialog(parent), m_pTabs(new QTabWidget(this))
{
  setObjectName(QStringLiteral("CStartupPropSheet"));
  const StringTable& strings = resources.Strings();
  setWindowTitle(UiText(strings, ids::kStartupBoxTitle));
  int title = ids::kStartupPageTitleFirst;
  for (const PageSource& source : kPages) {
    // The instructions page, the first, carries the check box.
    const QString checkBox =
        m_pages.isEmpty() ? UiText(strings, ids::kDontShowStartupBox) : QString();
    auto* page = new CStartupPage(QString::fromLatin1(source.name),
                                  resources.TextFile(QString::fromLatin1(source.file)), checkBox);
    m_pTabs->addTab(page, UiText(strings, title++));
    m_pages << page;
  }
  m_pages.front()->CheckBox()->setChecked(dontShow);

  LayOutWithOkCancel(this, m_pTabs);
  resize(640, 480);
}

bool CStartupPropSheet::DontShow() const
{
  return m_pages.front()->CheckBox()->isChecked();
}

} // namespace harness
