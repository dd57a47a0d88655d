// The viewer's own settings: the list of recently opened files.
#pragma once

#include <QString>
#include <QStringList>

namespace parlo {

// Settings of the company "Orvane", application "Parlo", kept in one INI file. The file lies
// beside the registry file that HALVEX_REGISTRY names (so tests keep theirs private), else
// under the user's configuration folder. Every change is written at once.
class ParloSettings
{
public:
  static constexpr int kMaxRecentFiles = 4;

  explicit ParloSettings(QString filePath);
  static QString DefaultFilePath();

  const QString& FilePath() const { return m_filePath; }
  QStringList RecentFiles() const;
  // Moves the path to the front of the list, keeping at most four entries.
  bool AddRecentFile(const QString& path);
  bool RemoveRecentFile(const QString& path);

private:
  bool StoreRecentFiles(const QStringList& files);

  QString m_filePath;
};

} // namespace parlo
