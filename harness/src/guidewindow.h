// The user's guide: the HTML guide installed with the program, shown in a window of its own.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace harness {

class CGuideWindow : public QDialog
{
  Q_OBJECT

public:
  explicit CGuideWindow(QWidget* parent = nullptr);
  // Shows the guide's contents page; false when it is not installed.
  bool ShowContents(const QString& indexPath);
  QTextBrowser* Browser() const { return m_pBrowser; }

private:
  QTextBrowser* m_pBrowser;
};

// index.html of the guide: share/halvex/guide beside the program's bin folder.
QString GuideIndexPath();

} // namespace harness
