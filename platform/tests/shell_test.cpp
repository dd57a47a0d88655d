#include "platform/shell.h"

#include "platform/files.h"
#include "platform/registry.h"

#include "testsupport/fatimage.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace platform;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class ShellTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    setenv("HALVEX_REGISTRY", folder_.File("registry.db").c_str(), 1);
    startup_ = folder_.File("config/autostart");
  }
  void TearDown() override { unsetenv("HALVEX_REGISTRY"); }

  // A script that appends its arguments to `record`, one call a line.
  std::string RecordingScript(const std::string& name, const std::string& record)
  {
    const std::string script = folder_.File(name);
    std::ofstream(script) << "#!/bin/sh\necho \"$@\" >> '" << record << "'\n";
    fs::permissions(script, fs::perms::owner_all);
    return script;
  }

  // Started programs run in the background: wait for their trace.
  std::string WaitForText(const std::string& path, std::size_t lines)
  {
    std::string text;
    for (int i = 0; i < 500; ++i) {
      text = ReadAll(path);
      if (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) >= lines) {
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return text;
  }

  testsupport::TempFolder folder_;
  std::string startup_;
};

} // namespace

TEST(StartupShortcutTest, FileNames)
{
  const struct
  {
    const char* name;
    const char* file;
  } cases[] = {
      {"Start HALVEX Exe", "Start HALVEX Exe.desktop"},
      {"Start HALVEX Exe.lnk", "Start HALVEX Exe.desktop"},
      {"X.LNK", "X.desktop"},
      {"x.desktop", "x.desktop"},
      {"a.lnk.txt", "a.lnk.txt.desktop"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(StartupShortcutFileName(c.name), c.file);
  }
}

TEST_F(ShellTest, ShortcutIsWrittenByteForByteAndRemoved)
{
  ASSERT_EQ(CreateStartupShortcut(startup_, "Start HALVEX Exe", "\"/opt/my halvex/bin/halvex\"",
                                  "\"/home/lab/Suites/DOS 100%.ts\""),
            0);
  const std::string file = startup_ + "/Start HALVEX Exe.desktop";
  EXPECT_EQ(ReadAll(file), "[Desktop Entry]\n"
                           "Type=Application\n"
                           "Version=1.0\n"
                           "Name=Start HALVEX Exe\n"
                           "Exec=\"/opt/my halvex/bin/halvex\" "
                           "\"/home/lab/Suites/DOS 100%%.ts\"\n"
                           "Terminal=false\n"
                           "X-Halvex-Shortcut=true\n");
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                fs::perms::others_read);

  // Plain paths stay bare; a second write replaces the entry whole.
  ASSERT_EQ(CreateStartupShortcut(startup_, "Start HALVEX Exe.lnk", "/opt/halvex/bin/halvex",
                                  "-run /tmp/a.ts"),
            0);
  EXPECT_EQ(ReadAll(file), "[Desktop Entry]\nType=Application\nVersion=1.0\n"
                           "Name=Start HALVEX Exe\n"
                           "Exec=/opt/halvex/bin/halvex -run /tmp/a.ts\n"
                           "Terminal=false\nX-Halvex-Shortcut=true\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(startup_), fs::directory_iterator()), 1)
      << "no temporary file left behind";

  EXPECT_EQ(RemoveStartupShortcut(startup_, "Start HALVEX Exe"), 0);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(RemoveStartupShortcut(startup_, "Start HALVEX Exe"), kErrorFileNotFound);
  for (const char* bad : {"", ".lnk", "../escape", "a/b"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(CreateStartupShortcut(startup_, bad, "/bin/true", ""), kErrorInvalidName);
  }
  EXPECT_FALSE(fs::exists(folder_.File("config/escape.desktop")));
}

TEST_F(ShellTest, StartupFolderComesFromTheRegistry)
{
  std::string folder = "unchanged";
  EXPECT_EQ(GetStartupFolder(folder), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(folder, "unchanged");
  ASSERT_EQ(RegSetString(HKEY_CURRENT_USER, kShellFoldersKey, kStartupValue, startup_),
            ERROR_SUCCESS);
  EXPECT_EQ(GetStartupFolder(folder), ERROR_SUCCESS);
  EXPECT_EQ(folder, startup_);

  setenv("XDG_CONFIG_HOME", folder_.File("xdg").c_str(), 1);
  EXPECT_EQ(DefaultStartupFolder(), folder_.File("xdg") + "/autostart");
  unsetenv("XDG_CONFIG_HOME");
}

TEST_F(ShellTest, LogInStartsOurShortcutsOnly)
{
  const std::string record = folder_.File("started.txt");
  const std::string script = RecordingScript("restart entry.sh", record);
  ASSERT_EQ(CreateStartupShortcut(startup_, "B entry", script, "\"the suite.ts\""), 0);
  ASSERT_EQ(CreateStartupShortcut(startup_, "A entry", script, "first"), 0);
  // Someone else's entry and a hidden one of ours stay untouched.
  std::ofstream(startup_ + "/other.desktop")
      << "[Desktop Entry]\nType=Application\nExec=" << script << " other\n";
  std::ofstream(startup_ + "/hidden.desktop")
      << "[Desktop Entry]\nType=Application\nExec=" << script
      << " hidden\nHidden=true\nX-Halvex-Shortcut=true\n";
  std::ofstream(startup_ + "/broken.desktop")
      << "[Desktop Entry]\nType=Application\nExec=\"" << script << "\nX-Halvex-Shortcut=true\n";

  std::vector<StartedProgram> started;
  ASSERT_EQ(StartStartupShortcuts(startup_, started), 0);
  ASSERT_EQ(started.size(), 3u);
  EXPECT_EQ(started[0].source, startup_ + "/A entry.desktop");
  EXPECT_EQ(started[0].words, (std::vector<std::string>{script, "first"}));
  EXPECT_EQ(started[0].error, 0);
  EXPECT_EQ(started[1].source, startup_ + "/B entry.desktop");
  EXPECT_EQ(started[2].source, startup_ + "/broken.desktop");
  EXPECT_EQ(started[2].error, kErrorInvalidParameter);
  std::string text = WaitForText(record, 2);
  EXPECT_TRUE(text == "first\nthe suite.ts\n" || text == "the suite.ts\nfirst\n") << text;

  EXPECT_EQ(StartStartupShortcuts(folder_.File("none"), started), kErrorPathNotFound);
  fs::create_directories(folder_.File("empty"));
  EXPECT_EQ(StartStartupShortcuts(folder_.File("empty"), started), 0);
  EXPECT_TRUE(started.empty());
}

TEST_F(ShellTest, RunOnceValuesRunOnceEach)
{
  const std::string record = folder_.File("run once.txt");
  const std::string script = RecordingScript("run once.sh", record);
  EXPECT_EQ(RunOnceCommandLine(script, "-run \"a b.ts\""), "\"" + script + "\" -run \"a b.ts\"");
  EXPECT_EQ(RunOnceCommandLine("/opt/halvex/bin/halvex", "-run x.ts"),
            "/opt/halvex/bin/halvex -run x.ts");

  std::vector<StartedProgram> started;
  EXPECT_EQ(RunRunOnceValues(true, started), ERROR_SUCCESS) << "no key: nothing to run";
  EXPECT_TRUE(started.empty());

  ASSERT_EQ(SetRunOnceValue("Start HALVEX Exe", RunOnceCommandLine(script, "-run \"a b.ts\"")),
            ERROR_SUCCESS);
  ASSERT_EQ(SetRunOnceValue("Another", RunOnceCommandLine(script, "second")), ERROR_SUCCESS);
  ASSERT_EQ(SetRunOnceValue("Missing", folder_.File("no-such-program")), ERROR_SUCCESS);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, kRunOnceKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  const DWORD number = 7;
  ASSERT_EQ(RegSetValueEx(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                          sizeof number),
            ERROR_SUCCESS);
  RegCloseKey(key);
  std::string text;
  EXPECT_EQ(GetRunOnceValue("start halvex exe", text), ERROR_SUCCESS);
  EXPECT_EQ(text, "\"" + script + "\" -run \"a b.ts\"");

  ASSERT_EQ(RunRunOnceValues(true, started), ERROR_SUCCESS);
  ASSERT_EQ(started.size(), 4u);
  const struct
  {
    const char* name;
    int error;
  } expected[] = {{"Another", 0},
                  {"Missing", kErrorFileNotFound},
                  {"Number", ERROR_INVALID_DATA},
                  {"Start HALVEX Exe", 0}};
  for (std::size_t i = 0; i < started.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(started[i].source, expected[i].name);
    EXPECT_EQ(started[i].error, expected[i].error);
  }
  EXPECT_EQ(ReadAll(record), "second\n-run a b.ts\n") << "waited for each, in order";

  EXPECT_EQ(RunRunOnceValues(true, started), ERROR_SUCCESS);
  EXPECT_TRUE(started.empty()) << "every value was deleted, the failed ones too";
  EXPECT_EQ(ReadAll(record), "second\n-run a b.ts\n");

  ASSERT_EQ(SetRunOnceValue("Gone", "x"), ERROR_SUCCESS);
  EXPECT_EQ(DeleteRunOnceValue("Gone"), ERROR_SUCCESS);
  EXPECT_EQ(DeleteRunOnceValue("Gone"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetRunOnceValue("Gone", text), ERROR_FILE_NOT_FOUND);
}
