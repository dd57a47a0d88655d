// A private DOS machine for one test: the system drive folder (DOS's C:, HALVEX_SYSTEM_ROOT)
// with the temporary folder (TMPDIR) below it, so that DOS reaches the batch folder on both
// families, and the family by HALVEX_PLATFORM_FAMILY. Everything is put back at the end.
#pragma once

#include "testsupport/scopedenvironment.h"
#include "testsupport/tempfolder.h"

#include <filesystem>
#include <string>

namespace testsupport {

class DosLayout
{
public:
  explicit DosLayout(const TempFolder& folder)
      : m_root(folder.File("DRIVE_C")), m_temp(m_root + "/TMP")
  {
    std::filesystem::create_directories(m_temp);
    m_env.Set("HALVEX_SYSTEM_ROOT", m_root);
    m_env.Set("TMPDIR", m_temp);
    SetFamily("NT");
  }

  // "NT" or "9x".
  void SetFamily(const std::string& family) { m_env.Set("HALVEX_PLATFORM_FAMILY", family); }

  const std::string& Root() const { return m_root; }
  std::string File(const std::string& name) const { return m_root + "/" + name; }
  std::string BatchFolder() const { return m_temp + "/~halvex"; }
  std::string BatchFile(const std::string& name) const { return BatchFolder() + "/" + name; }

private:
  std::string m_root;
  std::string m_temp;
  ScopedEnvironment m_env;
};

} // namespace testsupport
