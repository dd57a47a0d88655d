// The text view alone: no wrapping, the default format and the Font dialog's sizes.
#include "cfontdialog.h"
#include "cparlodoc.h"
#include "ctheview.h"
#include "stringtable.h"

#include <QApplication>
#include <QFontDatabase>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
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
    QObject::connect(&m_doc, &CParloDoc::documentChanged, &m_view, &CTheView::SetDocument);
    m_view.SetDocument(m_doc.Document());
    m_view.resize(400, 300);
    m_view.show();
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
  EXPECT_DOUBLE_EQ(m_view.document()->defaultFont().pointSizeF(), 10.0);
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
    m_doc.OnNewDocument();
    QTextCursor cursor(m_view.document());
    const QString words = QStringLiteral("word ").repeated(c.length / 5);
    cursor.insertText(words + QLatin1Char('\n') + words);
    QApplication::processEvents();
    ASSERT_EQ(m_view.document()->blockCount(), 2);
    for (QTextBlock block = m_view.document()->firstBlock(); block.isValid(); block = block.next())
      EXPECT_EQ(block.layout()->lineCount(), 1);
    EXPECT_EQ(m_view.horizontalScrollBar()->maximum() > 0, c.scrolls);
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
  // The dialog offers only the styles installed, so the face needs a bold italic one.
  const QString face = LoadString(IDS_DEFAULT_FACE);
  const QStringList styles = QFontDatabase::styles(face);
  const bool boldItalic = std::any_of(styles.begin(), styles.end(), [&face](const QString& style) {
    return QFontDatabase::bold(face, style) && QFontDatabase::italic(face, style);
  });
  ASSERT_TRUE(boldItalic) << face.toStdString() << " has no bold italic style installed, only \""
                          << styles.join(QStringLiteral("\", \"")).toStdString()
                          << "\" (see scripts/setup)";

  QTextCursor(m_view.document()).insertText(QStringLiteral("one\ntwo\nthree\n"));
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

  m_view.SetDefaultFormat(format);
  const QFont applied = m_view.document()->defaultFont();
  EXPECT_DOUBLE_EQ(applied.pointSizeF(), 12.0);
  EXPECT_EQ(applied.weight(), QFont::Bold);
  EXPECT_TRUE(applied.italic() && applied.underline() && applied.strikeOut());
  EXPECT_EQ(m_view.palette().color(QPalette::Text), QColor::fromRgb(0x800000));
  // The format is applied with the caret at the start, no undo history, nothing modified.
  EXPECT_EQ(m_view.textCursor().position(), 0);
  EXPECT_FALSE(m_view.document()->isModified());
  EXPECT_FALSE(m_view.document()->isUndoAvailable());
  // Later documents keep the user's choice.
  m_doc.OnNewDocument();
  EXPECT_DOUBLE_EQ(m_view.document()->defaultFont().pointSizeF(), 12.0);
}

} // namespace
} // namespace parlo
