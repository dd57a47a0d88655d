// The recent-files list of the viewer's settings.
#include "parlosettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace parlo {
namespace {

TEST(ParloSettingsTest, KeepsTheLatestFourWithoutDuplicates)
{
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("Orvane/Parlo.ini"));
  struct Step
  {
    const char* open;
    QStringList expected;
  };
  const Step steps[] = {
      {"/logs/a.log", {"/logs/a.log"}},
      {"/logs/b.log", {"/logs/b.log", "/logs/a.log"}},
      {"/logs/c.log", {"/logs/c.log", "/logs/b.log", "/logs/a.log"}},
      {"/logs/a.log", {"/logs/a.log", "/logs/c.log", "/logs/b.log"}},
      {"/logs/d.log", {"/logs/d.log", "/logs/a.log", "/logs/c.log", "/logs/b.log"}},
      {"/logs/e.log", {"/logs/e.log", "/logs/d.log", "/logs/a.log", "/logs/c.log"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.open);
    ParloSettings settings(file);
    ASSERT_TRUE(settings.AddRecentFile(QString::fromLatin1(step.open)));
    // A fresh object reads what the last one wrote.
    EXPECT_EQ(ParloSettings(file).RecentFiles(), step.expected);
  }
  ASSERT_TRUE(ParloSettings(file).RemoveRecentFile(QStringLiteral("/logs/a.log")));
  EXPECT_EQ(ParloSettings(file).RecentFiles(),
            QStringList({"/logs/e.log", "/logs/d.log", "/logs/c.log"}));
  EXPECT_TRUE(QFile::exists(file));
}

TEST(ParloSettingsTest, LivesBesideThePrivateRegistry)
{
  QTemporaryDir dir;
  const QByteArray saved = qgetenv("HALVEX_REGISTRY");
  qputenv("HALVEX_REGISTRY", dir.filePath(QStringLiteral("registry.db")).toLocal8Bit());
  EXPECT_EQ(ParloSettings::DefaultFilePath(), QDir(dir.path()).filePath("Orvane/Parlo.ini"));
  qunsetenv("HALVEX_REGISTRY");
  EXPECT_TRUE(ParloSettings::DefaultFilePath().endsWith(QLatin1String("/Orvane/Parlo.ini")));
  if (!saved.isNull())
    qputenv("HALVEX_REGISTRY", saved);
}

TEST(ParloSettingsTest, UnwritablePlaceIsReported)
{
  QTemporaryDir dir;
  const QString blocker = dir.filePath(QStringLiteral("file"));
  QFile block(blocker);
  ASSERT_TRUE(block.open(QIODevice::WriteOnly));
  block.close();
  // The settings folder would have to be inside a plain file.
  ParloSettings settings(blocker + QStringLiteral("/Orvane/Parlo.ini"));
  EXPECT_FALSE(settings.AddRecentFile(QStringLiteral("/logs/a.log")));
  EXPECT_TRUE(settings.RecentFiles().isEmpty());
}

} // namespace
} // namespace parlo
