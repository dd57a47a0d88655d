// Start-up in the order the viewer needs: resources first, since every text comes from them.
#include "cparloapp.h"

#include "cmainframe.h"
#include "messagebox.h"
#include "stringtable.h"

#include <QApplication>
#include <QIcon>

namespace parlo {

CParloApp::CParloApp() = default;

CParloApp::~CParloApp() = default;

bool CParloApp::InitInstance(const QStringList& arguments, const QString& resourceFolder)
{
  QString error;
  if (!ResourceLibrary::MutableInstance().Load(resourceFolder, &error)) {
    ShowMessage(nullptr, QMessageBox::Critical, error);
    return false;
  }
  QApplication::setOrganizationName(QStringLiteral("Orvane"));
  QApplication::setApplicationName(LoadString(IDS_APP_TITLE));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/parlo/parlo.png")));
  m_pSettings = std::make_unique<ParloSettings>();
  m_pMainFrame = std::make_unique<CMainFrame>(m_pSettings.get());

  // The command line names at most one file; without one the document is new and empty.
  const QStringList files = arguments.mid(1);
  m_pMainFrame->show();
  if (files.isEmpty()) {
    m_pMainFrame->OnFileNew();
  } else if (!m_pMainFrame->OpenDocumentFile(files.first())) {
    return false;
  }
  return true;
}

} // namespace parlo
