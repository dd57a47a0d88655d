// The end of a preparation pass with its restart: real files, a private registry, FAT images
// made by the test, and the restart command a script of the test that records each request.
#include "harness/dosbootrestart.h"

#include "dosfixture.h"
#include "harness/startup.h"
#include "platform/files.h"
#include "platform/floppy_files.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "plinth/testsuite.h"
#include "testsupport/fatimage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using harness::BoxAnswer;
using harness::BoxButtons;
using testsupport::ReadAll;
using testsupport::WriteAll;

// Answers every question No, every other box as an unattended run.
class DecliningPrompts : public testsupport::AnsweringPrompts
{
public:
  DecliningPrompts() : AnsweringPrompts(BoxButtons::YesNo, BoxAnswer::No) {}
};

class DosBootRestartTest : public DosFixture
{
protected:
  DosBootRestartTest()
  {
    const std::string script = m_folder.File("restart.sh");
    WriteAll(script, "#!/bin/sh\necho restart \"$@\" >> '" + m_requests + "'\nexit $(cat '" +
                         m_refuse + "' 2>/dev/null || echo 0)\n");
    chmod(script.c_str(), 0755);
    m_env.Set("HALVEX_RESTART_COMMAND", script);
    MarlowPrepared();
    m_suite.m_strName = "Memory";
  }

  harness::CDosBootRestart Make(harness::UserPrompts& prompts)
  {
    harness::DosBootHooks hooks;
    hooks.preparation = RecordingHooks();
    hooks.clearModifiedFlags = [this] { ++m_cleared; };
    hooks.closeMainWindow = [this] { ++m_closed; };
    return harness::CDosBootRestart(harness::DosPlaces::Current(m_ini),
                                    platform::GetPlatformFamily(), platform::DosMachine::Emulator,
                                    m_strings, prompts, hooks, "/opt/halvex/bin/halvex");
  }

  harness::DosPreparation Preparation(int debugLevel = 0, bool runMode = false)
  {
    harness::DosPreparation preparation;
    preparation.suite = &m_suite;
    preparation.suiteFilePath = m_suiteFile;
    preparation.debugLevel = debugLevel;
    preparation.runMode = runMode;
    return preparation;
  }

  void MakeBootFloppy()
  {
    ASSERT_TRUE(testsupport::MakeFatImage(m_image, 1440, "1234ABCD"));
    ASSERT_TRUE(
        testsupport::PutOnImage(m_image, m_folder.File("scratch"), "system", "::/COMMAND.COM"));
  }

  std::string Requests() const
  {
    return std::filesystem::exists(m_requests) ? ReadAll(m_requests) : "";
  }
  std::string m_requests = m_folder.File("requests.txt");
  std::string m_refuse = m_folder.File("refuse");
  std::string m_suiteFile = m_folder.File("memory.ts");
  CTestSuite m_suite;
  int m_cleared = 0;
  int m_closed = 0;
};

TEST_F(DosBootRestartTest, NtFamilyPreparesTheFloppyAndRestarts)
{
  MakeBootFloppy();
  WriteAll(m_suiteFile, "older bytes");
  testsupport::RecordingPrompts prompts;
  auto restart = Make(prompts);
  EXPECT_TRUE(restart.AfterPreparationPass(Preparation()));
  EXPECT_TRUE(m_log.empty()) << ::testing::PrintToString(m_log);
  EXPECT_EQ(Requests(), "restart\n");
  EXPECT_EQ(m_status, std::vector<std::string>{"BatchResume"});
  EXPECT_EQ(m_cleared, 1);
  EXPECT_FALSE(m_enabled);
  EXPECT_EQ(m_closed, 0);
  EXPECT_NE(ReadAll(m_suiteFile).find("Memory"), std::string::npos);
  EXPECT_NE(ReadAll(m_startup + "/Start HALVEX Exe.desktop")
                .find("Exec=/opt/halvex/bin/halvex " + m_suiteFile + "\n"),
            std::string::npos);
  platform::FloppyEntry entry;
  EXPECT_EQ(platform::FloppyFiles(m_image).Find("A:\\Memor001.bat", entry), 0);
}

TEST_F(DosBootRestartTest, NoRemovableDriveUndoesThePreparation)
{
  testsupport::RecordingPrompts prompts;
  auto restart = Make(prompts);
  EXPECT_FALSE(restart.AfterPreparationPass(Preparation()));
  EXPECT_EQ(m_log, std::vector<std::string>{"0 Floppy Drive is not Found. Unable to Run Tests"});
  EXPECT_FALSE(ShortcutExists());
  EXPECT_EQ(ReadAll(m_dos.BatchFile("Marlow.bat")), "");
  EXPECT_FALSE(std::filesystem::exists(m_dos.BatchFile("Memor001.bat")));
  EXPECT_FALSE(std::filesystem::exists(m_dos.BatchFile("reboot.bat")));
  EXPECT_EQ(m_status, (std::vector<std::string>{"BatchResume", "Prebootbatch (memory too)"}));
  EXPECT_EQ(ReadAll(m_dos.File("AUTOEXEC.BAT")), "PATH C:\\DOS\r\n");
  EXPECT_TRUE(m_enabled);
  EXPECT_EQ(Requests(), "");
}

TEST_F(DosBootRestartTest, NineXFamilyAsksForNoFloppy)
{
  m_dos.SetFamily("9x");
  testsupport::RecordingPrompts prompts;
  auto restart = Make(prompts);
  EXPECT_TRUE(restart.AfterPreparationPass(Preparation()));
  EXPECT_TRUE(prompts.requests.empty());
  EXPECT_EQ(Requests(), "restart\n");
  EXPECT_NE(ReadAll(m_dos.File("AUTOEXEC.BAT")).find("call C:\\TMP\\~halvex\\Marlow.bat\r\n"),
            std::string::npos);
}

TEST_F(DosBootRestartTest, DebugQuestionAnsweredNoLeavesEverythingPrepared)
{
  m_dos.SetFamily("9x");
  DecliningPrompts prompts;
  auto restart = Make(prompts);
  EXPECT_TRUE(restart.AfterPreparationPass(Preparation(2)));
  ASSERT_EQ(prompts.requests.size(), 1u);
  EXPECT_EQ(prompts.requests[0].text, "DEBUG:Boot to DOS and run tests now?");
  EXPECT_EQ(Requests(), "");
  EXPECT_EQ(m_status, std::vector<std::string>{"BatchResume"});
  EXPECT_TRUE(ShortcutExists());
  EXPECT_TRUE(std::filesystem::exists(m_dos.BatchFile("Memor001.bat")));
  EXPECT_TRUE(std::filesystem::exists(m_dos.BatchFile("reboot.bat")));
  EXPECT_EQ(m_cleared, 0);
  EXPECT_TRUE(m_enabled);
}

TEST_F(DosBootRestartTest, ReadOnlySuiteResumesFromTheDefaultSuiteFileInRunMode)
{
  m_dos.SetFamily("9x");
  WriteAll(m_suiteFile, "kept");
  chmod(m_suiteFile.c_str(), 0444);
  testsupport::RecordingPrompts prompts;
  auto restart = Make(prompts);
  EXPECT_TRUE(restart.AfterPreparationPass(Preparation(0, true)));
  EXPECT_EQ(ReadAll(m_suiteFile), "kept");
  EXPECT_NE(ReadAll(m_ini + "/Marlow.ts").find("Memory"), std::string::npos);
  std::string line;
  ASSERT_EQ(platform::GetRunOnceValue("Start HALVEX Exe", line), 0);
  EXPECT_EQ(line, "/opt/halvex/bin/halvex -run \"" + m_ini + "/Marlow.ts\"");
  EXPECT_FALSE(ShortcutExists());
}

TEST_F(DosBootRestartTest, RefusedRestart)
{
  struct Case
  {
    const char* name;
    bool forceAnswer;
    const char* requests;
    const char* box;
  };
  const Case cases[] = {
      {"forced retry refused too", true, "restart\nrestart --force\n",
       "Failed to shutdown/restart the system. Close all the applications and restart the system "
       "to run tests"},
      {"force declined", false, "restart\n",
       "Test Harnes is being closed. Restart the system to execute DOS tests"},
  };
  m_dos.SetFamily("9x");
  WriteAll(m_refuse, "1");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(m_requests);
    m_closed = 0;
    testsupport::RecordingPrompts yes;
    DecliningPrompts no;
    harness::UserPrompts& prompts = c.forceAnswer ? static_cast<harness::UserPrompts&>(yes) : no;
    auto restart = Make(prompts);
    EXPECT_TRUE(restart.AfterPreparationPass(Preparation()));
    EXPECT_EQ(Requests(), c.requests);
    const auto& asked = c.forceAnswer ? yes.requests : no.requests;
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].text.rfind("Failed to shutdown/restart the system.\nDo you want", 0), 0u);
    EXPECT_EQ(asked[1].text, c.box);
    EXPECT_EQ(m_closed, 1);
  }
}

TEST_F(DosBootRestartTest, CollectionPassRemovesTheShortcut)
{
  m_dos.SetFamily("9x");
  DecliningPrompts prompts;
  auto restart = Make(prompts);
  ASSERT_TRUE(restart.AfterPreparationPass(Preparation(1)));
  ASSERT_TRUE(ShortcutExists());
  restart.RemoveRestartEntry();
  EXPECT_FALSE(ShortcutExists());
}

} // namespace

namespace {

// The whole journey on this machine: the preparation makes the boot floppy, halvex-dosbox (the
// restart command) boots it in DOSBox, DOS runs the batch list, shows the floppy notice and gets
// its key press, our reboot program restarts, and the log-in starts the restart entry.
TEST_F(DosBootRestartTest, EmulatedDosPassRunsTheBatchesAndStartsTheHarnessAgain)
{
  const std::string build = std::getenv("HALVEX_BUILD_DIR") ? std::getenv("HALVEX_BUILD_DIR") : "";
  ASSERT_FALSE(build.empty()) << "run through ctest";
  const std::string rootKey =
      platform::ReadProfileString(build + "/bin/halvex.ini", "General", "RegistryKey");
  ASSERT_EQ(platform::RegSetString(platform::HKEY_LOCAL_MACHINE, rootKey, "DosMachine", "emulator"),
            platform::ERROR_SUCCESS);
  m_env.Set("HALVEX_RESTART_COMMAND", build + "/bin/halvex-dosbox --foreground --timeout 60");
  WriteAll(m_dos.BatchFile("Memor001.bat"), "echo [ Pass] DOS ran the batch> C:\\DOSTEST.LOG\r\n");
  MakeBootFloppy();
  WriteAll(m_suiteFile, "older bytes");
  // The program the restart entry starts again stands for the harness.
  const std::string harness = m_folder.File("harness.sh");
  WriteAll(harness, "#!/bin/sh\necho \"resumed $*\" >> '" + m_folder.File("resumed") + "'\n");
  chmod(harness.c_str(), 0755);

  testsupport::RecordingPrompts prompts;
  harness::DosBootHooks hooks;
  hooks.preparation = RecordingHooks();
  harness::CDosBootRestart restart(harness::DosPlaces::Current(m_ini), platform::PlatformFamily::NT,
                                   platform::DosMachine::Emulator, m_strings, prompts, hooks,
                                   harness);
  EXPECT_TRUE(restart.AfterPreparationPass(Preparation()));
  EXPECT_TRUE(m_log.empty()) << ::testing::PrintToString(m_log);

  EXPECT_EQ(ReadAll(m_dos.File("DOSTEST.LOG")), "[ Pass] DOS ran the batch\r\n");
  // The hand-over batch put the remark over the reboot batch: the next boot does not restart.
  const std::string rebootBatch = m_folder.File("reboot.after");
  ASSERT_EQ(platform::FloppyFiles(m_image).CopyFrom("A:\\reboot.bat", rebootBatch, false), 0);
  EXPECT_EQ(ReadAll(rebootBatch), "REM Created by Redi Devuzad\r\n");
  // Resumed at the log-in (started in the background: wait for it).
  for (int i = 0; i < 100 && !std::filesystem::exists(m_folder.File("resumed")); ++i)
    usleep(100000);
  EXPECT_EQ(ReadAll(m_folder.File("resumed")), "resumed " + m_suiteFile + "\n");
}

} // namespace

namespace {

// A run's restart is made at the first preparation or collection pass, and once.
TEST(DeferredDosRestartTest, MadeAtFirstUseOnly)
{
  struct Counting : harness::DosRestart
  {
    explicit Counting(int& removed) : m_removed(removed) {}
    bool AfterPreparationPass(const harness::DosPreparation&) override { return false; }
    void RemoveRestartEntry() override { ++m_removed; }
    int& m_removed;
  };
  int made = 0;
  int removed = 0;
  harness::CDeferredDosRestart restart([&] {
    ++made;
    return std::make_unique<Counting>(removed);
  });
  EXPECT_EQ(made, 0);
  restart.RemoveRestartEntry();
  EXPECT_FALSE(restart.AfterPreparationPass({}));
  EXPECT_EQ(made, 1);
  EXPECT_EQ(removed, 1);
}

// Unattended, the floppy box takes its first button, OK, and says so.
TEST(UnattendedPromptsTest, OkCancelBoxTakesOk)
{
  std::ostringstream out;
  harness::UnattendedPrompts prompts(out);
  EXPECT_EQ(prompts.Ask({"Insert", harness::BoxIcon::Information, BoxButtons::OkCancel,
                         BoxAnswer::Ok, false}),
            BoxAnswer::Ok);
  EXPECT_EQ(out.str(), "halvex: information: Insert [ok]\n");
}

} // namespace
