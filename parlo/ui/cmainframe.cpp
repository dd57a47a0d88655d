// Commands of the viewer and the wiring between document, view and status bar.
#include "cmainframe.h"

#include "caboutdlg.h"
#include "cfontdialog.h"
#include "cparlodoc.h"
#include "ctheview.h"
#include "findbar.h"
#include "messagebox.h"
#include "parlosettings.h"
#include "stringtable.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QProgressDialog>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace parlo {

CMainFrame::CMainFrame(ParloSettings* settings, QWidget* parent)
    : QMainWindow(parent), m_pSettings(settings), m_printer(QPrinter::HighResolution)
{
  setWindowIcon(QIcon(QStringLiteral(":/parlo/parlo.png")));
  m_pDoc = new CParloDoc(this);
  m_pView = new CTheView(this);
  m_pFindBar = new FindBar(this);
  m_pFindBar->hide();
  auto* centre = new QWidget(this);
  auto* layout = new QVBoxLayout(centre);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(m_pView, 1);
  layout->addWidget(m_pFindBar);
  setCentralWidget(centre);
  m_pNotice = new QLabel(this);
  // No stretch: the bar paints its messages in the room the permanent widgets leave.
  statusBar()->addPermanentWidget(m_pNotice);
  statusBar()->showMessage(LoadString(IDS_READY));
  setAcceptDrops(true);

  m_pView->SetDocument(m_pDoc);
  connect(m_pDoc, &CParloDoc::loaded, this, &CMainFrame::OnLoaded);
  connect(m_pDoc, &CParloDoc::loadProgress, this, &CMainFrame::OnProgress);
  connect(m_pDoc, &CParloDoc::notice, this, &CMainFrame::SetNotice);
  connect(m_pDoc, &CParloDoc::appended, m_pView, &CTheView::CaretToEnd);
  connect(m_pDoc, &CParloDoc::fileGone, this, [this](const QString& path) {
    SetNotice(ResourceLibrary::Instance().Format(IDS_FILE_GONE, path));
  });
  connect(m_pView, &CTheView::filesDropped, this,
          [this](const QStringList& paths) { OpenDocumentFile(paths.first()); });
  connect(m_pView, &CTheView::message, this,
          [this](const QString& text) { statusBar()->showMessage(text); });
  connect(m_pFindBar, &FindBar::findRequested, this,
          [this](const QString& text, bool backward, bool matchCase) {
            m_strFinding = text;
            m_pView->FindText(text, backward, matchCase);
          });
  connect(m_pView, &CTheView::findProgress, this, [this](int percent) {
    statusBar()->showMessage(
        ResourceLibrary::Instance().Format(IDS_SEARCHING, m_strFinding, QString::number(percent)));
  });
  connect(m_pView, &CTheView::findFinished, this, [this](bool found) {
    if (!found)
      statusBar()->showMessage(ResourceLibrary::Instance().Format(IDS_NOT_FOUND, m_strFinding));
    else
      statusBar()->clearMessage();
  });

  BuildMenus();
  UpdateTitle();
  resize(900, 640);
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::AddCommand(int id, const QKeySequence& shortcut, int standardIcon)
{
  auto* action = new QAction(LoadString(id), this);
  action->setData(id);
  if (!shortcut.isEmpty())
    action->setShortcut(shortcut);
  if (standardIcon >= 0)
    action->setIcon(style()->standardIcon(static_cast<QStyle::StandardPixmap>(standardIcon)));
  m_actions.insert(id, action);
  return action;
}

void CMainFrame::BuildMenus()
{
  QAction* fileNew = AddCommand(ID_FILE_NEW, QKeySequence::New, QStyle::SP_FileIcon);
  QAction* fileOpen = AddCommand(ID_FILE_OPEN, QKeySequence::Open, QStyle::SP_DialogOpenButton);
  QAction* reload = AddCommand(ID_RELOAD, QKeySequence::Refresh, QStyle::SP_BrowserReload);
  QAction* follow = AddCommand(ID_FOLLOW);
  follow->setCheckable(true);
  QAction* font = AddCommand(ID_FONT);
  QAction* print = AddCommand(ID_FILE_PRINT, QKeySequence::Print);
  QAction* printDirect = AddCommand(ID_FILE_PRINT_DIRECT);
  QAction* preview = AddCommand(ID_FILE_PRINT_PREVIEW);
  QAction* setup = AddCommand(ID_FILE_PRINT_SETUP);
  QAction* exit = AddCommand(ID_APP_EXIT, QKeySequence::Quit);
  QAction* copy = AddCommand(ID_EDIT_COPY, QKeySequence::Copy);
  QAction* selectAll = AddCommand(ID_EDIT_SELECT_ALL, QKeySequence::SelectAll);
  QAction* find = AddCommand(ID_EDIT_FIND, QKeySequence::Find);
  QAction* about = AddCommand(ID_APP_ABOUT, {}, QStyle::SP_MessageBoxInformation);

  connect(fileNew, &QAction::triggered, this, &CMainFrame::OnFileNew);
  connect(fileOpen, &QAction::triggered, this, &CMainFrame::OnFileOpen);
  connect(reload, &QAction::triggered, this, &CMainFrame::OnReload);
  connect(follow, &QAction::toggled, this, &CMainFrame::SetFollow);
  connect(font, &QAction::triggered, this, &CMainFrame::OnFont);
  connect(print, &QAction::triggered, this, &CMainFrame::OnFilePrint);
  connect(printDirect, &QAction::triggered, this, &CMainFrame::OnFilePrintDirect);
  connect(preview, &QAction::triggered, this, &CMainFrame::OnFilePrintPreview);
  connect(setup, &QAction::triggered, this, &CMainFrame::OnFilePrintSetup);
  connect(exit, &QAction::triggered, this, &QWidget::close);
  connect(copy, &QAction::triggered, m_pView, &CTheView::Copy);
  connect(selectAll, &QAction::triggered, m_pView, &CTheView::SelectAll);
  connect(find, &QAction::triggered, this, &CMainFrame::OnEditFind);
  connect(about, &QAction::triggered, this, &CMainFrame::OnAppAbout);

  m_pFileMenu = menuBar()->addMenu(LoadString(IDS_MENU_FILE));
  m_pFileMenu->addActions({fileNew, fileOpen, reload});
  m_pFileMenu->addSeparator();
  m_pFileMenu->addActions({print, printDirect, preview, setup});
  m_pFileMenu->addSeparator();
  for (int i = 0; i < ParloSettings::kMaxRecentFiles; ++i) {
    QAction* recent = AddCommand(ID_FILE_MRU_FILE1 + i);
    connect(recent, &QAction::triggered, this,
            [this, recent] { OpenRecentFile(recent->property("path").toString()); });
    m_recentActions.append(recent);
    m_pFileMenu->addAction(recent);
  }
  m_pFileMenu->addSeparator();
  m_pFileMenu->addAction(exit);

  QMenu* edit = menuBar()->addMenu(LoadString(IDS_MENU_EDIT));
  edit->addActions({copy, selectAll});
  edit->addSeparator();
  edit->addAction(find);
  QMenu* view = menuBar()->addMenu(LoadString(IDS_MENU_VIEW));
  view->addActions({font, follow});
  QMenu* help = menuBar()->addMenu(LoadString(IDS_MENU_HELP));
  help->addAction(about);

  QToolBar* tools = addToolBar(LoadString(IDS_APP_TITLE));
  tools->setObjectName(QStringLiteral("MainToolBar"));
  tools->addActions({fileNew, fileOpen, reload});
  tools->addSeparator();
  tools->addAction(about);
  UpdateRecentFiles();
}

void CMainFrame::UpdateTitle()
{
  const QString name =
      m_pDoc->HasPath() ? QFileInfo(m_pDoc->PathName()).fileName() : LoadString(IDS_UNTITLED);
  setWindowTitle(QStringLiteral("%1 - %2").arg(name, LoadString(IDS_APP_TITLE)));
}

void CMainFrame::UpdateRecentFiles()
{
  const QStringList files = m_pSettings->RecentFiles();
  for (int i = 0; i < m_recentActions.size(); ++i) {
    QAction* action = m_recentActions[i];
    action->setVisible(i < files.size());
    if (i < files.size()) {
      action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(files[i]));
      action->setProperty("path", files[i]);
    }
  }
}

QString CMainFrame::Notice() const
{
  return m_pNotice->text();
}

void CMainFrame::SetNotice(const QString& text)
{
  m_pNotice->setText(text);
}

bool CMainFrame::OpenDocumentFile(const QString& path)
{
  QString error;
  SetNotice({});
  if (!m_pDoc->OnOpenDocument(path, &error)) {
    ShowMessage(this, QMessageBox::Warning,
                ResourceLibrary::Instance().Format(IDS_OPEN_FAILED, error));
    return false;
  }
  m_pSettings->AddRecentFile(m_pDoc->PathName());
  UpdateRecentFiles();
  UpdateTitle();
  return true;
}

bool CMainFrame::OpenRecentFile(const QString& path)
{
  if (OpenDocumentFile(path))
    return true;
  // A file that is gone for good leaves the list, as the framework's list does.
  if (!QFileInfo::exists(path)) {
    m_pSettings->RemoveRecentFile(path);
    UpdateRecentFiles();
  }
  return false;
}

void CMainFrame::OnLoaded()
{
  statusBar()->showMessage(
      ResourceLibrary::Instance().Format(IDS_LOADED, QString::number(m_pView->LineCount())));
  // After a load the caret goes to the end so that the latest lines are visible.
  m_pView->CaretToEnd();
  // A few stray bytes only note themselves where nothing else is noted; junk always does.
  if (m_pDoc->LooksBinary() || (m_pDoc->BinaryBytes() > 0 && Notice().isEmpty()))
    SetNotice(ResourceLibrary::Instance().Format(IDS_BINARY_BYTES,
                                                 QString::number(m_pDoc->BinaryBytes())));
  if (m_pDoc->LooksBinary())
    ShowMessage(this, QMessageBox::Warning,
                ResourceLibrary::Instance().Format(IDS_BINARY_FILE, m_pDoc->PathName()));
  emit documentLoaded();
}

void CMainFrame::OnProgress(qint64 bytesRead, qint64 bytesTotal)
{
  const qint64 percent = bytesTotal > 0 ? bytesRead * 100 / bytesTotal : 100;
  statusBar()->showMessage(ResourceLibrary::Instance().Format(
      IDS_LOADING, QFileInfo(m_pDoc->PathName()).fileName(), QString::number(percent)));
}

void CMainFrame::OnFileNew()
{
  SetNotice({});
  m_pDoc->OnNewDocument();
  UpdateTitle();
  statusBar()->showMessage(LoadString(IDS_READY));
}

void CMainFrame::OnFileOpen()
{
  if (IsUnattended())
    return;
  const QString path = QFileDialog::getOpenFileName(this, {}, {}, LoadString(IDS_FILE_FILTER));
  if (!path.isEmpty())
    OpenDocumentFile(path);
}

void CMainFrame::OnReload()
{
  if (!m_pDoc->HasPath())
    return;
  const QString path = m_pDoc->PathName();
  // Check before the text is dropped: a vanished file must not cost the text already shown.
  if (!QFileInfo::exists(path)) {
    const QString text = ResourceLibrary::Instance().Format(IDS_RELOAD_GONE, path);
    SetNotice(text);
    ShowMessage(this, QMessageBox::Warning, text);
    return;
  }
  OpenDocumentFile(path);
}

void CMainFrame::OnFont()
{
  if (IsUnattended())
    return;
  CFontDialog dialog(CTheView::DefaultFormat(), m_pView->logicalDpiY(), this);
  if (dialog.exec() == QDialog::Accepted)
    m_pView->SetDefaultFormat(dialog.Format());
}

void CMainFrame::SetFollow(bool follow)
{
  QAction* action = Action(ID_FOLLOW);
  if (action->isChecked() != follow)
    action->setChecked(follow); // comes back here through toggled
  m_pDoc->SetFollow(follow);
  if (follow && m_pDoc->HasPath())
    SetNotice(ResourceLibrary::Instance().Format(IDS_FOLLOWING, m_pDoc->PathName()));
  else if (!follow)
    SetNotice({});
}

void CMainFrame::OnFilePrint()
{
  if (IsUnattended())
    return;
  QPrintDialog dialog(&m_printer, this);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, m_pView->HasSelection());
  if (dialog.exec() == QDialog::Accepted)
    OnFilePrintDirect();
}

bool CMainFrame::Print(QPrinter* printer)
{
  if (IsUnattended())
    return m_pView->Print(printer);
  // A long log takes a while on paper: show how far it is, and let it be cancelled.
  QProgressDialog progress(LoadString(IDS_PRINTING), LoadString(IDS_CANCEL), 0, 100, this);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(500);
  const bool printed = m_pView->Print(printer, [&progress](int percent) {
    progress.setValue(percent);
    return !progress.wasCanceled();
  });
  progress.reset();
  return printed;
}

void CMainFrame::OnFilePrintDirect()
{
  if (!Print(&m_printer)) {
    const QString target =
        m_printer.outputFileName().isEmpty() ? m_printer.printerName() : m_printer.outputFileName();
    ShowMessage(this, QMessageBox::Warning,
                ResourceLibrary::Instance().Format(IDS_PRINT_FAILED, target));
  }
}

void CMainFrame::OnFilePrintPreview()
{
  if (IsUnattended())
    return;
  // The preview has no choice of range: it shows the selection when there is one, else the
  // whole file, and prints what it shows.
  const QPrinter::PrintRange range = m_printer.printRange();
  m_printer.setPrintRange(m_pView->HasSelection() ? QPrinter::Selection : QPrinter::AllPages);
  QPrintPreviewDialog dialog(&m_printer, this);
  connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
          [this](QPrinter* printer) { Print(printer); });
  dialog.exec();
  m_printer.setPrintRange(range);
}

void CMainFrame::OnFilePrintSetup()
{
  if (IsUnattended())
    return;
  QPageSetupDialog dialog(&m_printer, this);
  dialog.exec();
}

void CMainFrame::OnAppAbout()
{
  CAboutDlg dialog(this);
  if (IsUnattended()) {
    ShowMessage(this, QMessageBox::Information, dialog.Text());
    return;
  }
  dialog.exec();
}

void CMainFrame::OnEditFind()
{
  // A short selection on one line is what to look for.
  const QString selected = m_pView->SelectedText(kMaxFindText * 4);
  if (!selected.isEmpty() && selected.size() <= kMaxFindText &&
      !selected.contains(QLatin1Char('\n')))
    m_pFindBar->SetText(selected);
  m_pFindBar->Activate();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
  if (!CTheView::LocalFiles(event->mimeData()).isEmpty())
    event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
  const QStringList paths = CTheView::LocalFiles(event->mimeData());
  if (paths.isEmpty())
    return;
  event->acceptProposedAction();
  OpenDocumentFile(paths.first());
}

} // namespace parlo
