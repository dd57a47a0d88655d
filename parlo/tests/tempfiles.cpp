// The folder lives as long as the test program.
#include "tempfiles.h"

#include "testsupport/tempfolder.h"

#include <QFile>

#include <gtest/gtest.h>

#include <random>

namespace parlo::test {
namespace {

const testsupport::TempFolder& Folder()
{
  static const testsupport::TempFolder folder;
  return folder;
}

} // namespace

QString TempFolder()
{
  return QString::fromStdString(Folder().Path());
}

QString TempPath(const QString& name)
{
  return QString::fromStdString(Folder().File(name.toStdString()));
}

QString WriteFile(const QString& name, const QByteArray& bytes)
{
  const QString path = TempPath(name);
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  EXPECT_EQ(file.write(bytes), bytes.size());
  return path;
}

void AppendFile(const QString& path, const QByteArray& bytes)
{
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::Append));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray MixedLog(unsigned seed, int pieces)
{
  static const QByteArray kinds[] = {
      "12:00:01 frame measured",
      "\r\n",
      "\n",
      "\r",
      "\r\n",
      "caf\xc3\xa9",
      "\xe2\x82\xac",
      "\xf0\x9f\x98\x80",
      "caf\xe9",
      QByteArray("\0\x01\x7f", 3),
      "\t",
      "ERROR: dropped",
      "\r\r\n",
      "\n\n",
      "\xc3",
      "\xa9\xa9",
  };
  std::mt19937 random(seed);
  QByteArray bytes;
  for (int i = 0; i < pieces; ++i) {
    const unsigned pick = random() % 20;
    if (pick < std::size(kinds))
      bytes += kinds[pick];
    else // a long line now and then
      bytes += QByteArray(static_cast<qsizetype>(random() % 3000), 'x');
  }
  return bytes;
}

} // namespace parlo::test
