// The viewer's byte decoder and line classifier over arbitrary file contents: the text must
// not depend on where the file was cut into chunks, and every byte must be accounted for.
#include "lineclassifier.h"
#include "textdecoder.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <cstdlib>

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
  if (text != expected || split.BinaryBytes() != whole.BinaryBytes() ||
      whole.DecodedBytes() != bytes.size() || split.DecodedBytes() != bytes.size())
    std::abort();
  for (const QStringView line : QStringView(text).split(u'\n'))
    (void)parlo::ClassifyLine(line);
  return 0;
}
