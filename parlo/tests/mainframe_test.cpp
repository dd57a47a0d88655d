// The viewer's frame under the offscreen platform: open, reload, follow, print, drop, start-up.
#include "caboutdlg.h"
#include "cmainframe.h"
#include "cparloapp.h"
#include "cparlodoc.h"
#include "ctheview.h"
#include "findbar.h"
#include "linehighlighter.h"
#include "parlosettings.h"
#include "stringtable.h"
#include "testenvironment.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
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

  void Reload()
  {
    const int before = test::LoadCount(*m_frame);
    m_frame->OnReload();
    ASSERT_TRUE(test::WaitForLoad(*m_frame, before));
  }

  QString Text() const { return m_frame->View()->toPlainText(); }

  void ExpectLatestLinesVisible()
  {
    CTheView* view = m_frame->View();
    EXPECT_TRUE(view->textCursor().atEnd());
    EXPECT_EQ(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
    EXPECT_TRUE(view->viewport()->rect().contains(view->cursorRect()));
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
      m_frame->OnFileNew();
      QTextCursor cursor(m_frame->View()->document());
      cursor.insertText(QStringLiteral("typed into the untitled document"));
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
  m_frame->View()->moveCursor(QTextCursor::Start);

  test::AppendFile(path, NumberedLines("new line", 0, 120));
  Reload();
  EXPECT_TRUE(Text().contains(QLatin1String("old line 0\n")));
  EXPECT_TRUE(Text().contains(QLatin1String("new line 119")));
  EXPECT_FALSE(Text().contains(QLatin1Char('\r')));
  EXPECT_EQ(m_frame->View()->document()->blockCount(), 300 + 120 + 1);
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
  m_frame->Doc()->PollFile();
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

TEST_F(MainFrameTest, AFileAboveTheLoadLimitShowsItsLastWholeLines)
{
  const QByteArray lines = NumberedLines("a line of the big log", 0, 4000);
  const QString path = test::WriteFile(UniqueName("big") + ".log", lines);
  m_frame->Doc()->SetLoadLimit(64 * 1024);
  Open(path);
  EXPECT_GT(m_frame->Doc()->SkippedBytes(), 0);
  EXPECT_TRUE(Text().startsWith(QLatin1String("a line of the big log ")));
  EXPECT_TRUE(Text().contains(QLatin1String("a line of the big log 3999\n")));
  EXPECT_FALSE(Text().contains(QLatin1String("a line of the big log 0\n")));
  EXPECT_TRUE(m_frame->Notice().contains(QLatin1String("only its last")));
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
                        {"on the text", m_frame->View()->viewport()}};
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
  QTextBlock block = m_frame->View()->document()->firstBlock();
  for (const QColor& colour : expected) {
    SCOPED_TRACE(block.text().toStdString());
    ASSERT_TRUE(block.isValid());
    const QList<QTextLayout::FormatRange> formats = block.layout()->formats();
    if (!colour.isValid()) {
      EXPECT_TRUE(formats.isEmpty());
    } else {
      ASSERT_EQ(formats.size(), 1);
      EXPECT_EQ(formats[0].format.foreground().color(), colour);
      EXPECT_EQ(formats[0].length, block.length() - 1);
    }
    block = block.next();
  }
}

TEST_F(MainFrameTest, FindsTextWithCtrlF)
{
  Open(test::WriteFile(UniqueName("find") + ".log", "alpha\nneedle one\nbeta\nNeedle two\n"));
  m_frame->Action(ID_EDIT_FIND)->trigger();
  EXPECT_TRUE(m_frame->Find()->isVisible());
  EXPECT_EQ(m_frame->Action(ID_EDIT_FIND)->shortcut(), QKeySequence(QKeySequence::Find));

  CTheView* view = m_frame->View();
  view->moveCursor(QTextCursor::Start);
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
    EXPECT_EQ(view->FindText(QString::fromLatin1(step.text), step.backward, step.matchCase),
              step.found);
    EXPECT_EQ(view->textCursor().blockNumber(), step.line);
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

  QTextDocument* document = m_frame->View()->document();
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
  EXPECT_EQ(app.MainFrame()->View()->toPlainText(), QStringLiteral("from the command line\n"));
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
