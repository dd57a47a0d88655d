// The preparation of a DOS run on real files, a private registry and real FAT images made with
// mkfs.fat and mtools: the start-up files in both families, the restart entries, the suite
// saved for the resume, every check of the boot floppy, and the undoing.
#include "harness/dospreparation.h"

#include "dosfixture.h"
#include "harness/dosstartfiles.h"
#include "harness/startup.h"
#include "platform/files.h"
#include "platform/floppy_files.h"
#include "platform/process.h"
#include "platform/reboot_program.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "plinth/testsuite.h"
#include "testsupport/fatimage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace {

using harness::BoxAnswer;
using harness::BoxButtons;
using harness::CDosPreparation;
using harness::DosPlaces;
using platform::PlatformFamily;
using testsupport::ReadAll;
using testsupport::WriteAll;

// Answers the floppy box with Cancel, everything else as an unattended run.
class CancellingPrompts : public testsupport::AnsweringPrompts
{
public:
  CancellingPrompts() : AnsweringPrompts(BoxButtons::OkCancel, BoxAnswer::Cancel) {}
};

class DosPreparationTest : public DosFixture
{
protected:
  CDosPreparation Make(harness::UserPrompts& prompts)
  {
    return CDosPreparation(DosPlaces::Current(m_ini), platform::GetPlatformFamily(),
                           platform::DosMachine::Emulator, m_strings, prompts, RecordingHooks());
  }

  bool MakeFloppy(bool bootable, const std::string& oldBatch = "")
  {
    std::filesystem::remove(m_image);
    bool made = testsupport::MakeFatImage(m_image, 1440, "1234ABCD");
    if (bootable)
      made = made &&
             testsupport::PutOnImage(m_image, m_folder.File("scratch"), "system", "::/COMMAND.COM");
    if (!oldBatch.empty())
      made = made &&
             testsupport::PutOnImage(m_image, m_folder.File("scratch"), "old", "::/" + oldBatch);
    return made;
  }

  std::vector<std::string> FloppyNames() const
  {
    std::vector<platform::FloppyEntry> entries;
    platform::FloppyFiles(m_image).List("A:\\*.*", entries);
    std::vector<std::string> names;
    for (const auto& entry : entries)
      names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
  }

  bool Logged(const std::string& line) const
  {
    return std::find(m_log.begin(), m_log.end(), line) != m_log.end();
  }
};

TEST_F(DosPreparationTest, StartFilesOnDiskInBothFamilies)
{
  struct Case
  {
    const char* family;
    const char* autoexec;
    const char* rebootBatchStart;
  };
  const Case cases[] = {
      {"NT", "PATH C:\\DOS\r\n\r\n\r\n@ECHO OFF\r\ncall Marlow.bat\r\ncall reboot.bat\r\n",
       "echo REM Created by Redi Devuzad > ~~Marlow.bat\r\n"},
      {"9x",
       "PATH C:\\DOS\r\n\r\ncall C:\\TMP\\~halvex\\Marlow.bat\r\ncall "
       "C:\\TMP\\~halvex\\reboot.bat\r\n"
       "copy C:\\CONFIG.BAK C:\\CONFIG.SYS\r\ndel C:\\CONFIG.BAK\r\n"
       "copy C:\\AUTOEXEC.BAK C:\\AUTOEXEC.BAT\r\ndel C:\\AUTOEXEC.BAK\r\n",
       "echo REM Created by Redi Devuzad > C:\\TMP\\~~Marlow.bat\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.family);
    m_dos.SetFamily(c.family);
    MarlowPrepared();
    testsupport::RecordingPrompts prompts;
    CDosPreparation preparation = Make(prompts);
    ASSERT_TRUE(preparation.PrepareAutoexec());
    EXPECT_EQ(ReadAll(m_dos.File("AUTOEXEC.BAT")), c.autoexec);
    const std::string batch = ReadAll(m_dos.BatchFile("reboot.bat"));
    EXPECT_EQ(batch.rfind(c.rebootBatchStart, 0), 0u) << batch;
    const std::string program = ReadAll(m_dos.BatchFile("reboot.com"));
    EXPECT_EQ(program, std::string(std::begin(platform::kRebootProgram),
                                   std::end(platform::kRebootProgram)));
    EXPECT_TRUE(m_log.empty());
  }
}

TEST_F(DosPreparationTest, RebootProgramOfTheDefinitionsFolderIsCopied)
{
  WriteAll(m_ini + "/reboot.com", "site's own");
  testsupport::RecordingPrompts prompts;
  ASSERT_TRUE(Make(prompts).PrepareRebootBatch());
  EXPECT_EQ(ReadAll(m_dos.BatchFile("reboot.com")), "site's own");
}

TEST_F(DosPreparationTest, NineXFamilyNeedsTheTemporaryFolderBelowTheSystemDrive)
{
  m_dos.SetFamily("9x");
  m_env.Set("TMPDIR", m_folder.File("elsewhere"));
  testsupport::RecordingPrompts prompts;
  EXPECT_FALSE(Make(prompts).PrepareAutoexec());
  ASSERT_EQ(m_log.size(), 1u);
  EXPECT_NE(m_log[0].find("DOS cannot reach the temporary folder"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(m_dos.File("AUTOEXEC.BAT")));
}

TEST_F(DosPreparationTest, RestartEntryForRunModeAndForTheWindow)
{
  testsupport::RecordingPrompts prompts;
  CDosPreparation preparation = Make(prompts);
  ASSERT_TRUE(preparation.SetRestartEntry(true, "/opt/halvex/bin/halvex", "/suites/My Suite.ts"));
  std::string line;
  ASSERT_EQ(platform::GetRunOnceValue("Start HALVEX Exe", line), 0);
  EXPECT_EQ(line, "/opt/halvex/bin/halvex -run \"/suites/My Suite.ts\"");

  ASSERT_TRUE(preparation.SetRestartEntry(false, "/opt/halvex/bin/halvex", "/suites/My Suite.ts"));
  const std::string entry = ReadAll(m_startup + "/Start HALVEX Exe.desktop");
  EXPECT_NE(entry.find("Exec=/opt/halvex/bin/halvex \"/suites/My Suite.ts\"\n"), std::string::npos)
      << entry;
  preparation.RemoveStartupEntry();
  EXPECT_FALSE(std::filesystem::exists(m_startup + "/Start HALVEX Exe.desktop"));
}

TEST_F(DosPreparationTest, ReadOnlySuiteIsSavedAsTheDefaultSuiteFile)
{
  testsupport::RecordingPrompts prompts;
  CDosPreparation preparation = Make(prompts);
  const std::string own = m_folder.File("own.ts");
  WriteAll(own, "old bytes");
  ASSERT_EQ(chmod(own.c_str(), 0444), 0);
  const std::string file = preparation.SuiteFileForResume(own);
  EXPECT_EQ(file, m_ini + "/Marlow.ts");
  EXPECT_EQ(preparation.SuiteFileForResume(m_folder.File("missing.ts")), m_ini + "/Marlow.ts");
  CTestSuite suite;
  suite.m_strName = "Memory";
  ASSERT_TRUE(preparation.SaveSuiteForResume(file, suite));
  EXPECT_NE(ReadAll(file).find("Memory"), std::string::npos);
  EXPECT_EQ(ReadAll(own), "old bytes");

  chmod(own.c_str(), 0644);
  EXPECT_EQ(preparation.SuiteFileForResume(own), own);
}

TEST_F(DosPreparationTest, UnsavableSuiteShowsTheBoxAndLogs)
{
  testsupport::RecordingPrompts prompts;
  CDosPreparation preparation = Make(prompts);
  CTestSuite suite;
  const std::string path = m_folder.File("no such folder/Marlow.ts");
  EXPECT_FALSE(preparation.SaveSuiteForResume(path, suite));
  ASSERT_EQ(prompts.requests.size(), 1u);
  EXPECT_NE(prompts.requests[0].text.find(path), std::string::npos);
  ASSERT_EQ(m_log.size(), 1u);
  EXPECT_EQ(m_log[0], "0 " + prompts.requests[0].text);
}

TEST_F(DosPreparationTest, NoFloppyDrive)
{
  testsupport::RecordingPrompts prompts;
  std::string root;
  EXPECT_FALSE(Make(prompts).FindFloppyDrive(root));
}

TEST_F(DosPreparationTest, BootFloppyGetsTheBatchFilesAndTheHardDiskIsRestored)
{
  MarlowPrepared();
  ASSERT_TRUE(MakeFloppy(true, "STALE.BAT"));
  testsupport::RecordingPrompts prompts;
  CDosPreparation preparation = Make(prompts);
  ASSERT_TRUE(preparation.PrepareAutoexec());
  std::string root;
  ASSERT_TRUE(preparation.FindFloppyDrive(root));
  EXPECT_EQ(root, "A:\\");
  ASSERT_TRUE(preparation.PrepareBootFloppy(root)) << ::testing::PrintToString(m_log);

  ASSERT_EQ(prompts.requests.size(), 1u);
  EXPECT_EQ(prompts.requests[0].buttons, BoxButtons::OkCancel);
  EXPECT_EQ(prompts.requests[0].text.rfind("\n\nInsert a Bootable Floppy Diskette in drive A:\\\n"
                                           "Select OK to continue.\n",
                                           0),
            0u);
  EXPECT_TRUE(m_enabled);
  EXPECT_EQ(FloppyNames(), (std::vector<std::string>{"AUTOEXEC.BAT", "COMMAND.COM", "Marlow.bat",
                                                     "Memor001.bat", "reboot.bat", "reboot.com"}));
  const std::string onFloppy = m_folder.File("autoexec.copy");
  ASSERT_EQ(platform::FloppyFiles(m_image).CopyFrom("A:\\AUTOEXEC.BAT", onFloppy, false), 0);
  EXPECT_EQ(ReadAll(onFloppy),
            "PATH C:\\DOS\r\n\r\n\r\n@ECHO OFF\r\ncall Marlow.bat\r\ncall reboot.bat\r\n");
  EXPECT_EQ(ReadAll(m_dos.File("AUTOEXEC.BAT")), "PATH C:\\DOS\r\n");
  EXPECT_FALSE(std::filesystem::exists(m_dos.File("AUTOEXEC.BAK")));
  EXPECT_TRUE(std::filesystem::is_empty(m_dos.BatchFolder()));
  ASSERT_GE(m_results.size(), 3u);
  EXPECT_EQ(m_results[0], "Checking for batch files in the floppy(drive A:\\)");
  EXPECT_EQ(m_results[1], "Deleting A:\\STALE.BAT");
  EXPECT_EQ(m_results[2], "Copying " + m_dos.BatchFile("Marlow.bat") + "  to  A:\\Marlow.bat");
}

TEST_F(DosPreparationTest, FloppyChecksStopThePreparation)
{
  struct Case
  {
    const char* name;
    std::function<bool()> floppy;
    const char* logged;
  };
  const Case cases[] = {
      {"no medium", [] { return true; }, "0 Floppy is not found in drive A:\\"},
      {"another file system",
       [this] {
         return testsupport::RunTool({"mkfs.ext2", "-q", "-F", m_image, "1440"});
       },
       "0 Invalid FAT file sytem on floppy"},
      {"not bootable", [this] { return MakeFloppy(false, "OLD.BAT"); },
       "0 Invalid MS DOS bootable floppy."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(m_image);
    WriteAll(m_image, ""); // a drive without a readable medium
    ASSERT_TRUE(c.floppy());
    MarlowPrepared();
    m_log.clear();
    m_results.clear();
    testsupport::RecordingPrompts prompts;
    CDosPreparation preparation = Make(prompts);
    std::string root;
    ASSERT_TRUE(preparation.FindFloppyDrive(root));
    EXPECT_FALSE(preparation.PrepareBootFloppy(root));
    EXPECT_EQ(m_log, (std::vector<std::string>{c.logged}));
    EXPECT_TRUE(m_enabled);
  }
  // The floppy without command.com has already lost its batch files.
  EXPECT_EQ(FloppyNames(), std::vector<std::string>{});
  EXPECT_EQ(m_results.back(), "Deleting A:\\OLD.BAT");
}

TEST_F(DosPreparationTest, FullFloppyStopsThePreparation)
{
  MarlowPrepared();
  ASSERT_TRUE(MakeFloppy(true));
  ASSERT_TRUE(testsupport::PutOnImage(m_image, m_folder.File("scratch"),
                                      std::string(1440 * 1024 - 40 * 1024, 'x'), "::/FILLER.BIN"));
  testsupport::RecordingPrompts prompts;
  CDosPreparation preparation = Make(prompts);
  ASSERT_TRUE(preparation.PrepareAutoexec());
  std::string root;
  ASSERT_TRUE(preparation.FindFloppyDrive(root));
  // Fill what is left, a cluster at a time, so that AUTOEXEC.BAT finds no room.
  WriteAll(m_folder.File("cluster"), std::string(512, 'y'));
  bool full = false;
  for (int i = 0; i < 200 && !full; ++i) {
    platform::ProgramResult result;
    platform::ProcessError error;
    ASSERT_TRUE(platform::RunProgram(
        {"mcopy", "-i", m_image, m_folder.File("cluster"), "::/F" + std::to_string(i) + ".BIN"},
        60000, result, error));
    full = result.exitCode != 0;
  }
  ASSERT_TRUE(full);
  EXPECT_FALSE(preparation.PrepareBootFloppy(root));
  ASSERT_EQ(m_log.size(), 1u);
  EXPECT_EQ(m_log[0].rfind("0 AUTOEXEC.BAT cannot be copied to the floppy", 0), 0u) << m_log[0];
  EXPECT_TRUE(m_enabled);
}

TEST_F(DosPreparationTest, CancelledFloppyBox)
{
  ASSERT_TRUE(MakeFloppy(true));
  CancellingPrompts prompts;
  CDosPreparation preparation = Make(prompts);
  std::string root;
  ASSERT_TRUE(preparation.FindFloppyDrive(root));
  EXPECT_FALSE(preparation.PrepareBootFloppy(root));
  EXPECT_EQ(m_log, (std::vector<std::string>{"0 DOS tests execution is canceled."}));
}

TEST_F(DosPreparationTest, UndoTakesThePreparationBack)
{
  MarlowPrepared();
  testsupport::RecordingPrompts prompts;
  CDosPreparation preparation = Make(prompts);
  ASSERT_TRUE(preparation.PrepareAutoexec());
  ASSERT_TRUE(preparation.SetRestartEntry(false, "/bin/halvex", "/s.ts"));
  ASSERT_TRUE(preparation.SetRestartEntry(true, "/bin/halvex", "/s.ts"));

  preparation.UndoDosPreparation();
  EXPECT_FALSE(std::filesystem::exists(m_startup + "/Start HALVEX Exe.desktop"));
  std::string line;
  EXPECT_NE(platform::GetRunOnceValue("Start HALVEX Exe", line), 0);
  EXPECT_EQ(ReadAll(m_dos.BatchFile("Marlow.bat")), "");
  EXPECT_FALSE(std::filesystem::exists(m_dos.BatchFile("Memor001.bat")));
  EXPECT_FALSE(std::filesystem::exists(m_dos.BatchFile("reboot.bat")));
  EXPECT_TRUE(std::filesystem::exists(m_dos.BatchFile("reboot.com")));
  EXPECT_EQ(m_status, std::vector<std::string>{"Prebootbatch (memory too)"});
  EXPECT_EQ(ReadAll(m_dos.File("AUTOEXEC.BAT")), "PATH C:\\DOS\r\n");
  EXPECT_TRUE(std::filesystem::exists(m_dos.File("AUTOEXEC.BAK")));
}

// A start with no DOS run pending takes back only what is plainly left over: start lines after
// the backup; an AUTOEXEC.BAT the engineer changed since stays, however old its backup.
TEST_F(DosPreparationTest, StartWithNothingPendingTakesBackOnlyLeftOvers)
{
  const std::string machine = "PATH C:\\DOS\r\n";
  const std::string startLines = "\r\n\r\n@ECHO OFF\r\ncall Marlow.bat\r\ncall reboot.bat\r\n";
  struct Case
  {
    const char* name;
    const char* family;
    std::string autoexec;
    std::string expectedAutoexec;
    bool backupStays;
    std::string expectedConfig;
  };
  const Case cases[] = {
      {"unrun start lines, NT", "NT", machine + startLines, machine, false, "FILES=40\r\n"},
      {"unrun start lines, 9x", "9x", machine + startLines, machine, false, "FILES=30\r\n"},
      {"changed by the engineer", "NT", "PATH C:\\DOS;C:\\UTIL\r\n", "PATH C:\\DOS;C:\\UTIL\r\n",
       true, "FILES=40\r\n"},
      {"as its backup", "9x", machine, machine, true, "FILES=40\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_dos.SetFamily(c.family);
    MarlowPrepared();
    WriteAll(m_dos.File("AUTOEXEC.BAT"), c.autoexec);
    WriteAll(m_dos.File("CONFIG.SYS"), "FILES=40\r\n");
    WriteAll(m_dos.File("CONFIG.BAK"), "FILES=30\r\n");
    WriteAll(m_startup + "/Start HALVEX Exe.desktop", "[Desktop Entry]\n");
    testsupport::RecordingPrompts prompts;
    Make(prompts).ClearInterruptedPreparation();
    EXPECT_EQ(ReadAll(m_dos.File("AUTOEXEC.BAT")), c.expectedAutoexec);
    EXPECT_EQ(std::filesystem::exists(m_dos.File("AUTOEXEC.BAK")), c.backupStays);
    EXPECT_EQ(ReadAll(m_dos.File("CONFIG.SYS")), c.expectedConfig);
    EXPECT_FALSE(ShortcutExists());
    EXPECT_EQ(ReadAll(m_dos.BatchFile("Marlow.bat")), "");
    EXPECT_FALSE(std::filesystem::exists(m_dos.BatchFile("Memor001.bat")));
  }
}

} // namespace
