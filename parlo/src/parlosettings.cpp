// INI-file settings in the shape of the company key "Orvane\Parlo\Recent File List".
#include "parlosettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace parlo {
namespace {

const QString kRecentGroup = QStringLiteral("Recent File List");

QString RecentKey(int index)
{
  return QStringLiteral("File%1").arg(index + 1);
}

} // namespace

ParloSettings::ParloSettings(QString filePath) : m_filePath(std::move(filePath)) {}

QString ParloSettings::DefaultFilePath()
{
  const QString registry = qEnvironmentVariable("HALVEX_REGISTRY");
  const QString folder =
      registry.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                         : QFileInfo(registry).absolutePath();
  return QDir(folder).filePath(QStringLiteral("Orvane/Parlo.ini"));
}

QStringList ParloSettings::RecentFiles() const
{
  QSettings store(m_filePath, QSettings::IniFormat);
  store.beginGroup(kRecentGroup);
  QStringList files;
  for (int i = 0; i < kMaxRecentFiles; ++i) {
    const QString path = store.value(RecentKey(i)).toString();
    if (!path.isEmpty() && !files.contains(path))
      files.append(path);
  }
  return files;
}

bool ParloSettings::AddRecentFile(const QString& path)
{
  QStringList files = RecentFiles();
  files.removeAll(path);
  files.prepend(path);
  while (files.size() > kMaxRecentFiles)
    files.removeLast();
  return StoreRecentFiles(files);
}

bool ParloSettings::RemoveRecentFile(const QString& path)
{
  QStringList files = RecentFiles();
  files.removeAll(path);
  return StoreRecentFiles(files);
}

bool ParloSettings::StoreRecentFiles(const QStringList& files)
{
  QDir().mkpath(QFileInfo(m_filePath).absolutePath());
  QSettings store(m_filePath, QSettings::IniFormat);
  store.beginGroup(kRecentGroup);
  for (int i = 0; i < kMaxRecentFiles; ++i) {
    if (i < files.size())
      store.setValue(RecentKey(i), files[i]);
    else
      store.remove(RecentKey(i));
  }
  store.endGroup();
  store.sync();
  return store.status() == QSettings::NoError;
}

} // namespace parlo
