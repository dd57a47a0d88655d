// A resource library ("Halvex.lrc", "Plinth.lrc"): a Qt binary resource file with a string
// table by number and icons, registered under its own root while loaded.
#pragma once

#include "harness/stringtable.h"

#include <QIcon>
#include <QString>

namespace harness {

class CResourceLibrary
{
public:
  CResourceLibrary() = default;
  ~CResourceLibrary();
  CResourceLibrary(const CResourceLibrary&) = delete;
  CResourceLibrary& operator=(const CResourceLibrary&) = delete;

  // Registers `path` under ":/<root>" and reads its "strings.txt". False with a reason in
  // `error` when the file is missing, not a resource file, or its string table is bad.
  bool Load(const QString& path, const QString& root, QString& error);
  void Unload();
  bool IsLoaded() const { return m_bLoaded; }

  const StringTable& Strings() const { return m_strings; }
  // The icon ":/<root>/icons/<name>.png"; a null icon when the library has none.
  QIcon Icon(const QString& name) const;
  // The UTF-8 text of ":/<root>/<name>"; empty when the library has no such file.
  QString TextFile(const QString& name) const;

private:
  QString m_path;
  QString m_root;
  bool m_bLoaded = false;
  StringTable m_strings;
};

} // namespace harness
