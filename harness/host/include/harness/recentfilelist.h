// The File menu's list of recently used suite files, newest first, kept in the settings store.
#pragma once

#include "harness/settings.h"

#include <cstddef>
#include <string>
#include <vector>

namespace harness {

// Where the list lives, below the root key; values "File1" to "File4".
std::string RecentFileListKey(const std::string& rootKey);

class CRecentFileList
{
public:
  static constexpr std::size_t kMaxEntries = 4;

  // Puts path first; an entry already in the list moves up instead of appearing twice, and
  // the oldest entry falls off the end.
  void Add(const std::string& path);
  // True when path was in the list.
  bool Remove(const std::string& path);
  const std::vector<std::string>& Entries() const { return m_entries; }

  // Missing or empty values are skipped; false when the key cannot be opened.
  bool Load(SettingsStore& store, const std::string& rootKey);
  // Writes every slot; the unused ones empty. False on the first failed write.
  bool Save(SettingsStore& store, const std::string& rootKey) const;

private:
  std::vector<std::string> m_entries;
};

} // namespace harness
