// Loading the resource library "Parlo.lrc" and its string table.
#include "stringtable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace parlo {
namespace {

QString BuiltBinFolder()
{
  return QDir(qEnvironmentVariable("HALVEX_BUILD_DIR")).filePath(QStringLiteral("bin"));
}

TEST(ResourceLibraryTest, LoadsTheBuiltLibrary)
{
  ResourceLibrary library;
  QString error;
  ASSERT_TRUE(library.Load(BuiltBinFolder(), &error)) << error.toStdString();
  EXPECT_TRUE(library.IsLoaded());
  struct Case
  {
    int id;
    const char* expected;
  };
  const Case cases[] = {
      {IDS_APP_TITLE, "Parlo"}, {ID_RELOAD, "&Reload"},
      {ID_FONT, "&Font..."},    {IDS_DEFAULT_FACE, "DejaVu Sans Mono"},
      {424242, "#424242"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(library.String(c.id), QString::fromLatin1(c.expected));
  }
  EXPECT_TRUE(QFile::exists(QStringLiteral(":/parlo/parlo.png")));
  EXPECT_EQ(library.Format(IDS_OPEN_FAILED, QStringLiteral("50%2 done")),
            QStringLiteral("Cannot open the document: 50%2 done"));
  library.Unload();
  EXPECT_FALSE(QFile::exists(QStringLiteral(":/parlo/parlo.png")));
}

TEST(ResourceLibraryTest, BrokenOrMissingLibraryIsNamedWithTheReason)
{
  QTemporaryDir dir;
  ResourceLibrary library;
  QString error;
  EXPECT_FALSE(library.Load(dir.path(), &error));
  EXPECT_TRUE(error.contains(dir.filePath(QStringLiteral("Parlo.lrc")))) << error.toStdString();
  EXPECT_TRUE(error.contains(QLatin1String("No such file or directory"))) << error.toStdString();

  QFile junk(dir.filePath(QStringLiteral("Parlo.lrc")));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("this is not a resource file at all");
  junk.close();
  EXPECT_FALSE(library.Load(dir.path(), &error));
  EXPECT_TRUE(error.contains(QLatin1String("not a resource library"))) << error.toStdString();
  EXPECT_FALSE(library.IsLoaded());
}

} // namespace
} // namespace parlo
