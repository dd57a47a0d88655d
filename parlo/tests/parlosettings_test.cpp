// The recent-files list of the viewer's settings.
#include "parlosettings.h"

#include "platform/registry.h"
#include "platform/regkey.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace parlo {
namespace {

TEST(ParloSettingsTest, KeepsTheLatestFourWithoutDuplicates)
{
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("registry.db"));
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

TEST(ParloSettingsTest, WritesTheUsersRegistryUnderTheCompanyKey)
{
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("registry.db"));
  const QByteArray saved = qgetenv("HALVEX_REGISTRY");
  qputenv("HALVEX_REGISTRY", file.toLocal8Bit());
  ASSERT_TRUE(ParloSettings().AddRecentFile(QStringLiteral("/logs/first.log")));
  ASSERT_TRUE(ParloSettings().AddRecentFile(QStringLiteral("/logs/second.log")));
  if (saved.isNull())
    qunsetenv("HALVEX_REGISTRY");
  else
    qputenv("HALVEX_REGISTRY", saved);

  platform::HKEY root = nullptr;
  ASSERT_EQ(
      platform::RegConnectRegistryFile(file.toStdString(), platform::HKEY_CURRENT_USER, &root),
      platform::ERROR_SUCCESS);
  {
    CRegKey key;
    ASSERT_EQ(key.Open(root, "Software\\Orvane\\Parlo\\Recent File List"), platform::ERROR_SUCCESS);
    struct Case
    {
      const char* name;
      const char* expected;
    };
    for (const Case c : {Case{"File1", "/logs/second.log"}, Case{"File2", "/logs/first.log"}}) {
      SCOPED_TRACE(c.name);
      std::string value;
      ASSERT_EQ(key.ReadString(c.name, value), platform::ERROR_SUCCESS);
      EXPECT_STREQ(value.c_str(), c.expected);
    }
    std::string missing;
    EXPECT_EQ(key.ReadString("File3", missing), platform::ERROR_FILE_NOT_FOUND);
  }
  platform::RegCloseKey(root);
}

TEST(ParloSettingsTest, UnwritablePlaceIsReported)
{
  QTemporaryDir dir;
  const QString blocker = dir.filePath(QStringLiteral("file"));
  QFile block(blocker);
  ASSERT_TRUE(block.open(QIODevice::WriteOnly));
  block.close();
  // The settings folder would have to be inside a plain file.
  ParloSettings settings(blocker + QStringLiteral("/registry.db"));
  EXPECT_FALSE(settings.AddRecentFile(QStringLiteral("/logs/a.log")));
  EXPECT_TRUE(settings.RecentFiles().isEmpty());
}

} // namespace
} // namespace parlo
