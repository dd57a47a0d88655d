// Turns the bytes of a log or results file into display text, chunk by chunk.
#pragma once

#include <QByteArray>
#include <QString>

namespace parlo {

// Files are 8-bit text written by the harness and by test programs: valid UTF-8 sequences
// are decoded as UTF-8, any other byte as Latin-1. CR LF and lone CR end a line like LF.
// Control bytes other than tab, line ends and form feed are not text: each one is shown as
// U+FFFD and counted, so the viewer can say a file holds binary data.
// A sequence or CR LF split across two chunks is kept until the next chunk arrives.
class TextDecoder
{
public:
  QString Decode(const QByteArray& chunk);
  // The bytes still held back at the end of the file.
  QString Finish();

  qint64 BinaryBytes() const { return m_nBinaryBytes; }
  qint64 DecodedBytes() const { return m_nDecodedBytes; }
  // True when the share of non-text bytes seen so far marks the file as binary.
  bool LooksBinary() const;
  void Reset();

private:
  QByteArray m_pending;
  bool m_bPendingCr = false;
  qint64 m_nBinaryBytes = 0;
  qint64 m_nDecodedBytes = 0;
};

} // namespace parlo
