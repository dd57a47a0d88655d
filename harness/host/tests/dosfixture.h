// A private DOS machine for the preparation tests: registry, system drive, batch folder,
// Startup folder, floppy image path, the state Marlow leaves after preparing one test case, and
// hooks that record what the preparation tells the windows.
#pragma once

#include "harness/dospreparation.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "testsupport/doslayout.h"
#include "testsupport/hostsupport.h"
#include "testsupport/privateregistry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

class DosFixture : public ::testing::Test
{
protected:
  DosFixture()
  {
    std::filesystem::create_directories(m_ini);
    std::filesystem::create_directories(m_dos.BatchFolder());
    EXPECT_EQ(platform::RegSetString(platform::HKEY_CURRENT_USER, platform::kShellFoldersKey,
                                     platform::kStartupValue, m_startup),
              platform::ERROR_SUCCESS);
    m_env.Set("HALVEX_FLOPPY", m_image);
  }

  harness::DosPreparationHooks RecordingHooks()
  {
    harness::DosPreparationHooks hooks;
    hooks.log = [this](unsigned level, const std::string& text) {
      m_log.push_back(std::to_string(level) + " " + text);
    };
    hooks.addResultLine = [this](const std::string& line) { m_results.push_back(line); };
    hooks.enableWindow = [this](bool enable) { m_enabled = enable; };
    hooks.storeStatus = [this](const std::string& status, bool inMemory) {
      m_status.push_back(status + (inMemory ? " (memory too)" : ""));
    };
    return hooks;
  }

  // The batch list, a numbered batch file and the backup of AUTOEXEC.BAT.
  void MarlowPrepared()
  {
    testsupport::WriteAll(m_dos.BatchFile("Marlow.bat"), "\r\ncall Memor001.bat");
    testsupport::WriteAll(m_dos.BatchFile("Memor001.bat"), "echo numbered\r\n");
    testsupport::WriteAll(m_dos.File("AUTOEXEC.BAT"), "PATH C:\\DOS\r\n");
    testsupport::WriteAll(m_dos.File("AUTOEXEC.BAK"), "PATH C:\\DOS\r\n");
  }

  bool ShortcutExists() const
  {
    return std::filesystem::exists(m_startup + "/Start HALVEX Exe.desktop");
  }

  testsupport::TempFolder m_folder;
  testsupport::PrivateRegistry m_registry{m_folder};
  testsupport::DosLayout m_dos{m_folder};
  testsupport::ScopedEnvironment m_env;
  harness::StringTable m_strings = testsupport::HarnessStrings();
  std::string m_ini = m_folder.File("DRIVE_C/DEFS");
  std::string m_startup = m_folder.File("autostart");
  std::string m_image = m_folder.File("floppy.img");
  std::vector<std::string> m_log;
  std::vector<std::string> m_results;
  std::vector<std::string> m_status;
  bool m_enabled = true;
};
