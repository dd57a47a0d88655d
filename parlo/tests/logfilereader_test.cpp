// Reading files that change underneath the reader.
#include "logfilereader.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace parlo {
namespace {

void WriteFile(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode)
{
  QFile file(path);
  ASSERT_TRUE(file.open(mode));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

class LogFileReaderTest : public testing::Test
{
protected:
  QString PathOf(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
  QTemporaryDir m_dir;
};

TEST_F(LogFileReaderTest, BadPathsGiveTheSystemsReason)
{
  struct Case
  {
    QString path;
    const char* reason;
  };
  const Case cases[] = {
      {PathOf("missing.log"), "No such file or directory"},
      {m_dir.path(), "not a regular file"},
      {PathOf("missing/inner.log"), "No such file or directory"},
      // A named pipe with no writer: opening it must not wait for one.
      {PathOf("pipe.log"), "not a regular file"},
  };
  ASSERT_EQ(::mkfifo(PathOf("pipe.log").toLocal8Bit().constData(), 0600), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    LogFileReader reader;
    QString error;
    EXPECT_FALSE(reader.Open(c.path, &error));
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_TRUE(error.contains(c.path)) << error.toStdString();
    EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << error.toStdString();
  }
}

TEST_F(LogFileReaderTest, ReadsInChunksAndSeesGrowth)
{
  const QString path = PathOf("grow.log");
  WriteFile(path, "0123456789", QIODevice::WriteOnly);
  LogFileReader reader;
  QString error;
  ASSERT_TRUE(reader.Open(path, &error)) << error.toStdString();
  EXPECT_EQ(reader.Size(), 10);
  QByteArray bytes;
  EXPECT_EQ(reader.Read(bytes, 4, &error), 4);
  EXPECT_EQ(bytes, "0123");
  EXPECT_EQ(reader.CheckPath(), FileChange::Grown);
  EXPECT_EQ(reader.Read(bytes, 100, &error), 6);
  EXPECT_EQ(bytes, "456789");
  EXPECT_EQ(reader.Read(bytes, 100, &error), 0);
  EXPECT_EQ(reader.CheckPath(), FileChange::None);

  WriteFile(path, "abc", QIODevice::Append);
  EXPECT_EQ(reader.CheckPath(), FileChange::Grown);
  EXPECT_EQ(reader.Read(bytes, 100, &error), 3);
  EXPECT_EQ(bytes, "abc");
}

TEST_F(LogFileReaderTest, TellsShrunkReplacedAndGoneApart)
{
  const QString path = PathOf("change.log");
  WriteFile(path, "some text\n", QIODevice::WriteOnly);
  LogFileReader reader;
  ASSERT_TRUE(reader.Open(path, nullptr));
  QByteArray bytes;
  ASSERT_EQ(reader.Read(bytes, 100, nullptr), 10);

  WriteFile(path, "x", QIODevice::WriteOnly | QIODevice::Truncate);
  EXPECT_EQ(reader.CheckPath(), FileChange::Shrunk);

  const QString other = PathOf("other.log");
  WriteFile(other, "new file\n", QIODevice::WriteOnly);
  ASSERT_TRUE(QFile::remove(path));
  EXPECT_EQ(reader.CheckPath(), FileChange::Gone);
  ASSERT_TRUE(QFile::rename(other, path));
  EXPECT_EQ(reader.CheckPath(), FileChange::Replaced);
}

TEST_F(LogFileReaderTest, EmptyFileReadsAsNothing)
{
  const QString path = PathOf("empty.log");
  WriteFile(path, "", QIODevice::WriteOnly);
  LogFileReader reader;
  ASSERT_TRUE(reader.Open(path, nullptr));
  QByteArray bytes("junk");
  EXPECT_EQ(reader.Read(bytes, 100, nullptr), 0);
  EXPECT_TRUE(bytes.isEmpty());
  reader.Close();
  QString error;
  EXPECT_EQ(reader.Read(bytes, 100, &error), -1);
  EXPECT_FALSE(error.isEmpty());
}

} // namespace
} // namespace parlo
