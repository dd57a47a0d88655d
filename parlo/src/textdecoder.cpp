// UTF-8 with Latin-1 fallback, line-end normalisation and binary-byte accounting.
#include "textdecoder.h"

#include <algorithm>

namespace parlo {
namespace {

constexpr QChar kReplacement(0xFFFD);

// Length of the UTF-8 sequence starting at data[i], 0 when it is not valid UTF-8,
// -1 when it may be valid but is cut off by the end of the buffer.
int Utf8SequenceLength(const unsigned char* data, qsizetype i, qsizetype size, char32_t& code)
{
  const unsigned char lead = data[i];
  int length = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  for (int k = 1; k < length; ++k) {
    if (i + k >= size)
      return -1;
    const unsigned char next = data[i + k];
    if ((next & 0xC0) != 0x80)
      return 0;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return 0;
  return length;
}

bool IsTextControl(unsigned char byte)
{
  return byte == '\t' || byte == '\n' || byte == '\r' || byte == '\f';
}

struct Tally
{
  qint64 nonText = 0;
  qint64 decoded = 0;
};

// Decodes data[i, size) onto text and returns where it stopped: the size, or, unless `final`,
// the start of a UTF-8 sequence cut off by the end. A CR as the last byte sets *crAtEnd, so an
// LF at the start of the next chunk is taken as the rest of its line end. With kOffsets, every
// unit appended gets the offset of the byte its character starts at.
template <bool kOffsets>
qsizetype DecodeInto(const unsigned char* data, qsizetype size, qsizetype i, bool final,
                     QString& text, std::vector<qint32>* offsets, Tally& tally, bool* crAtEnd)
{
  auto mark = [&](qsizetype at, int units) {
    if constexpr (kOffsets)
      offsets->insert(offsets->end(), units, static_cast<qint32>(at));
  };
  while (i < size) {
    // Plain ASCII text is by far the common case: copy whole runs of it at once.
    qsizetype run = i;
    while (run < size &&
           ((data[run] >= 0x20 && data[run] < 0x7F) || data[run] == '\n' || data[run] == '\t'))
      ++run;
    if (run > i) {
      text.append(QLatin1StringView(reinterpret_cast<const char*>(data) + i, run - i));
      if constexpr (kOffsets) {
        for (qsizetype k = i; k < run; ++k)
          offsets->push_back(static_cast<qint32>(k));
      }
      tally.decoded += run - i;
      i = run;
      continue;
    }
    const unsigned char byte = data[i];
    if (byte < 0x80) {
      mark(i, 1);
      if (byte == '\r') {
        text += QLatin1Char('\n');
        if (i + 1 == size) {
          if (crAtEnd)
            *crAtEnd = true;
        } else if (data[i + 1] == '\n') {
          ++i;
          ++tally.decoded;
        }
      } else if ((byte < 0x20 && !IsTextControl(byte)) || byte == 0x7F) {
        text += kReplacement;
        ++tally.nonText;
      } else {
        text += QLatin1Char(static_cast<char>(byte));
      }
      ++i;
      ++tally.decoded;
      continue;
    }
    char32_t code = 0;
    const int length = Utf8SequenceLength(data, i, size, code);
    if (length < 0 && !final)
      return i;
    if (length <= 0) {
      mark(i, 1);
      text += QChar(byte); // Latin-1
      ++i;
      ++tally.decoded;
      continue;
    }
    const QString character = QString::fromUcs4(&code, 1);
    mark(i, static_cast<int>(character.size()));
    text += character;
    i += length;
    tally.decoded += length;
  }
  return size;
}

} // namespace

QString TextDecoder::Decode(const QByteArray& chunk)
{
  QByteArray bytes = m_pending + chunk;
  m_pending.clear();
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
  const qsizetype size = bytes.size();
  QString text;
  text.reserve(size + 1);
  Tally tally;
  qsizetype i = 0;
  if (m_bPendingCr) {
    // The line already ended at the CR; an LF right after it belongs to the same line end.
    m_bPendingCr = false;
    if (size > 0 && data[0] == '\n') {
      i = 1;
      ++tally.decoded;
    }
  }
  const qsizetype stop =
      DecodeInto<false>(data, size, i, false, text, nullptr, tally, &m_bPendingCr);
  if (stop < size)
    m_pending = bytes.mid(stop);
  m_nBinaryBytes += tally.nonText;
  m_nDecodedBytes += tally.decoded;
  return text;
}

QString TextDecoder::Finish()
{
  // Held back are only the first bytes of a sequence cut off by the end: each is Latin-1.
  QString text;
  Tally tally;
  DecodeInto<false>(reinterpret_cast<const unsigned char*>(m_pending.constData()), m_pending.size(),
                    0, true, text, nullptr, tally, nullptr);
  m_nBinaryBytes += tally.nonText;
  m_nDecodedBytes += tally.decoded;
  m_pending.clear();
  m_bPendingCr = false;
  return text;
}

bool TextDecoder::LooksBinary(qint64 nonTextBytes, qint64 bytes)
{
  // A stray NUL in a log (a writer that crashed mid-line) is not enough; junk is.
  return nonTextBytes > 0 && nonTextBytes * 20 >= bytes;
}

void TextDecoder::Reset()
{
  *this = TextDecoder();
}

QString TextDecoder::DecodeRange(const char* data, qsizetype size, std::vector<qint32>* unitOffsets)
{
  QString text;
  DecodeRange(data, size, &text, unitOffsets);
  return text;
}

void TextDecoder::DecodeRange(const char* data, qsizetype size, QString* text,
                              std::vector<qint32>* unitOffsets)
{
  text->resize(0);
  text->reserve(size);
  Tally tally;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  if (unitOffsets) {
    unitOffsets->clear();
    unitOffsets->reserve(static_cast<size_t>(size) + 1);
    DecodeInto<true>(bytes, size, 0, true, *text, unitOffsets, tally, nullptr);
    unitOffsets->push_back(static_cast<qint32>(size));
  } else {
    DecodeInto<false>(bytes, size, 0, true, *text, nullptr, tally, nullptr);
  }
}

qsizetype TextDecoder::CharacterStart(const char* data, qsizetype size, qsizetype position)
{
  const qsizetype limit = std::min(size, position + 3);
  while (position < limit && (static_cast<unsigned char>(data[position]) & 0xC0) == 0x80)
    ++position;
  // The LF of a CR LF is part of the line end that the CR starts.
  if (position > 0 && position < size && data[position] == '\n' && data[position - 1] == '\r')
    ++position;
  return position;
}

} // namespace parlo
