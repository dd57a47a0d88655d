// Find over a whole file: directions, wrapping, case, encodings, block boundaries, the end of
// the searched bytes, cancelling, and the worker thread.
#include "logfilereader.h"
#include "tempfiles.h"
#include "textsearch.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace parlo {
namespace {

class TextSearchTest : public testing::Test
{
protected:
  void Open(const QByteArray& bytes)
  {
    m_bytes = bytes;
    m_reader = std::make_shared<LogFileReader>();
    ASSERT_TRUE(m_reader->Open(test::WriteFile(QStringLiteral("search.log"), bytes), nullptr));
  }
  TextMatch Find(const QString& text, bool backward, bool matchCase, qint64 selectionStart,
                 qint64 selectionEnd, qint64 end = -1)
  {
    const SearchQuery query{text,           backward,     matchCase,
                            selectionStart, selectionEnd, end < 0 ? m_bytes.size() : end};
    const std::atomic<bool> cancel{false};
    return TextSearch::Find(*m_reader, query, cancel, {});
  }

  QByteArray m_bytes;
  std::shared_ptr<LogFileReader> m_reader;
};

TEST_F(TextSearchTest, FindsForwardsBackwardsAndAroundTheFile)
{
  // Offsets:    0      7           19     25          37
  Open("alpha\r\nneedle one\r\nbeta\r\nNeedle two\r\nend");
  struct Step
  {
    const char* text;
    bool backward, matchCase;
    qint64 selectionStart, selectionEnd, start;
  };
  const Step steps[] = {
      {"needle", false, false, 0, 0, 7},    {"needle", false, false, 7, 13, 25},
      {"needle", false, false, 25, 31, 7},  {"Needle", false, true, 0, 0, 25},
      {"Needle", false, true, 25, 31, 25},  {"needle", true, true, 25, 31, 7},
      {"needle", true, false, 7, 13, 25},   {"needle", true, false, 37, 37, 25},
      {"haystack", false, false, 0, 0, -1}, {"e\r\nb", false, false, 0, 0, -1},
      {"", false, false, 0, 0, -1},         {"end", true, false, 0, 0, 37},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(testing::Message() << step.text << (step.backward ? " backward from " : " from ")
                                    << step.selectionStart);
    const TextMatch match = Find(QString::fromLatin1(step.text), step.backward, step.matchCase,
                                 step.selectionStart, step.selectionEnd);
    EXPECT_EQ(match.start, step.start);
    if (match.Found()) {
      EXPECT_EQ(match.end, match.start + qstrlen(step.text));
    }
  }
}

TEST_F(TextSearchTest, MatchesTheTextAsShownWhateverItsBytes)
{
  Open(
      "caf\xc3\xa9 UTF-8\ncaf\xe9 Latin-1\n\xe2\x82\xac 12\n\xf0\x9f\x98\x80 smile\nCAF\xc3\x89\n");
  struct Case
  {
    const char* name;
    QString text;
    bool matchCase;
    qint64 from, start, end;
  };
  const Case cases[] = {
      {"utf-8", QString::fromUtf8("café"), true, 0, 0, 5},
      {"latin-1 bytes", QString::fromUtf8("café"), true, 5, 12, 16},
      {"euro sign", QString::fromUtf8("€ 12"), true, 0, 25, 31},
      {"surrogate pair", QString::fromUtf8("😀 s"), true, 0, 32, 38},
      {"case folded beyond ascii", QString::fromUtf8("café"), false, 20, 43, 48},
      {"a continuation byte is no character", QString(QChar(0xA9)), true, 0, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TextMatch match = Find(c.text, false, c.matchCase, c.from, c.from);
    EXPECT_EQ(match.start, c.start);
    EXPECT_EQ(match.end, c.end);
  }
}

TEST_F(TextSearchTest, FindsMatchesAcrossTheBlocksItReads)
{
  // The needle straddles the first block boundary (1 MB), in either direction, with a
  // multi-byte character cut by it.
  constexpr qint64 kBlock = 1024 * 1024;
  for (const qint64 shift : {-7, -3, -1, 0, 1}) {
    SCOPED_TRACE(shift);
    QByteArray bytes(3 * kBlock, 'x');
    const QByteArray needle("n\xc3\xa9\x65\x64le");
    bytes.replace(kBlock + shift - 2, needle.size(), needle);
    Open(bytes);
    const QString text = QString::fromUtf8(needle);
    EXPECT_EQ(Find(text, false, true, 0, 0).start, kBlock + shift - 2);
    EXPECT_EQ(Find(text, true, true, bytes.size(), bytes.size()).start, kBlock + shift - 2);
  }
}

TEST_F(TextSearchTest, SearchesOnlyUpToTheGivenEnd)
{
  Open("first line\nsecond line\nthird line\n");
  EXPECT_EQ(Find(QStringLiteral("third"), false, false, 0, 0).start, 23);
  EXPECT_FALSE(Find(QStringLiteral("third"), false, false, 0, 0, 25).Found());
  EXPECT_FALSE(Find(QStringLiteral("third"), true, false, 0, 0, 25).Found());
  EXPECT_EQ(Find(QStringLiteral("second"), true, false, 0, 0, 25).start, 11);
}

TEST_F(TextSearchTest, RunsOnAWorkerAndCanBeCancelled)
{
  QByteArray bytes(4 * 1024 * 1024, 'a');
  bytes += "needle";
  Open(bytes);
  std::mutex mutex;
  std::condition_variable finished;
  std::optional<TextMatch> result;
  qint64 lastDone = 0;
  TextSearch search;
  const SearchQuery query{QStringLiteral("needle"), false, true, 0, 0, bytes.size()};
  search.Start(
      m_reader, query,
      [&](qint64 done, qint64 total) {
        std::lock_guard lock(mutex);
        EXPECT_LE(done, total);
        EXPECT_GE(done, lastDone);
        lastDone = done;
      },
      [&](TextMatch match) {
        std::lock_guard lock(mutex);
        result = match;
        finished.notify_all();
      });
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(
        finished.wait_for(lock, std::chrono::seconds(60), [&] { return result.has_value(); }));
  }
  EXPECT_EQ(result->start, bytes.size() - 6);
  EXPECT_GT(lastDone, 0);

  // A cancelled search finds nothing and does not report.
  const std::atomic<bool> cancelled{true};
  EXPECT_FALSE(TextSearch::Find(*m_reader, query, cancelled, {}).Found());
  result.reset();
  search.Start(m_reader, query, {}, [&](TextMatch match) { result = match; });
  search.Cancel();
  search.Start(m_reader, query, {}, [&](TextMatch match) { result = match; });
  search.Cancel();
  EXPECT_TRUE(!result.has_value() || result->start == bytes.size() - 6);
}

} // namespace
} // namespace parlo
