// Decoding of log bytes: encodings, line ends, binary bytes and chunk boundaries.
#include "textdecoder.h"

#include <QList>

#include <gtest/gtest.h>

namespace parlo {
namespace {

QString DecodeAll(const QList<QByteArray>& chunks, TextDecoder& decoder)
{
  QString text;
  for (const QByteArray& chunk : chunks)
    text += decoder.Decode(chunk);
  return text + decoder.Finish();
}

TEST(TextDecoderTest, DecodesChunksToText)
{
  struct Case
  {
    const char* name;
    QList<QByteArray> chunks;
    QString expected;
    qint64 binary;
  };
  const Case cases[] = {
      {"ascii", {"a line\nnext\n"}, u"a line\nnext\n"_qs, 0},
      {"crlf", {"one\r\ntwo\r\n"}, u"one\ntwo\n"_qs, 0},
      {"lone cr", {"one\rtwo"}, u"one\ntwo"_qs, 0},
      {"crlf split", {"one\r", "\ntwo"}, u"one\ntwo"_qs, 0},
      {"cr then cr", {"a\r", "\rb"}, u"a\n\nb"_qs, 0},
      {"utf8", {"caf\xc3\xa9"}, u"caf\u00e9"_qs, 0},
      {"utf8 split", {"caf\xc3", "\xa9!"}, u"caf\u00e9!"_qs, 0},
      {"utf8 4-byte split", {"\xf0\x9f", "\x98\x80"}, QString::fromUtf8("\xf0\x9f\x98\x80"), 0},
      {"latin-1 byte", {"caf\xe9 au lait"}, u"caf\u00e9 au lait"_qs, 0},
      {"cut sequence at end", {"x\xe2\x82"}, u"x\u00e2\u0082"_qs, 0},
      {"overlong is latin-1", {"\xc0\xaf"}, u"\u00c0\u00af"_qs, 0},
      {"tab and form feed", {"a\tb\fc"}, u"a\tb\fc"_qs, 0},
      {"nul and bell", {QByteArray("a\0b\x07", 4)}, u"a\ufffdb\ufffd"_qs, 2},
      {"delete", {"a\x7f"}, u"a\ufffd"_qs, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextDecoder decoder;
    EXPECT_EQ(DecodeAll(c.chunks, decoder), c.expected);
    EXPECT_EQ(decoder.BinaryBytes(), c.binary);
    qint64 total = 0;
    for (const QByteArray& chunk : c.chunks)
      total += chunk.size();
    EXPECT_EQ(decoder.DecodedBytes(), total);
  }
}

TEST(TextDecoderTest, SplittingAnywhereGivesTheSameText)
{
  const QByteArray bytes("first \xc3\xa9 line\r\nsecond\r\xe2\x82\xac\n\x01 end\r\n");
  TextDecoder whole;
  const QString expected = DecodeAll({bytes}, whole);
  for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
    SCOPED_TRACE(cut);
    TextDecoder decoder;
    EXPECT_EQ(DecodeAll({bytes.left(cut), bytes.mid(cut)}, decoder), expected);
    EXPECT_EQ(decoder.BinaryBytes(), 1);
  }
}

TEST(TextDecoderTest, TellsJunkFromAStrayNul)
{
  TextDecoder log;
  log.Decode(QByteArray(2000, 'a') + QByteArray(1, '\0'));
  EXPECT_EQ(log.BinaryBytes(), 1);
  EXPECT_FALSE(log.LooksBinary());

  TextDecoder junk;
  QByteArray bytes;
  for (int i = 0; i < 4096; ++i)
    bytes.append(static_cast<char>((i * 7919) & 0xFF));
  junk.Decode(bytes);
  EXPECT_TRUE(junk.LooksBinary());

  junk.Reset();
  EXPECT_EQ(junk.BinaryBytes(), 0);
  EXPECT_FALSE(junk.LooksBinary());
}

TEST(TextDecoderTest, RangesDecodeLikeTheWholeAndMapEveryUnitToItsByte)
{
  struct Case
  {
    const char* name;
    QByteArray bytes;
    std::vector<qint32> offsets;
  };
  const Case cases[] = {
      {"ascii", "ab", {0, 1, 2}},
      {"utf8 two and three bytes", "\xc3\xa9\xe2\x82\xac!", {0, 2, 5, 6}},
      {"surrogate pair", "\xf0\x9f\x98\x80x", {0, 0, 4, 5}},
      {"latin-1 byte", "caf\xe9", {0, 1, 2, 3, 4}},
      {"crlf is one unit", "a\r\nb", {0, 1, 3, 4}},
      {"cut sequence at the end", "x\xe2\x82", {0, 1, 2, 3}},
      {"control byte", QByteArray("\0a", 2), {0, 1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextDecoder whole;
    const QString expected = DecodeAll({c.bytes}, whole);
    std::vector<qint32> offsets;
    EXPECT_EQ(TextDecoder::DecodeRange(c.bytes.constData(), c.bytes.size(), &offsets), expected);
    EXPECT_EQ(TextDecoder::DecodeRange(c.bytes.constData(), c.bytes.size()), expected);
    EXPECT_EQ(offsets, c.offsets);
  }
}

TEST(TextDecoderTest, RangesCutWhereCharactersStartDecodeAsTheWhole)
{
  const QByteArray bytes(
      "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\xa9\xa9\xa9\xa9\xa9z\r\n\xe9\r\r\n");
  const QString whole = TextDecoder::DecodeRange(bytes.constData(), bytes.size());
  for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
    SCOPED_TRACE(cut);
    const qsizetype at = TextDecoder::CharacterStart(bytes.constData(), bytes.size(), cut);
    EXPECT_GE(at, cut);
    EXPECT_LE(at, cut + 3);
    EXPECT_EQ(TextDecoder::DecodeRange(bytes.constData(), at) +
                  TextDecoder::DecodeRange(bytes.constData() + at, bytes.size() - at),
              whole);
  }
}

} // namespace
} // namespace parlo
