// The guide window.
#include "guidewindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace harness {

CGuideWindow::CGuideWindow(QWidget* parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("CGuideWindow"));
  m_pBrowser = new QTextBrowser(this);
  m_pBrowser->setOpenExternalLinks(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_pBrowser);
  resize(720, 560);
}

bool CGuideWindow::ShowContents(const QString& indexPath)
{
  if (!QFileInfo(indexPath).isFile())
    return false;
  m_pBrowser->setSource(QUrl::fromLocalFile(indexPath));
  setWindowTitle(m_pBrowser->documentTitle());
  show();
  raise();
  return true;
}

QString GuideIndexPath()
{
  QDir bin(QCoreApplication::applicationDirPath());
  return QDir::cleanPath(bin.filePath(QStringLiteral("../share/halvex/guide/index.html")));
}

} // namespace harness
