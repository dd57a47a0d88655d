// The text view alone: no wrapping, the default format and the Font dialog's sizes.
#include "cfontdialog.h"
#include "cparlodoc.h"
#include "ctheview.h"
#include "logview.h"
#include "richtextview.h"
#include "stringtable.h"
#include "testenvironment.h"

#include <QApplication>
#include <QFontDatabase>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <algorithm>

namespace parlo {
namespace {

class ViewTest : public testing::Test
{
protected:
  void SetUp() override
  {
    m_saved = CTheView::DefaultFormat();
    m_view.SetDocument(&m_doc);
    m_view.resize(400, 300);
    m_view.show();
  }
  void Open(const QString& name, const QByteArray& bytes)
  {
    QSignalSpy loaded(&m_doc, &CParloDoc::loaded);
    QString error;
    ASSERT_TRUE(m_doc.OnOpenDocument(test::WriteFile(name, bytes), &error)) << error.toStdString();
    ASSERT_TRUE(test::WaitFor([&] { return loaded.count() > 0; }));
  }
  // The default format belongs to the process; leave it as found.
  void TearDown() override { m_view.SetDefaultFormat(m_saved); }

  CharFormat m_saved;
  CParloDoc m_doc;
  CTheView m_view;
};

TEST_F(ViewTest, TheFirstViewTakesItsDefaultFromTheStringTable)
{
  const CharFormat& format = CTheView::DefaultFormat();
  EXPECT_EQ(format.faceName, LoadString(IDS_DEFAULT_FACE));
  EXPECT_EQ(format.heightTwips, 200);
  EXPECT_FALSE(format.bold || format.italic || format.underline || format.strikeOut);
  EXPECT_FALSE(format.colour.has_value());
  EXPECT_DOUBLE_EQ(m_view.Log()->font().pointSizeF(), 10.0);
  EXPECT_DOUBLE_EQ(m_view.Rich()->document()->defaultFont().pointSizeF(), 10.0);
}

TEST_F(ViewTest, LongLinesStayOnOneLineAndScrollSideways)
{
  struct Case
  {
    int length;
    bool scrolls;
  };
  for (const Case c : {Case{10, false}, Case{2000, true}, Case{40000, true}}) {
    SCOPED_TRACE(c.length);
    const QByteArray words = QByteArray("word ").repeated(c.length / 5);
    Open(QStringLiteral("words-%1.log").arg(c.length), words + '\n' + words);
    LogView* view = m_view.Log();
    ASSERT_EQ(view->Text()->Rows(), 2);
    for (qint64 row = 0; row < 2; ++row) {
      // A long row is laid out a piece at a time; every piece is one line.
      const qint64 pieces =
          (c.length + LineLayoutCache::kPieceBytes - 1) / LineLayoutCache::kPieceBytes;
      for (qint64 piece = 0; piece < pieces; ++piece)
        EXPECT_EQ(view->RowLayout(row, piece)->lineCount(), 1);
    }
    QApplication::processEvents();
    EXPECT_EQ(view->horizontalScrollBar()->maximum() > 0, c.scrolls);
  }
}

TEST_F(ViewTest, FontDialogSizesPassThroughTheScreenHeight)
{
  struct Case
  {
    int twips, dpi, expectedTwips;
  };
  // Whole points survive the trip; 10.5 points is 14 pixels at 96 dpi, which reads back as 11
  // points; 7.5 points is 13 pixels at 120 dpi, which reads back as 8 points.
  const Case cases[] = {{200, 96, 200}, {240, 96, 240}, {180, 120, 180},
                        {200, 72, 200}, {210, 96, 220}, {150, 120, 160}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.twips << " twips at " << c.dpi << " dpi");
    CharFormat initial = CTheView::DefaultFormat();
    initial.heightTwips = c.twips;
    CFontDialog dialog(initial, c.dpi);
    EXPECT_EQ(dialog.Format().heightTwips, c.expectedTwips);
    EXPECT_FALSE(dialog.Format().colour.has_value());
  }
}

TEST_F(ViewTest, TheChosenFontBecomesTheDefaultOfTheWholeText)
{
  // The dialog offers only the styles installed, so the face needs a bold italic one. DejaVu
  // Sans Mono's is oblique, which QFontDatabase::italic() does not count.
  const QString face = LoadString(IDS_DEFAULT_FACE);
  const QStringList styles = QFontDatabase::styles(face);
  const bool boldItalic = std::any_of(styles.begin(), styles.end(), [&face](const QString& style) {
    const QFont font = QFontDatabase::font(face, style, 12);
    return font.bold() && font.style() != QFont::StyleNormal;
  });
  ASSERT_TRUE(boldItalic) << face.toStdString() << " has no bold italic style installed, only \""
                          << styles.join(QStringLiteral("\", \"")).toStdString()
                          << "\" (see scripts/setup)";

  Open(QStringLiteral("three.log"), "one\ntwo\nthree\n");
  m_view.CaretToEnd();
  CFontDialog dialog(CTheView::DefaultFormat(), m_view.logicalDpiY());
  QFont chosen(face);
  chosen.setPointSize(12);
  chosen.setWeight(QFont::Bold);
  chosen.setItalic(true);
  chosen.setUnderline(true);
  chosen.setStrikeOut(true);
  dialog.SelectFont(chosen);
  dialog.SelectColour(0x800000u);
  const CharFormat format = dialog.Format();
  EXPECT_EQ(format.heightTwips, 240);
  EXPECT_TRUE(format.bold && format.italic && format.underline && format.strikeOut);
  ASSERT_TRUE(format.colour.has_value());
  EXPECT_EQ(*format.colour, 0x800000u);

  const int rowHeight = m_view.Log()->RowHeight();
  m_view.SetDefaultFormat(format);
  const QFont applied = m_view.Log()->font();
  EXPECT_DOUBLE_EQ(applied.pointSizeF(), 12.0);
  EXPECT_EQ(applied.weight(), QFont::Bold);
  EXPECT_TRUE(applied.italic() && applied.underline() && applied.strikeOut());
  EXPECT_EQ(m_view.Log()->palette().color(QPalette::Text), QColor::fromRgb(0x800000));
  EXPECT_GT(m_view.Log()->RowHeight(), rowHeight);
  // The rows are laid out anew in the new font.
  EXPECT_DOUBLE_EQ(m_view.Log()->RowLayout(2)->font().pointSizeF(), 12.0);
  // The format is applied with the caret at the start.
  EXPECT_EQ(m_view.Log()->Caret(), 0);
  // Rich text: the same format, nothing modified, no undo history.
  EXPECT_DOUBLE_EQ(m_view.Rich()->document()->defaultFont().pointSizeF(), 12.0);
  EXPECT_FALSE(m_view.Rich()->document()->isModified());
  EXPECT_FALSE(m_view.Rich()->document()->isUndoAvailable());
  // Later documents keep the user's choice.
  m_doc.OnNewDocument();
  EXPECT_DOUBLE_EQ(m_view.Log()->font().pointSizeF(), 12.0);
  Open(QStringLiteral("later.md"), "# Later\n\ntext\n");
  EXPECT_TRUE(m_view.ShowsRichText());
  EXPECT_DOUBLE_EQ(m_view.Rich()->document()->defaultFont().pointSizeF(), 12.0);
}

} // namespace
} // namespace parlo
