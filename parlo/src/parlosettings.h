// The viewer's own settings: the list of recently opened files.
#pragma once

#include <QString>
#include <QStringList>

namespace parlo {

// Settings under the company key "Orvane" of the user's registry:
// HKEY_CURRENT_USER\Software\Orvane\Parlo\Recent File List, values File1 to File4.
// The registry file is the one given, or the platform's default (HALVEX_REGISTRY) when empty.
// Every change is written at once.
class ParloSettings
{
public:
  static constexpr int kMaxRecentFiles = 4;
  static constexpr const char* kRecentFilesKey = "Software\\Orvane\\Parlo\\Recent File List";

  explicit ParloSettings(QString registryFile = {});

  const QString& RegistryFile() const { return m_registryFile; }
  QStringList RecentFiles() const;
  // Moves the path to the front of the list, keeping at most four entries; false when the
  // registry could not be written.
  bool AddRecentFile(const QString& path);
  bool RemoveRecentFile(const QString& path);

private:
  bool StoreRecentFiles(const QStringList& files);

  QString m_registryFile;
};

} // namespace parlo
