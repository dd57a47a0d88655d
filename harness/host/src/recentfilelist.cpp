// The recently used file list.
#include "harness/recentfilelist.h"

#include <algorithm>

namespace harness {

namespace {

std::string SlotName(std::size_t index)
{
  return "File" + std::to_string(index + 1);
}

} // namespace

std::string RecentFileListKey(const std::string& rootKey)
{
  return rootKey + "\\Recent File List";
}

void CRecentFileList::Add(const std::string& path)
{
  if (path.empty())
    return;
  Remove(path);
  m_entries.insert(m_entries.begin(), path);
  if (m_entries.size() > kMaxEntries)
    m_entries.resize(kMaxEntries);
}

bool CRecentFileList::Remove(const std::string& path)
{
  auto it = std::find(m_entries.begin(), m_entries.end(), path);
  if (it == m_entries.end())
    return false;
  m_entries.erase(it);
  return true;
}

bool CRecentFileList::Load(SettingsStore& store, const std::string& rootKey)
{
  m_entries.clear();
  if (store.Open(RecentFileListKey(rootKey)) != 0)
    return false;
  for (std::size_t i = 0; i < kMaxEntries; ++i) {
    std::string path;
    if (store.ReadString(SlotName(i), path) == 0 && !path.empty() &&
        std::find(m_entries.begin(), m_entries.end(), path) == m_entries.end())
      m_entries.push_back(path);
  }
  store.Close();
  return true;
}

bool CRecentFileList::Save(SettingsStore& store, const std::string& rootKey) const
{
  if (store.Create(RecentFileListKey(rootKey)) != 0)
    return false;
  bool ok = true;
  for (std::size_t i = 0; i < kMaxEntries && ok; ++i)
    ok = store.WriteString(SlotName(i), i < m_entries.size() ? m_entries[i] : std::string()) == 0;
  store.Close();
  return ok;
}

} // namespace harness
