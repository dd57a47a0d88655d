// The log view on its own: find across the index's boundary, very long lines, no line ends,
// encodings, keys, mouse and clipboard.
#include "ctheview.h"
#include "indexedfile.h"
#include "logtext.h"
#include "logview.h"
#include "testenvironment.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace parlo {
namespace {

QByteArray Lines(const char* prefix, int count)
{
  QByteArray bytes;
  for (int i = 0; i < count; ++i)
    bytes += QByteArray(prefix) + ' ' + QByteArray::number(i) + "\r\n";
  return bytes;
}

class LogViewTest : public testing::Test
{
protected:
  void SetUp() override
  {
    m_view.SetFormat(CTheView::DefaultFormat());
    m_view.resize(500, 300);
    m_view.show();
  }

  // A file fully indexed, shown in the view.
  test::IndexedFile& Show(const QByteArray& bytes)
  {
    m_file = std::make_unique<test::IndexedFile>(QStringLiteral("view.log"), bytes);
    m_file->ScanTo(bytes.size(), 1 << 20);
    m_view.SetText(m_file->Shared());
    return *m_file;
  }

  bool Find(const QString& text, bool backward = false)
  {
    QSignalSpy finished(&m_view, &LogView::findFinished);
    m_view.FindText(text, backward, true);
    return test::WaitFor([&] { return finished.count() > 0; }) && finished.first().first().toBool();
  }

  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
  {
    QTest::keyClick(&m_view, key, modifiers);
  }

  // The point of the viewport where the character at the offset of the row starts.
  QPoint PointOf(qint64 row, int unit)
  {
    const QTextLayout* layout = m_view.RowLayout(row);
    const qreal x = layout->lineAt(0).cursorToX(unit) - m_view.horizontalScrollBar()->value();
    return QPoint(static_cast<int>(x) + 1,
                  static_cast<int>((row - m_view.TopRow()) * m_view.RowHeight()) + 2);
  }

  void Mouse(QEvent::Type type, const QPoint& point, Qt::MouseButtons buttons)
  {
    QMouseEvent event(type, point, m_view.viewport()->mapToGlobal(point), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(m_view.viewport(), &event);
  }

  std::unique_ptr<test::IndexedFile> m_file;
  LogView m_view;
};

TEST_F(LogViewTest, FindsAcrossTheIndexBoundary)
{
  const QByteArray head = Lines("line", 5000);
  const QByteArray bytes = head + "the needle here\r\n" + Lines("after", 10);
  const qint64 needle = head.size() + 4;
  const qint64 last = bytes.indexOf("after 9");
  struct Case
  {
    const char* name;
    qint64 indexed; // how far the index has got when the search starts
    const char* text;
    bool backward;
    qint64 fileEnds; // where the index ends up
    qint64 start;    // of the match; -1 for none
    qint64 row;
  };
  const Case cases[] = {
      {"the match straddles the index's end", needle + 3, "needle", false, bytes.size(), needle,
       5000},
      {"the match lies beyond it", head.size() / 2, "needle", false, bytes.size(), needle, 5000},
      {"nothing indexed yet", 0, "needle", false, bytes.size(), needle, 5000},
      {"backward from the top, around to the end", 100, "after 9", true, bytes.size(), last, 5010},
      {"the file ended short of the match (it shrank)", 100, "needle", false, head.size(), -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_file = std::make_unique<test::IndexedFile>(QStringLiteral("boundary.log"), bytes);
    m_file->ScanTo(c.indexed);
    m_view.SetText(m_file->Shared());
    QSignalSpy finished(&m_view, &LogView::findFinished);
    m_view.FindText(QString::fromLatin1(c.text), c.backward, true);
    // The search reads the whole file, finds the text and waits for the index to reach it.
    ASSERT_TRUE(test::WaitFor([&] { return m_view.IsWaitingForIndex(); }));
    EXPECT_EQ(finished.count(), 0);
    EXPECT_FALSE(m_view.HasSelection());

    m_file->ScanTo(c.fileEnds);
    if (c.fileEnds < bytes.size())
      m_file->Text().SetTarget(c.fileEnds);
    m_view.OnTextGrew();
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.first().first().toBool(), c.start >= 0);
    EXPECT_FALSE(m_view.IsFinding());
    if (c.start < 0)
      continue;
    EXPECT_EQ(m_view.SelectionStart(), c.start);
    EXPECT_EQ(m_view.SelectedText(), QString::fromLatin1(c.text));
    EXPECT_EQ(m_view.CaretRow(), c.row);
    EXPECT_TRUE(m_view.viewport()->rect().contains(m_view.CaretRect()));
  }
}

TEST_F(LogViewTest, VeryLongLinesAndNoLineEnds)
{
  struct Case
  {
    const char* name;
    QByteArray bytes;
    qint64 row; // of the marker
  };
  const QByteArray line = QByteArray(3 * 1024 * 1024, 'x');
  const Case cases[] = {
      {"no line end at all", line + "MARKER", 0},
      {"a long line among short ones", "short\r\n" + line + "MARKER\r\nshort again\r\n", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LogText& text = Show(c.bytes).Text();
    const qint64 marker = c.bytes.indexOf("MARKER");
    EXPECT_EQ(text.State().longestLine, line.size() + 6);
    // The row is one row, scrolled sideways; its end is reached with End.
    m_view.SetSelection(text.Row(c.row).start, text.Row(c.row).start);
    Press(Qt::Key_End);
    EXPECT_EQ(m_view.Caret(), marker + 6);
    EXPECT_GT(m_view.horizontalScrollBar()->value(), 1000000);
    EXPECT_TRUE(m_view.viewport()->rect().contains(m_view.CaretRect()));
    // What is on the screen there is the marker, drawn.
    const QImage screen = m_view.viewport()->grab().toImage();
    int ink = 0;
    const int y = m_view.CaretRect().center().y();
    for (int x = 0; x < m_view.CaretRect().left(); ++x)
      ink += screen.pixel(x, y) != screen.pixel(0, 0) ? 1 : 0;
    EXPECT_GT(ink, 5);
    // Shift+Left six times selects the marker across the piece it lies in.
    for (int i = 0; i < 6; ++i)
      Press(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(m_view.SelectedText(), QStringLiteral("MARKER"));
    // Found from the top, and copied.
    m_view.CaretToStart();
    ASSERT_TRUE(Find(QStringLiteral("MARKER")));
    EXPECT_EQ(m_view.SelectionStart(), marker);
    ASSERT_TRUE(m_view.Copy());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("MARKER"));
    // Pieces of the long row are laid out on one line each, only where seen.
    EXPECT_EQ(m_view.RowLayout(c.row, 5)->lineCount(), 1);
    EXPECT_EQ(m_view.RowLayout(c.row, 5)->text(),
              QString(LineLayoutCache::kPieceBytes, QLatin1Char('x')));
  }
}

TEST_F(LogViewTest, ShowsEachEncodingAsTheDecoderReadsIt)
{
  Show("caf\xc3\xa9 UTF-8\r\ncaf\xe9 Latin-1\n\x01 bell\rlast");
  const QString expected[] = {QString::fromUtf8("café UTF-8"), QString::fromUtf8("café Latin-1"),
                              QString::fromUtf8("\xef\xbf\xbd bell"), QStringLiteral("last")};
  ASSERT_EQ(m_view.Text()->Rows(), 4);
  for (qint64 row = 0; row < 4; ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(m_view.RowLayout(row)->text(), expected[row]);
  }
  EXPECT_EQ(m_view.Text()->State().nonTextBytes, 1);
  // A two-byte character is one step of the caret.
  m_view.SetSelection(3, 3);
  Press(Qt::Key_Right);
  EXPECT_EQ(m_view.Caret(), 5);
  Press(Qt::Key_Left);
  EXPECT_EQ(m_view.Caret(), 3);
}

TEST_F(LogViewTest, KeysMoveTheCaretAndExtendTheSelection)
{
  LogText& text = Show("first line\r\nsecond line\r\n\r\nfourth\r\n" + Lines("more", 100)).Text();
  m_view.setFocus();
  struct Step
  {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    qint64 row, column, anchor; // anchor -1: no selection
  };
  const Step steps[] = {
      {Qt::Key_Right, Qt::NoModifier, 0, 1, -1},
      {Qt::Key_Right, Qt::NoModifier, 0, 2, -1},
      {Qt::Key_Down, Qt::NoModifier, 1, 2, -1},
      {Qt::Key_End, Qt::NoModifier, 1, 11, -1},
      {Qt::Key_Right, Qt::NoModifier, 2, 0, -1},
      {Qt::Key_Down, Qt::NoModifier, 3, 0, -1},
      {Qt::Key_Left, Qt::NoModifier, 2, 0, -1},
      {Qt::Key_Up, Qt::ShiftModifier, 1, 0, 25},
      {Qt::Key_Home, Qt::ShiftModifier, 1, 0, 25},
      {Qt::Key_Right, Qt::NoModifier, 2, 0, -1},
      {Qt::Key_End, Qt::ControlModifier, 104, 0, -1},
      {Qt::Key_PageUp, Qt::NoModifier, 104 - m_view.viewport()->height() / m_view.RowHeight(), 0,
       -1},
      {Qt::Key_Home, Qt::ControlModifier, 0, 0, -1},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(testing::Message() << "key " << step.key << " to row " << step.row);
    Press(step.key, step.modifiers);
    EXPECT_EQ(m_view.CaretRow(), step.row);
    EXPECT_EQ(m_view.Caret(), text.Row(step.row).start + step.column);
    EXPECT_EQ(m_view.HasSelection() ? m_view.Anchor() : -1, step.anchor);
    EXPECT_TRUE(m_view.viewport()->rect().contains(m_view.CaretRect()));
  }
}

TEST_F(LogViewTest, TheMouseSetsTheCaretSelectsAndCopies)
{
  LogText& text = Show("first line\r\nsecond word here\r\nthird\r\n").Text();
  Mouse(QEvent::MouseButtonPress, PointOf(0, 2), Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, PointOf(0, 2), Qt::NoButton);
  EXPECT_EQ(m_view.Caret(), 2);
  EXPECT_FALSE(m_view.HasSelection());

  Mouse(QEvent::MouseButtonPress, PointOf(0, 6), Qt::LeftButton);
  Mouse(QEvent::MouseMove, PointOf(1, 6), Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, PointOf(1, 6), Qt::NoButton);
  EXPECT_EQ(m_view.SelectionStart(), 6);
  EXPECT_EQ(m_view.SelectionEnd(), text.Row(1).start + 6);
  ASSERT_TRUE(m_view.Copy());
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("line\nsecond"));

  Mouse(QEvent::MouseButtonDblClick, PointOf(1, 9), Qt::LeftButton);
  EXPECT_EQ(m_view.SelectedText(), QStringLiteral("word"));
  m_view.SelectAll();
  EXPECT_EQ(m_view.SelectedText(), QStringLiteral("first line\nsecond word here\nthird\n"));
}

} // namespace
} // namespace parlo
