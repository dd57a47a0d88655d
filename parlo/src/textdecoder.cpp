// UTF-8 with Latin-1 fallback, line-end normalisation and binary-byte accounting.
#include "textdecoder.h"

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

} // namespace

QString TextDecoder::Decode(const QByteArray& chunk)
{
  QByteArray bytes = m_pending + chunk;
  m_pending.clear();
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
  const qsizetype size = bytes.size();
  QString text;
  text.reserve(size + 1);
  qsizetype i = 0;
  if (m_bPendingCr) {
    // The line already ended at the CR; an LF right after it belongs to the same line end.
    m_bPendingCr = false;
    if (size > 0 && data[0] == '\n') {
      i = 1;
      ++m_nDecodedBytes;
    }
  }
  while (i < size) {
    // Plain ASCII text is by far the common case: copy whole runs of it at once.
    qsizetype run = i;
    while (run < size &&
           ((data[run] >= 0x20 && data[run] < 0x7F) || data[run] == '\n' || data[run] == '\t'))
      ++run;
    if (run > i) {
      text.append(QLatin1StringView(reinterpret_cast<const char*>(data) + i, run - i));
      m_nDecodedBytes += run - i;
      i = run;
      continue;
    }
    const unsigned char byte = data[i];
    if (byte < 0x80) {
      if (byte == '\r') {
        text += QLatin1Char('\n');
        if (i + 1 == size) {
          m_bPendingCr = true;
        } else if (data[i + 1] == '\n') {
          ++i;
          ++m_nDecodedBytes;
        }
      } else if (byte < 0x20 && !IsTextControl(byte)) {
        text += kReplacement;
        ++m_nBinaryBytes;
      } else if (byte == 0x7F) {
        text += kReplacement;
        ++m_nBinaryBytes;
      } else {
        text += QLatin1Char(static_cast<char>(byte));
      }
      ++i;
      ++m_nDecodedBytes;
      continue;
    }
    char32_t code = 0;
    const int length = Utf8SequenceLength(data, i, size, code);
    if (length < 0) {
      m_pending = bytes.mid(i);
      break;
    }
    if (length == 0) {
      text += QChar(byte); // Latin-1
      ++i;
      ++m_nDecodedBytes;
      continue;
    }
    text += QString::fromUcs4(&code, 1);
    i += length;
    m_nDecodedBytes += length;
  }
  return text;
}

QString TextDecoder::Finish()
{
  QString text;
  for (const char byte : std::as_const(m_pending)) {
    text += QChar(static_cast<unsigned char>(byte));
    ++m_nDecodedBytes;
  }
  m_pending.clear();
  m_bPendingCr = false;
  return text;
}

bool TextDecoder::LooksBinary() const
{
  // A stray NUL in a log (a writer that crashed mid-line) is not enough; junk is.
  return m_nBinaryBytes > 0 && m_nBinaryBytes * 20 >= m_nDecodedBytes;
}

void TextDecoder::Reset()
{
  *this = TextDecoder();
}

} // namespace parlo
