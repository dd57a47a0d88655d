// The viewer's frame under the offscreen platform: open, reload, follow, print, drop, start-up.
#include "caboutdlg.h"
#include "cmainframe.h"
#include "cparloapp.h"
#include "cparlodoc.h"
#include "ctheview.h"
#include "findbar.h"
#include "linehighlighter.h"
#include "logprinter.h"
#include "logtext.h"
#include "logview.h"
#include "parlosettings.h"
#include "richtextview.h"
#include "stringtable.h"
#include "testenvironment.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextObjectInterface>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

namespace parlo {
namespace {

QByteArray NumberedLines(const char* prefix, int first, int count)
{
  QByteArray bytes;
  for (int i = first; i < first + count; ++i)
    bytes += QByteArray(prefix) + ' ' + QByteArray::number(i) + "\r\n";
  return bytes;
}

QString UniqueName(const char* stem)
{
  static int counter = 0;
  return QStringLiteral("%1-%2").arg(QLatin1String(stem)).arg(++counter);
}

class MainFrameTest : public testing::Test
{
protected:
  void SetUp() override
  {
    m_settings = std::make_unique<ParloSettings>(
        QDir(test::TempFolder()).filePath(UniqueName("registry") + QStringLiteral(".db")));
    m_frame = std::make_unique<CMainFrame>(m_settings.get());
    test::CountLoads(*m_frame);
    m_frame->show();
  }

  void Open(const QString& path)
  {
    const int before = test::LoadCount(*m_frame);
    ASSERT_TRUE(m_frame->OpenDocumentFile(path));
    ASSERT_TRUE(test::WaitForLoad(*m_frame, before));
  }

  // Finds through the find bar, as Enter or the buttons do, and waits for the outcome.
  bool Find(const QString& text, bool backward, bool matchCase)
  {
    QSignalSpy finished(m_frame->View(), &CTheView::findFinished);
    m_frame->Find()->SetText(text);
    m_frame->Find()->SetMatchCase(matchCase);
    emit m_frame->Find()->findRequested(text, backward, matchCase);
    if (!test::WaitFor([&] { return finished.count() > 0; }))
      return false;
    return finished.first().first().toBool();
  }

  void Reload()
  {
    const int before = test::LoadCount(*m_frame);
    m_frame->OnReload();
    ASSERT_TRUE(test::WaitForLoad(*m_frame, before));
  }

  QString Text() const { return m_frame->View()->Text(); }

  // One check of the followed file, and the wait until what it found is indexed.
  void Poll()
  {
    QSignalSpy appended(m_frame->Doc(), &CParloDoc::appended);
    m_frame->Doc()->PollFile();
    ASSERT_TRUE(test::WaitFor([&] { return appended.count() > 0; }));
  }

  void ExpectLatestLinesVisible()
  {
    LogView* view = m_frame->View()->Log();
    EXPECT_TRUE(view->CaretAtEnd());
    EXPECT_EQ(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
    EXPECT_TRUE(view->viewport()->rect().contains(view->CaretRect()));
  }

  std::unique_ptr<ParloSettings> m_settings;
  std::unique_ptr<CMainFrame> m_frame;
};

TEST_F(MainFrameTest, ReloadWithoutAFileDoesNothing)
{
  struct Case
  {
    const char* name;
    bool untitled;
  };
  for (const Case c : {Case{"no document opened", false}, Case{"untitled document", true}}) {
    SCOPED_TRACE(c.name);
    if (c.untitled) {
      // A file shown before, then a new document.
      Open(test::WriteFile(UniqueName("before-new") + ".log", "shown before\n"));
      m_frame->OnFileNew();
    }
    const QString before = Text();
    const int loads = test::LoadCount(*m_frame);
    m_frame->OnReload();
    QApplication::processEvents();
    EXPECT_EQ(Text(), before);
    EXPECT_EQ(test::LoadCount(*m_frame), loads);
    EXPECT_FALSE(m_frame->Doc()->HasPath());
    EXPECT_TRUE(m_frame->Notice().isEmpty());
  }
}

TEST_F(MainFrameTest, ReloadingAGrownLogShowsTheNewLinesWithTheCaretAtTheEnd)
{
  const QString path =
      test::WriteFile(UniqueName("grown") + ".log", NumberedLines("old line", 0, 300));
  Open(path);
  EXPECT_TRUE(Text().contains(QLatin1String("old line 299")));
  ExpectLatestLinesVisible();
  m_frame->View()->Log()->CaretToStart();

  test::AppendFile(path, NumberedLines("new line", 0, 120));
  Reload();
  EXPECT_TRUE(Text().contains(QLatin1String("old line 0\n")));
  EXPECT_TRUE(Text().contains(QLatin1String("new line 119")));
  EXPECT_FALSE(Text().contains(QLatin1Char('\r')));
  EXPECT_EQ(m_frame->View()->Log()->Text()->Rows(), 300 + 120 + 1);
  EXPECT_EQ(m_frame->View()->LineCount(), 300 + 120);
  ExpectLatestLinesVisible();
}

TEST_F(MainFrameTest, TheStatusBarShowsItsMessages)
{
  QStatusBar* bar = m_frame->statusBar();
  struct Case
  {
    QByteArray bytes;
    const char* lines;
  };
  const Case cases[] = {{NumberedLines("line", 0, 40), "40"},
                        {NumberedLines("line", 0, 3) + "unfinished", "4"},
                        {"", "0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    Open(test::WriteFile(UniqueName("status") + ".log", c.bytes));
    EXPECT_EQ(bar->currentMessage(),
              ResourceLibrary::Instance().Format(IDS_LOADED, QString::fromLatin1(c.lines)));
  }
  // The message is painted left of the lasting notice: it must be seen, not covered.
  const QImage image = bar->grab().toImage();
  const QRgb background = image.pixel(image.width() / 2, image.height() / 2);
  int inked = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width() / 3; ++x)
      inked += image.pixel(x, y) != background ? 1 : 0;
  }
  EXPECT_GT(inked, 20);
}

TEST_F(MainFrameTest, ShowsAFileThatAnotherProcessHoldsOpenForWriting)
{
  const QString path = QDir(test::TempFolder()).filePath(UniqueName("held") + ".log");
  QProcess writer;
  writer.start(QStringLiteral(PARLO_TEST_WRITER), {path});
  ASSERT_TRUE(writer.waitForStarted());
  ASSERT_TRUE(writer.waitForReadyRead());
  ASSERT_EQ(writer.readLine().trimmed(), "ready");
  auto write = [&writer](const QByteArray& line) {
    writer.write(line + '\n');
    ASSERT_TRUE(writer.waitForBytesWritten());
    while (!writer.canReadLine())
      ASSERT_TRUE(writer.waitForReadyRead());
    ASSERT_EQ(writer.readLine().trimmed(), "ok");
  };
  write("first line from the writer");
  write("ERROR: second line from the writer");

  Open(path);
  EXPECT_TRUE(Text().contains(QLatin1String("second line from the writer")));

  write("third line, read by Reload");
  Reload();
  EXPECT_TRUE(Text().contains(QLatin1String("third line, read by Reload")));
  ExpectLatestLinesVisible();

  // Following: each check appends what the writer added, the caret stays at the end.
  m_frame->SetFollow(true);
  EXPECT_TRUE(m_frame->Action(ID_FOLLOW)->isChecked());
  EXPECT_TRUE(m_frame->Doc()->IsFollowing());
  write("fourth line, followed");
  Poll();
  EXPECT_TRUE(Text().contains(QLatin1String("fourth line, followed\n")));
  ExpectLatestLinesVisible();
  m_frame->SetFollow(false);
  EXPECT_FALSE(m_frame->Doc()->IsFollowing());

  writer.closeWriteChannel();
  ASSERT_TRUE(writer.waitForFinished());
  EXPECT_EQ(writer.exitCode(), 0);
}

TEST_F(MainFrameTest, AFileThatDisappearsKeepsItsTextAndIsReported)
{
  const QString path = test::WriteFile(UniqueName("gone") + ".log", NumberedLines("kept", 0, 10));
  Open(path);
  ASSERT_TRUE(QFile::remove(path));

  const int loads = test::LoadCount(*m_frame);
  m_frame->OnReload();
  QApplication::processEvents();
  EXPECT_EQ(test::LoadCount(*m_frame), loads);
  EXPECT_TRUE(Text().contains(QLatin1String("kept 9")));
  EXPECT_TRUE(m_frame->Notice().contains(QLatin1String("no longer exists")));
  EXPECT_TRUE(m_frame->Notice().contains(path));

  // A followed file that vanishes is reported the same way, once.
  m_frame->OnFileNew();
  test::WriteFile(QFileInfo(path).fileName(), NumberedLines("again", 0, 3));
  Open(path);
  ASSERT_TRUE(QFile::remove(path));
  m_frame->Doc()->PollFile();
  EXPECT_TRUE(m_frame->Notice().contains(QLatin1String("no longer exists")));
  EXPECT_TRUE(Text().contains(QLatin1String("again 2")));
}

TEST_F(MainFrameTest, AReplacedLogIsReadFromTheStart)
{
  const QString path =
      test::WriteFile(UniqueName("replaced") + ".log", NumberedLines("before", 0, 50));
  Open(path);
  test::WriteFile(QFileInfo(path).fileName(), NumberedLines("after", 0, 2));
  const int loads = test::LoadCount(*m_frame);
  m_frame->Doc()->PollFile();
  ASSERT_TRUE(test::WaitForLoad(*m_frame, loads));
  EXPECT_FALSE(Text().contains(QLatin1String("before")));
  EXPECT_TRUE(Text().contains(QLatin1String("after 1")));
}

TEST_F(MainFrameTest, BinaryJunkIsShownAndNamed)
{
  QByteArray junk;
  unsigned state = 12345;
  for (int i = 0; i < 64 * 1024; ++i) {
    state = state * 1103515245u + 12345u;
    junk.append(static_cast<char>(state >> 24));
  }
  Open(test::WriteFile(UniqueName("junk") + ".bin", junk));
  EXPECT_TRUE(m_frame->Doc()->LooksBinary());
  EXPECT_GT(m_frame->Doc()->BinaryBytes(), 1000);
  EXPECT_TRUE(m_frame->Notice().contains(QLatin1String("bytes that are not text")));
  EXPECT_FALSE(Text().isEmpty());
}

TEST_F(MainFrameTest, AFileOfAnySizeOpensWhole)
{
  // There is no load limit: the first line and the last are both shown, and nothing is noted.
  const QByteArray lines = NumberedLines("a line of the big log", 0, 40000);
  Open(test::WriteFile(UniqueName("big") + ".log", lines));
  EXPECT_TRUE(Text().startsWith(QLatin1String("a line of the big log 0\n")));
  EXPECT_TRUE(Text().endsWith(QLatin1String("a line of the big log 39999\n")));
  EXPECT_EQ(m_frame->View()->LineCount(), 40000);
  EXPECT_TRUE(m_frame->Notice().isEmpty());
  ExpectLatestLinesVisible();
}

TEST_F(MainFrameTest, AFailedOpenKeepsTheShownDocument)
{
  const QString path = test::WriteFile(UniqueName("good") + ".log", "good text\n");
  Open(path);
  // A rich-text file that opens but cannot be read: the process's own memory at address 0.
  const QString unreadable = QDir(test::TempFolder()).filePath(UniqueName("unreadable") + ".html");
  ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), unreadable));
  struct Case
  {
    const char* name;
    QString path;
  };
  const Case cases[] = {
      {"missing", QDir(test::TempFolder()).filePath(QStringLiteral("no-such-file.log"))},
      {"unreadable rich text", unreadable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(m_frame->OpenDocumentFile(c.path));
    QApplication::processEvents();
    EXPECT_EQ(Text(), QStringLiteral("good text\n"));
    EXPECT_EQ(m_frame->Doc()->PathName(), path);
    EXPECT_FALSE(m_frame->Doc()->IsRichText());
    EXPECT_FALSE(m_settings->RecentFiles().contains(c.path));
  }
}

TEST_F(MainFrameTest, RecentFilesListTheLastFourAndReopen)
{
  QStringList paths;
  for (int i = 0; i < 5; ++i) {
    paths.prepend(test::WriteFile(UniqueName("recent") + ".log", "recent\n"));
    Open(paths.first());
  }
  EXPECT_EQ(m_settings->RecentFiles(), paths.mid(0, 4));
  for (int i = 0; i < ParloSettings::kMaxRecentFiles; ++i) {
    SCOPED_TRACE(i);
    QAction* action = m_frame->Action(ID_FILE_MRU_FILE1 + i);
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(action->isVisible());
    EXPECT_TRUE(action->text().endsWith(paths[i]));
  }
  const int loads = test::LoadCount(*m_frame);
  m_frame->Action(ID_FILE_MRU_FILE1 + 2)->trigger();
  ASSERT_TRUE(test::WaitForLoad(*m_frame, loads));
  EXPECT_EQ(m_frame->Doc()->PathName(), paths[2]);
  EXPECT_EQ(m_settings->RecentFiles().first(), paths[2]);

  // An entry whose file has vanished is dropped from the list and the menu.
  const QString gone = m_settings->RecentFiles().at(3);
  ASSERT_TRUE(QFile::remove(gone));
  m_frame->Action(ID_FILE_MRU_FILE1 + 3)->trigger();
  EXPECT_FALSE(m_settings->RecentFiles().contains(gone));
  EXPECT_EQ(m_settings->RecentFiles().size(), 3);
  EXPECT_FALSE(m_frame->Action(ID_FILE_MRU_FILE1 + 3)->isVisible());
  EXPECT_EQ(m_frame->Doc()->PathName(), paths[2]);
}

TEST_F(MainFrameTest, DroppedFilesAreOpened)
{
  struct Case
  {
    const char* name;
    QWidget* target;
  };
  const Case cases[] = {{"on the frame", m_frame.get()},
                        {"on the text", m_frame->View()->Log()->viewport()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = test::WriteFile(UniqueName("dropped") + ".log", "dropped text\n");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    // A drop goes to the widget that accepted the drag when it entered.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(c.target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    const int loads = test::LoadCount(*m_frame);
    QApplication::sendEvent(c.target, &drop);
    ASSERT_TRUE(test::WaitForLoad(*m_frame, loads));
    EXPECT_EQ(m_frame->Doc()->PathName(), path);
    EXPECT_EQ(Text(), QStringLiteral("dropped text\n"));
  }
}

TEST_F(MainFrameTest, PrintsToAPdfFile)
{
  Open(test::WriteFile(UniqueName("print") + ".log",
                       NumberedLines("printed line", 0, 200) + "ERROR: a failure\n"));
  struct Case
  {
    const char* name;
    bool direct;
  };
  for (const Case c : {Case{"view", false}, Case{"print direct", true}}) {
    SCOPED_TRACE(c.name);
    const QString pdf = QDir(test::TempFolder()).filePath(UniqueName("out") + ".pdf");
    if (c.direct) {
      m_frame->Printer()->setOutputFormat(QPrinter::PdfFormat);
      m_frame->Printer()->setOutputFileName(pdf);
      m_frame->OnFilePrintDirect();
    } else {
      QPrinter printer(QPrinter::HighResolution);
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
      EXPECT_TRUE(m_frame->View()->Print(&printer));
      const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Inch);
      EXPECT_DOUBLE_EQ(margins.left(), 0.5);
      EXPECT_DOUBLE_EQ(margins.top(), 0.5);
    }
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));
    // 200 lines do not fit on one page.
    EXPECT_GE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page "), 2);
  }
}

int PdfPages(const QString& path)
{
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return -1;
  const QByteArray bytes = file.readAll();
  return static_cast<int>(bytes.count("/Type /Page\n") + bytes.count("/Type /Page "));
}

TEST_F(MainFrameTest, PrintsAFileLargerThanTheScreenWholeOrInPart)
{
  const QByteArray longRow(10000, 'w');
  Open(test::WriteFile(UniqueName("paper") + ".log",
                       NumberedLines("printed line", 0, 1500) + "ERROR: a failure\r\n" + longRow));
  LogView* view = m_frame->View()->Log();
  ASSERT_LT(view->viewport()->height() / view->RowHeight(), 1500);
  const LogText& text = *view->Text();
  struct Case
  {
    const char* name;
    QPrinter::PrintRange range;
    int fromPage, toPage;
    qint64 selectionFrom, selectionTo;
    qint64 rows;
  };
  const Case cases[] = {
      {"whole file", QPrinter::AllPages, 0, 0, 0, 0, 1502},
      {"selection", QPrinter::Selection, 0, 0, text.Row(10).start + 3, text.Row(12).End(), 3},
      {"selection up to a row's start", QPrinter::Selection, 0, 0, text.Row(10).start,
       text.Row(13).start, 3},
      {"pages two and three", QPrinter::PageRange, 2, 3, 0, 0, 1502},
  };
  int wholePages = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view->SetSelection(c.selectionFrom, c.selectionTo);
    const QString pdf = QDir(test::TempFolder()).filePath(UniqueName("paper") + ".pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPrintRange(c.range);
    if (c.fromPage > 0)
      printer.setFromTo(c.fromPage, c.toPage);
    LogPrinter paper(text, CTheView::DefaultFormat());
    const bool selection = c.range == QPrinter::Selection;
    ASSERT_TRUE(paper.Print(&printer, selection ? view->SelectionStart() : 0,
                            selection ? view->SelectionEnd() : text.State().end));
    EXPECT_EQ(paper.Rows(), c.rows);
    EXPECT_EQ(PdfPages(pdf), paper.PrintedPages());
    if (c.range == QPrinter::AllPages) {
      wholePages = paper.Pages();
      EXPECT_EQ(paper.PrintedPages(), paper.Pages());
      EXPECT_GT(paper.Pages(), 1500 / 100);
      // The long row goes on over the following lines of the page.
      EXPECT_GT(paper.Lines(), 1501 + 50);
    } else if (selection) {
      EXPECT_EQ(paper.Pages(), 1);
      EXPECT_EQ(paper.Lines(), 3);
    } else {
      EXPECT_EQ(paper.Pages(), wholePages);
      EXPECT_EQ(paper.PrintedPages(), 2);
    }
  }
  // The view prints the selection when the printer's range says so.
  view->SetSelection(text.Row(100).start, text.Row(101).End());
  const QString pdf = QDir(test::TempFolder()).filePath(UniqueName("selection") + ".pdf");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  printer.setPrintRange(QPrinter::Selection);
  EXPECT_TRUE(m_frame->View()->Print(&printer));
  EXPECT_EQ(PdfPages(pdf), 1);
  // A print cancelled part way stops there, and is no failure.
  int calls = 0;
  printer.setPrintRange(QPrinter::AllPages);
  printer.setOutputFileName(QDir(test::TempFolder()).filePath(UniqueName("cancelled") + ".pdf"));
  LogPrinter cancelled(text, CTheView::DefaultFormat());
  EXPECT_TRUE(
      cancelled.Print(&printer, 0, text.State().end, [&calls](int) { return ++calls < 2; }));
  EXPECT_EQ(calls, 2);
  EXPECT_LT(cancelled.Pages(), wholePages);
}

TEST_F(MainFrameTest, AFileGrowingWhileFollowedShowsEveryNewLine)
{
  const QString path =
      test::WriteFile(UniqueName("followed") + ".log", NumberedLines("start", 0, 50));
  Open(path);
  m_frame->SetFollow(true);
  m_frame->Doc()->SetFollow(true, 10); // check often: the test waits for the timer, not a poll
  struct Step
  {
    const char* name;
    QByteArray added;
    qint64 lines;
    const char* last;
  };
  const Step steps[] = {
      {"a few lines", NumberedLines("one", 0, 3), 53, "one 2"},
      {"an unfinished line", "partial", 54, "partial"},
      {"the line finished", "ly done\r\n", 54, "partially done"},
      {"megabytes at once", NumberedLines("bulk line of the soak run", 0, 200000), 200054,
       "bulk line of the soak run 199999"},
      {"a line end split after its CR", "split\r", 200055, "split"},
      {"and its LF", "\nafter\r\n", 200056, "after"},
  };
  LogView* view = m_frame->View()->Log();
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    QSignalSpy appended(m_frame->Doc(), &CParloDoc::appended);
    test::AppendFile(path, step.added);
    ASSERT_TRUE(test::WaitFor(
        [&] { return appended.count() > 0 && m_frame->View()->LineCount() == step.lines; }));
    // The last line counted is the last row but one after a line end, else the last row.
    EXPECT_EQ(view->RowLayout(step.lines - 1)->text(), QString::fromLatin1(step.last));
    ExpectLatestLinesVisible();
  }
  EXPECT_EQ(view->Text()->Row(50).start, NumberedLines("start", 0, 50).size());
  m_frame->SetFollow(false);
}

TEST_F(MainFrameTest, FindsWhileTheFileIsStillBeingIndexed)
{
  const QByteArray bytes = NumberedLines("a line before the one looked for", 0, 150000) +
                           "here is the needle\r\n" + NumberedLines("after", 0, 10);
  const int before = test::LoadCount(*m_frame);
  ASSERT_TRUE(m_frame->OpenDocumentFile(test::WriteFile(UniqueName("indexing") + ".log", bytes)));
  // Asked at once, before the index has got far: the match is selected when it has.
  EXPECT_TRUE(Find(QStringLiteral("the needle"), false, true));
  EXPECT_EQ(m_frame->View()->Log()->CaretRow(), 150000);
  EXPECT_EQ(m_frame->View()->SelectedText(), QStringLiteral("the needle"));
  ASSERT_TRUE(test::WaitForLoad(*m_frame, before));
}

TEST_F(MainFrameTest, ASelectionTooLargeForTheClipboardIsRefusedAndSaid)
{
  // A file of 65 MB without a single line end (sparse: it costs no disk).
  const QString path = test::WriteFile(UniqueName("huge") + ".bin", "start");
  ASSERT_TRUE(QFile::resize(path, LogView::kMaxCopyBytes + 1024 * 1024));
  Open(path);
  EXPECT_EQ(m_frame->View()->LineCount(), 1);
  ExpectLatestLinesVisible();
  QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
  m_frame->Action(ID_EDIT_SELECT_ALL)->trigger();
  m_frame->Action(ID_EDIT_COPY)->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
  EXPECT_TRUE(m_frame->statusBar()->currentMessage().contains(QLatin1String("at most 64 MB")));
}

TEST_F(MainFrameTest, APrintThatCannotBeWrittenIsReportedAsAFailure)
{
  Open(test::WriteFile(UniqueName("unprintable") + ".log", "a line to print\n"));
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QString pdf = QDir(test::TempFolder()).filePath(QStringLiteral("no-such-folder/out.pdf"));
  printer.setOutputFileName(pdf);
  EXPECT_FALSE(m_frame->View()->Print(&printer));
  EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(MainFrameTest, FailureAndWarningLinesAreColoured)
{
  Open(test::WriteFile(
      UniqueName("colours") + ".log",
      "plain line\r\nERROR: Could not open registry key\r\n12:00 [ Warn] low level\r\n"
      "TestStatus - FAILED\r\nlast plain line\r\n"));
  const QColor expected[] = {QColor(), LineHighlighter::FailureColour(),
                             LineHighlighter::WarningColour(), LineHighlighter::FailureColour(),
                             QColor()};
  LogView* view = m_frame->View()->Log();
  for (qint64 row = 0; row < 5; ++row) {
    const QTextLayout* layout = view->RowLayout(row);
    ASSERT_NE(layout, nullptr);
    SCOPED_TRACE(layout->text().toStdString());
    const QColor& colour = expected[row];
    const QList<QTextLayout::FormatRange> formats = layout->formats();
    if (!colour.isValid()) {
      EXPECT_TRUE(formats.isEmpty());
    } else {
      ASSERT_EQ(formats.size(), 1);
      EXPECT_EQ(formats[0].format.foreground().color(), colour);
      EXPECT_EQ(formats[0].length, layout->text().size());
    }
  }
  // And on the screen: the failure rows on their light red ground, the others not.
  const QImage screen = view->viewport()->grab().toImage();
  const QRgb failureGround =
      LineHighlighter::FormatFor(LineKind::Failure).background().color().rgb();
  for (qint64 row = 0; row < 5; ++row) {
    SCOPED_TRACE(row);
    int ground = 0;
    const int y = static_cast<int>(row * view->RowHeight() + view->RowHeight() / 2);
    for (int x = 0; x < screen.width() / 4; ++x)
      ground += screen.pixel(x, y) == failureGround ? 1 : 0;
    EXPECT_EQ(ground > 0, expected[row] == LineHighlighter::FailureColour());
  }
}

TEST_F(MainFrameTest, FindsTextWithCtrlF)
{
  Open(test::WriteFile(UniqueName("find") + ".log", "alpha\nneedle one\nbeta\nNeedle two\n"));
  m_frame->Action(ID_EDIT_FIND)->trigger();
  EXPECT_TRUE(m_frame->Find()->isVisible());
  EXPECT_EQ(m_frame->Action(ID_EDIT_FIND)->shortcut(), QKeySequence(QKeySequence::Find));

  LogView* view = m_frame->View()->Log();
  view->CaretToStart();
  struct Step
  {
    const char* text;
    bool backward, matchCase, found;
    int line;
  };
  const Step steps[] = {
      {"needle", false, false, true, 1}, {"needle", false, false, true, 3},
      {"needle", false, false, true, 1}, {"Needle", false, true, true, 3},
      {"needle", true, true, true, 1},   {"haystack", false, false, false, 1},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.text);
    EXPECT_EQ(Find(QString::fromLatin1(step.text), step.backward, step.matchCase), step.found);
    EXPECT_EQ(view->CaretRow(), step.line);
    EXPECT_EQ(m_frame->statusBar()->currentMessage().contains(QLatin1String("was not found")),
              !step.found);
  }
}

TEST_F(MainFrameTest, RichTextShowsItsPictures)
{
  QImage picture(40, 20, QImage::Format_RGB32);
  picture.fill(Qt::red);
  ASSERT_TRUE(picture.save(QDir(test::TempFolder()).filePath(QStringLiteral("picture.png"))));
  Open(test::WriteFile(
      UniqueName("report") + ".html",
      "<html><body><p>Before</p><img src=\"picture.png\"><p>After</p></body></html>"));
  EXPECT_TRUE(m_frame->Doc()->IsRichText());
  EXPECT_TRUE(Text().contains(QLatin1String("Before")));

  QTextDocument* document = m_frame->View()->Rich()->document();
  QTextCharFormat image;
  for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      if (it.fragment().charFormat().isImageFormat())
        image = it.fragment().charFormat();
    }
  }
  ASSERT_TRUE(image.isImageFormat());
  auto* handler = dynamic_cast<QTextObjectInterface*>(
      document->documentLayout()->handlerForObject(QTextFormat::ImageObject));
  ASSERT_NE(handler, nullptr);
  EXPECT_EQ(handler->intrinsicSize(document, 0, image), QSizeF(40, 20));
  EXPECT_FALSE(m_frame->grab().isNull());
}

TEST_F(MainFrameTest, AboutShowsTheProgramsVersion)
{
  struct Case
  {
    QString program;
    QString expected;
  };
  // The viewer carries the build's version; this test program carries none.
  const Case cases[] = {{QStringLiteral(PARLO_PROGRAM), QStringLiteral(PARLO_VERSION)},
                        {QCoreApplication::applicationFilePath(), QStringLiteral("none")}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program.toStdString());
    EXPECT_EQ(CAboutDlg::ProgramVersion(c.program), c.expected);
  }
  CAboutDlg about(m_frame.get());
  EXPECT_TRUE(about.Text().contains(QLatin1String("HALVEX Message Viewer")));
  EXPECT_TRUE(about.Text().contains(QLatin1String("Version none")));
}

TEST(ParloAppTest, StartsWithTheFileOnItsCommandLine)
{
  const QString path = test::WriteFile(UniqueName("cmdline") + ".log", "from the command line\n");
  const QString bin =
      QDir(qEnvironmentVariable("HALVEX_BUILD_DIR")).filePath(QStringLiteral("bin"));
  CParloApp app;
  ASSERT_TRUE(app.InitInstance({QStringLiteral("parlo"), path}, bin));
  test::CountLoads(*app.MainFrame());
  ASSERT_TRUE(test::WaitForLoad(*app.MainFrame(), 0));
  EXPECT_EQ(app.MainFrame()->View()->Text(), QStringLiteral("from the command line\n"));
  EXPECT_TRUE(app.MainFrame()->windowTitle().startsWith(QFileInfo(path).fileName()));
  EXPECT_TRUE(app.MainFrame()->isVisible());

  CParloApp failing;
  EXPECT_FALSE(
      failing.InitInstance({QStringLiteral("parlo"), path + QStringLiteral(".missing")}, bin));
}

TEST(ParloAppTest, StartUpFailsWithAMessageWhenTheResourceLibraryIsMissing)
{
  const QString folder = QDir(test::TempFolder()).filePath(UniqueName("lonely"));
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString program = QDir(folder).filePath(QStringLiteral("parlo"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(PARLO_PROGRAM), program));
  QProcess parlo;
  // The copy finds the project's libraries in the build tree, but no resource library.
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(
      QStringLiteral("LD_LIBRARY_PATH"),
      QDir(qEnvironmentVariable("HALVEX_BUILD_DIR")).filePath(QStringLiteral("lib/halvex")));
  parlo.setProcessEnvironment(environment);
  parlo.start(program, {});
  ASSERT_TRUE(parlo.waitForFinished(120000));
  EXPECT_EQ(parlo.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(parlo.exitCode(), 1);
  const QString errors = QString::fromLocal8Bit(parlo.readAllStandardError());
  EXPECT_TRUE(errors.contains(QDir(folder).filePath(QStringLiteral("Parlo.lrc"))))
      << errors.toStdString();
  EXPECT_TRUE(errors.contains(QLatin1String("No such file or directory"))) << errors.toStdString();
}

} // namespace
} // namespace parlo
