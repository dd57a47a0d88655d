// The viewer's single-document frame: menus, tool bar, status bar, the view and its document.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPrinter>

class QLabel;

namespace parlo {

class CParloDoc;
class CTheView;
class FindBar;
class ParloSettings;

// Commands are QActions whose data is the command identifier of the string table.
// User-interface thread only. The settings object must outlive the frame.
class CMainFrame : public QMainWindow
{
  Q_OBJECT
public:
  // Longer selections are not taken into the find bar.
  static constexpr qsizetype kMaxFindText = 256;

  explicit CMainFrame(ParloSettings* settings, QWidget* parent = nullptr);
  ~CMainFrame() override;

  CParloDoc* Doc() const { return m_pDoc; }
  CTheView* View() const { return m_pView; }
  FindBar* Find() const { return m_pFindBar; }
  QAction* Action(int id) const { return m_actions.value(id); }
  // The lasting note in the status bar (load trouble, truncation, a vanished file).
  QString Notice() const;

  // Opens a file as the document; a failure is reported in a box and keeps the old text.
  bool OpenDocumentFile(const QString& path);
  // The same for an entry of the recent-files list, which loses the entry of a vanished file.
  bool OpenRecentFile(const QString& path);
  void OnFileNew();
  void OnFileOpen();
  // Reopens the document's file and puts the caret at the end; nothing without a file.
  void OnReload();
  void OnFont();
  void SetFollow(bool follow);
  void OnFilePrint();
  void OnFilePrintDirect();
  void OnFilePrintPreview();
  void OnFilePrintSetup();
  void OnAppAbout();
  void OnEditFind();
  QPrinter* Printer() { return &m_printer; }
  // Prints what the view shows, with a progress box that can cancel when attended.
  bool Print(QPrinter* printer);

signals:
  // The document finished loading (opened or reloaded) and the caret is at the end.
  void documentLoaded();

protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  QAction* AddCommand(int id, const QKeySequence& shortcut = {}, int standardIcon = -1);
  void BuildMenus();
  void UpdateTitle();
  void UpdateRecentFiles();
  void SetNotice(const QString& text);
  void OnLoaded();
  void OnProgress(qint64 bytesRead, qint64 bytesTotal);

  ParloSettings* m_pSettings;
  CParloDoc* m_pDoc = nullptr;
  CTheView* m_pView = nullptr;
  FindBar* m_pFindBar = nullptr;
  QLabel* m_pNotice = nullptr;
  QMenu* m_pFileMenu = nullptr;
  QList<QAction*> m_recentActions;
  QString m_strFinding; // the text of the last search, for its messages
  QHash<int, QAction*> m_actions;
  QPrinter m_printer;
};

} // namespace parlo
