// Line ends and non-text bytes, at every position of the blocks the fast scan reads.
#include "lineends.h"
#include "tempfiles.h"
#include "textdecoder.h"

#include <gtest/gtest.h>

namespace parlo {
namespace {

TEST(LineEndsTest, FindsEachKindOfLineEnd)
{
  struct Case
  {
    const char* name;
    QByteArray bytes;
    qsizetype from;
    bool final;
    qsizetype end, next;
  };
  const Case cases[] = {
      {"lf", "ab\ncd", 0, false, 2, 3},
      {"crlf", "ab\r\ncd", 0, false, 2, 4},
      {"lone cr", "ab\rcd", 0, false, 2, 3},
      {"cr cr", "a\r\rb", 0, false, 1, 2},
      {"from after the first", "a\nb\nc", 2, false, 3, 4},
      {"none", "abcdef", 0, false, -1, 6},
      {"cr at the end is not decided", "abc\r", 0, false, -1, 3},
      {"cr at the end of final bytes", "abc\r", 0, true, 3, 4},
      {"crlf at the end", "abc\r\n", 0, false, 3, 5},
      {"empty", "", 0, false, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qsizetype next = -2;
    EXPECT_EQ(FindLineEnd(c.bytes.constData(), c.bytes.size(), c.from, &next, c.final), c.end);
    EXPECT_EQ(next, c.next);
  }
}

TEST(LineEndsTest, EveryPositionInAndAroundTheFastBlocks)
{
  for (qsizetype at = 0; at < 70; ++at) {
    for (const QByteArrayView end : {"\n", "\r\n", "\rx"}) {
      SCOPED_TRACE(testing::Message() << at << " " << end.data());
      const QByteArray bytes = QByteArray(at, 'a') + end.toByteArray() + QByteArray(40, 'b');
      qsizetype next = 0;
      EXPECT_EQ(FindLineEnd(bytes.constData(), bytes.size(), 0, &next, false), at);
      EXPECT_EQ(next, at + (end == "\r\n" ? 2 : 1));
    }
  }
}

TEST(LineEndsTest, CountsWhatTheDecoderShowsAsNonText)
{
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    QByteArray bytes = test::MixedLog(seed, 60);
    for (int i = 0; i < 300; ++i) // every byte value, at shifting alignments
      bytes.insert((i * 37) % (bytes.size() + 1), static_cast<char>((i * seed) & 0xFF));
    for (const qsizetype skip : {0, 1, 7, 15}) {
      TextDecoder decoder;
      decoder.Decode(bytes.mid(skip));
      decoder.Finish();
      EXPECT_EQ(CountNonTextBytes(bytes.constData() + skip, bytes.size() - skip),
                decoder.BinaryBytes());
    }
  }
  // Long enough for the counters of the fast loop to be folded more than once.
  const QByteArray zeros(16 * 255 * 3 + 5, '\0');
  EXPECT_EQ(CountNonTextBytes(zeros.constData(), zeros.size()), zeros.size());
}

} // namespace
} // namespace parlo
