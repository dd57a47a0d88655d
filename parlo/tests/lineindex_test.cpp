// The line index: scanned in any pieces it holds the same lines; checkpoints keep their spacing;
// the worker indexes files that grow, shrink or end in the middle of a line end.
#include "indexbuilder.h"
#include "lineindex.h"
#include "linescanner.h"
#include "logfilereader.h"
#include "tempfiles.h"
#include "textdecoder.h"

#include <QFile>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>

namespace parlo {
namespace {

constexpr CheckpointSpacing kTight{4, 64};

// Scans the bytes in pieces cut at the given sizes, handing back what a piece did not take.
LineScanner ScanInPieces(const QByteArray& bytes, const std::vector<qsizetype>& cuts,
                         std::vector<Checkpoint>* found, CheckpointSpacing spacing = kTight)
{
  LineScanner scanner(spacing);
  qsizetype position = 0;
  for (size_t i = 0; position < bytes.size(); ++i) {
    const qsizetype remaining = bytes.size() - position;
    const qsizetype size =
        std::min<qsizetype>(cuts.empty() ? remaining : cuts[i % cuts.size()], remaining);
    qsizetype taken = scanner.Scan(bytes.constData() + position, size, found);
    if (taken == 0) {
      // A piece that is a single CR: pass it again with the byte after it, if there is one.
      if (size >= remaining)
        break;
      taken = scanner.Scan(bytes.constData() + position, 2, found);
    }
    position += taken;
  }
  return scanner;
}

TEST(LineScannerTest, CountsLinesLikeTheDecoder)
{
  struct Case
  {
    const char* name;
    QByteArray bytes;
    qint64 lineEnds, end, lastLineStart, longest, lines;
  };
  const Case cases[] = {
      {"empty", "", 0, 0, 0, 0, 0},
      {"one line without end", "abc", 0, 3, 0, 3, 1},
      {"crlf lines", "ab\r\ncde\r\n", 2, 9, 9, 3, 2},
      {"mixed ends", "a\nb\rc\r\nd", 3, 8, 7, 1, 4},
      {"empty lines", "\n\n\n", 3, 3, 3, 0, 3},
      {"a trailing cr waits for its partner", "ab\r", 0, 2, 0, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Checkpoint> found;
    const IndexState state = ScanInPieces(c.bytes, {}, &found).State();
    EXPECT_EQ(state.lineEnds, c.lineEnds);
    EXPECT_EQ(state.end, c.end);
    EXPECT_EQ(state.lastLineStart, c.lastLineStart);
    EXPECT_EQ(state.longestLine, c.longest);
    EXPECT_EQ(state.Lines(), c.lines);
  }
}

TEST(LineScannerTest, AnyCutGivesTheSameIndex)
{
  for (unsigned seed = 1; seed <= 30; ++seed) {
    SCOPED_TRACE(seed);
    const QByteArray bytes = test::MixedLog(seed, 200);
    std::vector<Checkpoint> whole;
    const IndexState expected = ScanInPieces(bytes, {}, &whole).State();
    TextDecoder decoder;
    const QString text = decoder.Decode(bytes.left(expected.end)) + decoder.Finish();
    EXPECT_EQ(expected.lineEnds, text.count(QLatin1Char('\n')));
    EXPECT_EQ(expected.nonTextBytes, decoder.BinaryBytes());
    std::mt19937 random(seed);
    std::vector<qsizetype> cuts;
    for (int i = 0; i < 16; ++i)
      cuts.push_back(1 + static_cast<qsizetype>(random() % 700));
    std::vector<Checkpoint> pieces;
    const IndexState state = ScanInPieces(bytes, cuts, &pieces).State();
    EXPECT_EQ(state.lineEnds, expected.lineEnds);
    EXPECT_EQ(state.end, expected.end);
    EXPECT_EQ(state.lastLineStart, expected.lastLineStart);
    EXPECT_EQ(state.longestLine, expected.longestLine);
    EXPECT_EQ(state.nonTextBytes, expected.nonTextBytes);
    ASSERT_EQ(pieces.size(), whole.size());
    for (size_t i = 0; i < whole.size(); ++i) {
      EXPECT_EQ(pieces[i].line, whole[i].line);
      EXPECT_EQ(pieces[i].offset, whole[i].offset);
    }
  }
}

TEST(LineScannerTest, CheckpointsKeepTheirSpacing)
{
  // Short lines meet the line limit, long ones the byte limit.
  const QByteArray bytes = test::MixedLog(7, 400);
  std::vector<Checkpoint> found;
  const IndexState state = ScanInPieces(bytes, {}, &found).State();
  ASSERT_GT(found.size(), 10u);
  Checkpoint before;
  for (const Checkpoint& point : found) {
    SCOPED_TRACE(point.line);
    EXPECT_GT(point.line, before.line);
    EXPECT_LE(point.line - before.line, kTight.lines);
    // A checkpoint is a line start: the byte before it ends a line.
    const char previous = bytes[point.offset - 1];
    EXPECT_TRUE(previous == '\n' || previous == '\r');
    before = point;
  }
  EXPECT_LE(found.back().line, state.lineEnds);
}

TEST(LineIndexTest, LooksUpCheckpointsByLineAndOffset)
{
  LineIndex index(kTight);
  index.Publish({{4, 40}, {8, 100}, {9, 500}}, IndexState{12, 600, 590, 400, 0});
  struct Case
  {
    qint64 line, expectedLine;
  };
  for (const Case c : {Case{0, 0}, Case{3, 0}, Case{4, 4}, Case{7, 4}, Case{9, 9}, Case{50, 9}}) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(index.AtLine(c.line).line, c.expectedLine);
  }
  struct OffsetCase
  {
    qint64 offset, expectedOffset, next;
  };
  for (const OffsetCase c : {OffsetCase{0, 0, 40}, OffsetCase{39, 0, 40}, OffsetCase{40, 40, 100},
                             OffsetCase{499, 100, 500}, OffsetCase{800, 500, -1}}) {
    SCOPED_TRACE(c.offset);
    qint64 next = 0;
    EXPECT_EQ(index.AtOffset(c.offset, &next).offset, c.expectedOffset);
    EXPECT_EQ(next, c.next);
  }
  EXPECT_EQ(index.CheckpointCount(), 4);
  EXPECT_EQ(index.State().Rows(), 13);
}

// Waits for the worker's news on the test thread.
class Notices
{
public:
  std::function<void()> Callback()
  {
    return [this] {
      std::lock_guard lock(m_mutex);
      ++m_nCount;
      m_changed.notify_all();
    };
  }
  bool WaitUntilDone(const IndexBuilder& builder)
  {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(60), [&] { return builder.IsDone(); });
  }
  int Count()
  {
    std::lock_guard lock(m_mutex);
    return m_nCount;
  }

private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  int m_nCount = 0;
};

TEST(IndexBuilderTest, IndexesAFileThatGrowsAndShrinks)
{
  const QByteArray first = test::MixedLog(3, 3000) + "ends in a half line end\r";
  const QString path = test::WriteFile(QStringLiteral("built.log"), first);
  auto reader = std::make_shared<LogFileReader>();
  ASSERT_TRUE(reader->Open(path, nullptr));
  auto index = std::make_shared<LineIndex>();
  Notices notices;
  IndexBuilder builder(reader, index, reader->Size(), notices.Callback());
  ASSERT_TRUE(notices.WaitUntilDone(builder));
  EXPECT_GE(notices.Count(), 1);
  std::vector<Checkpoint> found;
  const IndexState expected = ScanInPieces(first, {}, &found, index->Spacing()).State();
  EXPECT_EQ(index->State().lineEnds, expected.lineEnds);
  EXPECT_EQ(index->State().end, first.size() - 1); // the CR waits for what follows
  EXPECT_EQ(index->CheckpointCount(), static_cast<qint64>(found.size()) + 1);

  // The writer completes the line end and adds a line.
  test::AppendFile(path, "\nlast line\r\n");
  builder.IndexTo(reader->Size());
  ASSERT_TRUE(notices.WaitUntilDone(builder));
  EXPECT_EQ(index->State().lineEnds, expected.lineEnds + 2);
  EXPECT_EQ(index->State().end, reader->Size());
  EXPECT_TRUE(builder.Error().isEmpty());

  // A target beyond the end of a file that shrank ends where the file does.
  QFile::resize(path, 100);
  builder.IndexTo(first.size() + 1000);
  ASSERT_TRUE(notices.WaitUntilDone(builder));
  EXPECT_EQ(index->State().end, first.size() + 12);
}

TEST(IndexBuilderTest, AnEmptyFileIsDoneAtOnce)
{
  auto reader = std::make_shared<LogFileReader>();
  ASSERT_TRUE(reader->Open(test::WriteFile(QStringLiteral("empty.log"), ""), nullptr));
  auto index = std::make_shared<LineIndex>();
  Notices notices;
  IndexBuilder builder(reader, index, 0, notices.Callback());
  ASSERT_TRUE(notices.WaitUntilDone(builder));
  EXPECT_EQ(notices.Count(), 1);
  EXPECT_EQ(index->State().Lines(), 0);
}

} // namespace
} // namespace parlo
