// Turns the bytes of a log or results file into display text, chunk by chunk or range by range.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace parlo {

// Files are 8-bit text written by the harness and by test programs: valid UTF-8 sequences
// are decoded as UTF-8, any other byte as Latin-1. CR LF and lone CR end a line like LF.
// Control bytes other than tab, line ends and form feed are not text: each one is shown as
// U+FFFD and counted, so the viewer can say a file holds binary data.
// A sequence or CR LF split across two chunks is kept until the next chunk arrives.
// Line ends never fall inside a UTF-8 sequence, so every line decodes on its own exactly as it
// does within the whole file.
class TextDecoder
{
public:
  QString Decode(const QByteArray& chunk);
  // The bytes still held back at the end of the file.
  QString Finish();

  qint64 BinaryBytes() const { return m_nBinaryBytes; }
  qint64 DecodedBytes() const { return m_nDecodedBytes; }
  // True when the share of non-text bytes seen so far marks the file as binary.
  bool LooksBinary() const { return LooksBinary(m_nBinaryBytes, m_nDecodedBytes); }
  void Reset();

  // The rule behind LooksBinary, for counts made elsewhere.
  static bool LooksBinary(qint64 nonTextBytes, qint64 bytes);
  // Decodes bytes that start and end at character boundaries, with no state kept. When
  // `unitOffsets` is given it receives, for every UTF-16 unit of the text, the offset of the
  // byte its character starts at, and one more entry: `size`.
  static QString DecodeRange(const char* data, qsizetype size,
                             std::vector<qint32>* unitOffsets = nullptr);
  // The same into *text, whose memory is kept for the next range: fresh memory is slow to
  // come by when block after block of a large file is decoded.
  static void DecodeRange(const char* data, qsizetype size, QString* text,
                          std::vector<qint32>* unitOffsets = nullptr);
  // The first position at or after `position` where a character may start: a byte that does
  // not continue a UTF-8 sequence (or the one three bytes on) and is not the LF of a CR LF.
  // Two ranges cut there decode as the bytes do whole.
  static qsizetype CharacterStart(const char* data, qsizetype size, qsizetype position);

private:
  QByteArray m_pending;
  bool m_bPendingCr = false;
  qint64 m_nBinaryBytes = 0;
  qint64 m_nDecodedBytes = 0;
};

} // namespace parlo
