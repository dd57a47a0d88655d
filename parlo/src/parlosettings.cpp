// Recent files kept in the registry, the way the framework keeps its most-recently-used list.
#include "parlosettings.h"

#include "platform/registry.h"
#include "platform/regkey.h"

namespace parlo {
namespace {

std::string ValueName(int index)
{
  return "File" + std::to_string(index + 1);
}

// The HKEY_CURRENT_USER root of the settings' registry file; closed when it goes.
class UserRoot
{
public:
  explicit UserRoot(const QString& file)
  {
    if (file.isEmpty()) {
      m_root = platform::HKEY_CURRENT_USER;
      m_status = platform::ERROR_SUCCESS;
    } else {
      m_status = platform::RegConnectRegistryFile(file.toStdString(), platform::HKEY_CURRENT_USER,
                                                  &m_root);
      m_connected = m_status == platform::ERROR_SUCCESS;
    }
  }
  ~UserRoot()
  {
    if (m_connected)
      platform::RegCloseKey(m_root);
  }
  UserRoot(const UserRoot&) = delete;
  UserRoot& operator=(const UserRoot&) = delete;

  bool IsOpen() const { return m_status == platform::ERROR_SUCCESS; }
  platform::HKEY Key() const { return m_root; }

private:
  platform::HKEY m_root = nullptr;
  platform::LONG m_status = platform::ERROR_INVALID_HANDLE;
  bool m_connected = false;
};

} // namespace

ParloSettings::ParloSettings(QString registryFile) : m_registryFile(std::move(registryFile)) {}

QStringList ParloSettings::RecentFiles() const
{
  QStringList files;
  UserRoot root(m_registryFile);
  CRegKey key;
  if (!root.IsOpen() || key.Open(root.Key(), kRecentFilesKey) != platform::ERROR_SUCCESS)
    return files;
  for (int i = 0; i < kMaxRecentFiles; ++i) {
    std::string path;
    if (key.ReadString(ValueName(i), path) != platform::ERROR_SUCCESS)
      continue;
    // A REG_SZ is stored with its terminating NUL.
    const QString text = QString::fromStdString(path.c_str());
    if (!text.isEmpty() && !files.contains(text))
      files.append(text);
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
  UserRoot root(m_registryFile);
  CRegKey key;
  if (!root.IsOpen() || key.CreateKeyString(root.Key(), kRecentFilesKey) != platform::ERROR_SUCCESS)
    return false;
  bool ok = true;
  for (int i = 0; i < kMaxRecentFiles; ++i) {
    if (i < files.size()) {
      ok = key.WriteString(ValueName(i), files[i].toStdString()) == platform::ERROR_SUCCESS && ok;
    } else {
      const platform::LONG status = platform::RegDeleteValue(key, ValueName(i).c_str());
      ok = (status == platform::ERROR_SUCCESS || status == platform::ERROR_FILE_NOT_FOUND) && ok;
    }
  }
  return key.Flush() == platform::ERROR_SUCCESS && ok;
}

} // namespace parlo
