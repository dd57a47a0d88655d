// The viewer's byte decoder, line scanner and line classifier over arbitrary file contents: the
// text must not depend on where the file was cut into chunks or ranges, every byte must be
// accounted for, and the scanner must count the lines and non-text bytes the decoder shows.
#include "lineclassifier.h"
#include "linescanner.h"
#include "textdecoder.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Check(bool condition)
{
  if (!condition)
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size == 0)
    return 0;
  // The first byte picks the cut; the rest is the file.
  const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
  const qsizetype cut = bytes.isEmpty() ? 0 : data[0] % (bytes.size() + 1);

  // Each call in its own statement: the order of the calls matters.
  parlo::TextDecoder whole;
  QString expected = whole.Decode(bytes);
  expected += whole.Finish();
  parlo::TextDecoder split;
  QString text = split.Decode(bytes.left(cut));
  text += split.Decode(bytes.mid(cut));
  text += split.Finish();
  Check(text == expected && split.BinaryBytes() == whole.BinaryBytes() &&
        whole.DecodedBytes() == bytes.size() && split.DecodedBytes() == bytes.size());

  // A range decodes as the whole; every unit maps to a byte, in order.
  std::vector<qint32> offsets;
  Check(parlo::TextDecoder::DecodeRange(bytes.constData(), bytes.size(), &offsets) == expected);
  Check(offsets.size() == static_cast<size_t>(expected.size()) + 1 &&
        offsets.back() == bytes.size());
  for (size_t i = 1; i < offsets.size(); ++i)
    Check(offsets[i - 1] <= offsets[i] && offsets[i - 1] < bytes.size());
  const qsizetype start = parlo::TextDecoder::CharacterStart(bytes.constData(), bytes.size(), cut);
  Check(parlo::TextDecoder::DecodeRange(bytes.constData(), start) +
            parlo::TextDecoder::DecodeRange(bytes.constData() + start, bytes.size() - start) ==
        expected);

  // The scanner, fed in two pieces, finds the lines the decoder makes of what it took.
  parlo::LineScanner scanner(parlo::CheckpointSpacing{3, 16});
  std::vector<parlo::Checkpoint> found;
  qsizetype taken = scanner.Scan(bytes.constData(), cut, &found);
  taken += scanner.Scan(bytes.constData() + taken, bytes.size() - taken, &found);
  const parlo::IndexState state = scanner.State();
  Check(state.end == taken && taken >= bytes.size() - 1);
  const QByteArray scanned = bytes.left(taken);
  Check(state.lineEnds ==
        parlo::TextDecoder::DecodeRange(scanned.constData(), scanned.size()).count(u'\n'));
  parlo::TextDecoder counted;
  counted.Decode(scanned);
  counted.Finish();
  Check(state.nonTextBytes == counted.BinaryBytes());
  for (const parlo::Checkpoint& point : found)
    Check(point.offset > 0 && point.offset <= taken &&
          (bytes[point.offset - 1] == '\n' || bytes[point.offset - 1] == '\r'));

  for (const QStringView line : QStringView(text).split(u'\n'))
    (void)parlo::ClassifyLine(line);
  return 0;
}
