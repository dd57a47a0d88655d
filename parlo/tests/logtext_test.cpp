// Rows, offsets and text of LogText against a plain split of the same bytes, with the index
// complete, half built, and over a file that shrank.
#include "indexedfile.h"
#include "logtext.h"
#include "tempfiles.h"
#include "textdecoder.h"

#include <QFile>

#include <gtest/gtest.h>

#include <memory>

namespace parlo {
namespace {

// The rows of bytes that are complete, split the plain way.
std::vector<LineSpan> SplitRows(const QByteArray& bytes)
{
  std::vector<LineSpan> rows;
  LineSpan row;
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\n' && bytes[i] != '\r')
      continue;
    row.length = i - row.start;
    row.endBytes = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n' ? 2 : 1;
    rows.push_back(row);
    i += row.endBytes - 1;
    row = LineSpan{row.row + 1, i + 1, 0, 0};
  }
  row.length = bytes.size() - row.start;
  rows.push_back(row);
  return rows;
}

void ExpectSameRows(LogText& text, const QByteArray& bytes)
{
  const qint64 end = text.State().end;
  const std::vector<LineSpan> expected = SplitRows(bytes.left(end));
  ASSERT_EQ(text.Rows(), static_cast<qint64>(expected.size()));
  const std::vector<LineSpan> spans = text.Spans(0, text.Rows());
  ASSERT_EQ(spans.size(), expected.size());
  for (const LineSpan& want : expected) {
    SCOPED_TRACE(testing::Message() << "row " << want.row);
    for (const LineSpan& got : {text.Row(want.row), spans[want.row]}) {
      EXPECT_EQ(got.row, want.row);
      EXPECT_EQ(got.start, want.start);
      EXPECT_EQ(got.length, want.length);
      EXPECT_EQ(got.endBytes, want.endBytes);
    }
    // Every byte of a row's edges and its line end, and one in its middle.
    for (const qint64 offset : {want.start, want.start + 1, want.start + want.length / 2,
                                want.End() - 1, want.End(), want.Next() - 1}) {
      if (offset >= want.start && offset < std::max(want.Next(), want.start + 1)) {
        ASSERT_EQ(text.RowOfOffset(offset), want.row) << "offset " << offset;
      }
    }
  }
  EXPECT_EQ(text.RowOfOffset(end), static_cast<qint64>(expected.size()) - 1);
}

TEST(LogTextTest, RowsAndOffsetsMatchAPlainSplit)
{
  struct Case
  {
    const char* name;
    CheckpointSpacing spacing;
    unsigned seed;
  };
  const Case cases[] = {
      {"tight checkpoints", {4, 64}, 1},
      {"tight checkpoints, other text", {3, 200}, 2},
      {"every line a checkpoint", {1, 1}, 3},
      {"default checkpoints", {}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QByteArray bytes = test::MixedLog(c.seed, 400) + "tail";
    test::IndexedFile file(QStringLiteral("rows-%1.log").arg(c.seed), bytes, c.spacing);
    file.ScanTo(bytes.size());
    ASSERT_EQ(file.Text().State().end, bytes.size());
    ExpectSameRows(file.Text(), bytes);
  }
}

TEST(LogTextTest, AHalfBuiltIndexShowsWhatItHas)
{
  const QByteArray bytes = test::MixedLog(9, 500);
  test::IndexedFile file(QStringLiteral("half.log"), bytes, CheckpointSpacing{4, 64});
  for (const qint64 end :
       {qint64(0), qint64(1), bytes.size() / 3, bytes.size() / 2, bytes.size() - 1, bytes.size()}) {
    SCOPED_TRACE(end);
    file.ScanTo(end);
    ExpectSameRows(file.Text(), bytes);
  }
}

TEST(LogTextTest, VeryLongLinesAndNoLineEnds)
{
  struct Case
  {
    const char* name;
    QByteArray bytes;
  };
  const QByteArray longLine = QByteArray(300000, 'x') + "END";
  const Case cases[] = {
      {"no line end at all", longLine},
      {"long lines between short ones", "a\r\n" + longLine + "\r\nb\n" + longLine + "\nc"},
      {"one long line ended", longLine + "\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::IndexedFile file(QStringLiteral("long.log"), c.bytes, CheckpointSpacing{});
    file.ScanTo(c.bytes.size(), 70000);
    ExpectSameRows(file.Text(), c.bytes);
    const LineSpan last = file.Text().Row(file.Text().Rows() - 1);
    EXPECT_EQ(file.Text().Text(last.start, last.End()),
              QString::fromLatin1(c.bytes.mid(last.start, last.length)));
  }
}

TEST(LogTextTest, TextIsDecodedWithLineEndsAsLineFeeds)
{
  const QByteArray bytes("caf\xc3\xa9\r\nna\xefve\rend\n");
  test::IndexedFile file(QStringLiteral("text.log"), bytes, CheckpointSpacing{});
  file.ScanTo(bytes.size());
  EXPECT_EQ(file.Text().Text(0, bytes.size()), QString::fromUtf8("café\nnaïve\nend\n"));
  const LineSpan second = file.Text().Row(1);
  EXPECT_EQ(file.Text().Text(second.start, second.End()), QString::fromUtf8("naïve"));
}

TEST(LogTextTest, AFileThatShrankGivesShortRowsNotAFault)
{
  const QByteArray bytes = test::MixedLog(11, 300);
  test::IndexedFile file(QStringLiteral("shrunk.log"), bytes, CheckpointSpacing{4, 64});
  file.ScanTo(bytes.size());
  const qint64 rows = file.Text().Rows();
  ASSERT_TRUE(QFile::resize(test::TempPath(QStringLiteral("shrunk.log")), bytes.size() / 4));
  const std::vector<LineSpan> spans = file.Text().Spans(0, rows);
  EXPECT_EQ(static_cast<qint64>(spans.size()), rows);
  const LineSpan last = file.Text().Row(rows - 1);
  EXPECT_TRUE(file.Text().Text(last.start, last.End()).isEmpty());
  EXPECT_EQ(file.Text().Read(0, bytes.size()).size(), bytes.size() / 4);
}

} // namespace
} // namespace parlo
