// halvex-dosbox as the harness starts it: a real DOSBox under Xvfb on FAT images and a system
// root made here, real batch files run by DOS, and restart entries that are real scripts.
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/reboot_program.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/volumes.h"

#include "testsupport/fatimage.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace testsupport;

namespace {

// DOS text: every line ends with CR LF.
std::string DosText(const std::vector<std::string>& lines)
{
  std::string text;
  for (const auto& line : lines) {
    text += line + "\r\n";
  }
  return text;
}

class HalvexDosboxTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    const char* build = std::getenv("HALVEX_BUILD_DIR");
    ASSERT_NE(build, nullptr) << "run through ctest";
    program_ = (fs::path(build) / "bin/halvex-dosbox").string();
    rootKey_ = platform::ReadProfileString((fs::path(build) / "bin/halvex.ini").string(), "General",
                                           "RegistryKey");
    ASSERT_FALSE(rootKey_.empty());
    root_ = folder_.File("drive_c");
    fs::create_directories(root_ + "/LOGS");
    fs::create_directories(folder_.File("tmp"));
    floppy_ = folder_.File("floppy.img");
    setenv("HALVEX_REGISTRY", folder_.File("registry.db").c_str(), 1);
    setenv("HALVEX_SYSTEM_ROOT", root_.c_str(), 1);
    setenv("HALVEX_FLOPPY", floppy_.c_str(), 1);
    setenv("TMPDIR", folder_.File("tmp").c_str(), 1);
    unsetenv("HALVEX_PLATFORM_FAMILY");
    ASSERT_EQ(
        platform::RegSetString(platform::HKEY_LOCAL_MACHINE, rootKey_, "DosMachine", "emulator"),
        platform::ERROR_SUCCESS);
    ASSERT_EQ(platform::RegSetString(platform::HKEY_CURRENT_USER, platform::kShellFoldersKey,
                                     platform::kStartupValue, folder_.File("autostart")),
              platform::ERROR_SUCCESS);
    // The restart entry: a script that records how it was started.
    entry_ = folder_.File("restart entry.sh");
    std::ofstream(entry_) << "#!/bin/sh\necho \"resumed $*\" >> '" << folder_.File("resumed")
                          << "'\n";
    fs::permissions(entry_, fs::perms::owner_all);
  }
  void TearDown() override
  {
    for (const char* name : {"HALVEX_REGISTRY", "HALVEX_SYSTEM_ROOT", "HALVEX_FLOPPY", "TMPDIR",
                             "HALVEX_PLATFORM_FAMILY", "HALVEX_RESTART_COMMAND"}) {
      unsetenv(name);
    }
  }

  platform::ProgramResult RunProgram(const std::vector<std::string>& arguments)
  {
    std::vector<std::string> words = {program_};
    words.insert(words.end(), arguments.begin(), arguments.end());
    platform::ProgramResult result;
    platform::ProcessError error;
    EXPECT_TRUE(platform::RunProgram(words, 60000, result, error)) << error.message;
    return result;
  }

  std::string DosFile(const std::string& dosPath)
  {
    std::string path;
    EXPECT_EQ(platform::LinuxPathFromDos(dosPath, path), 0);
    return ReadAll(path);
  }

  std::string LogText() { return ReadAll(folder_.File("tmp/halvex-dosbox.log")); }

  // The background run and the programs it starts go on after the requester: wait for their
  // traces.
  static bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds limit)
  {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) {
        return false;
      }
      std::this_thread::sleep_for(100ms);
    }
    return true;
  }

  testsupport::TempFolder folder_;
  std::string program_;
  std::string rootKey_;
  std::string root_;
  std::string floppy_;
  std::string entry_;
};

} // namespace

TEST_F(HalvexDosboxTest, NtFamilyBootsTheFloppyPressesAKeyAndResumes)
{
  // A boot floppy as the harness leaves it: AUTOEXEC.BAT calls the test batch, shows the
  // floppy notice, waits for a key, and runs our reboot program.
  ASSERT_TRUE(MakeFatImage(floppy_, 1440, "1234ABCD"));
  const std::string scratch = folder_.File("scratch");
  ASSERT_EQ(platform::WriteRebootProgram(scratch), 0);
  ASSERT_TRUE(RunTool({"mcopy", "-i", floppy_, scratch, "::/REBOOT.COM"}));
  ASSERT_TRUE(
      PutOnImage(floppy_, scratch,
                 DosText({"@ECHO OFF", "call TEST1.BAT", "echo Reboot utility is being called now.",
                          "pause", "echo [ Pass] the key was pressed>> C:\\LOGS\\DOSTEST.LOG",
                          "REBOOT.COM", "echo [ Fail] no restart>> C:\\LOGS\\DOSTEST.LOG"}),
                 "::/AUTOEXEC.BAT"));
  ASSERT_TRUE(PutOnImage(floppy_, scratch,
                         DosText({"echo [ Pass] DOS ran the batch> C:\\LOGS\\DOSTEST.LOG"}),
                         "::/TEST1.BAT"));
  const std::string suite = folder_.File("My Suites/dos.ts");
  ASSERT_EQ(platform::CreateStartupShortcut(folder_.File("autostart"), "Start HALVEX Exe",
                                            "\"" + entry_ + "\"", "\"" + suite + "\""),
            0);

  // The requester stands for the harness: it asks for the restart and goes on running until
  // the shut-down ends it.
  const std::string requester = folder_.File("requester.sh");
  std::ofstream(requester) << "#!/bin/sh\n'" << program_ << "'\necho accepted=$? > '"
                           << folder_.File("accepted") << "'\nexec sleep 120\n";
  fs::permissions(requester, fs::perms::owner_all);
  platform::Process harness;
  ASSERT_TRUE(harness.Start({requester}, {}, {}));

  ASSERT_TRUE(WaitUntil([&] { return LogText().find("log-in started") != std::string::npos; }, 60s))
      << LogText();
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(folder_.File("resumed")); }, 10s))
      << "the restart entry was started";
  EXPECT_EQ(harness.Wait(0), platform::WAIT_OBJECT_0) << "the shut-down ended the requester";
  platform::DWORD exitCode = 0;
  harness.GetExitCode(&exitCode);
  EXPECT_EQ(exitCode, 128u + SIGTERM);
  EXPECT_EQ(ReadAll(folder_.File("accepted")), "accepted=0\n");

  EXPECT_EQ(DosFile("C:\\LOGS\\DOSTEST.LOG"),
            DosText({"[ Pass] DOS ran the batch", "[ Pass] the key was pressed"}));
  EXPECT_EQ(ReadAll(folder_.File("resumed")), "resumed " + suite + "\n");
  const std::string log = LogText();
  EXPECT_NE(log.find("space pressed"), std::string::npos) << log;
  EXPECT_NE(log.find("DOS restarted the machine"), std::string::npos) << log;
}

TEST_F(HalvexDosboxTest, NineXFamilyBootsTheHardDiskTwiceAndRunsTheRunOnceValue)
{
  // The 9x family's start-up files: the batch list and the reboot batch each neutralise
  // themselves before their program runs, and the second boot restores AUTOEXEC.BAT.
  setenv("HALVEX_PLATFORM_FAMILY", "9x", 1);
  unsetenv("HALVEX_FLOPPY");
  fs::create_directories(root_ + "/BATCH");
  fs::create_directories(root_ + "/TESTS");
  ASSERT_EQ(platform::WriteRebootProgram(root_ + "/BATCH/REBOOT.COM"), 0);
  const auto write = [&](const std::string& name, const std::vector<std::string>& lines) {
    std::ofstream(root_ + "/" + name, std::ios::binary) << DosText(lines);
  };
  const std::string original = DosText({"REM the lab's own start-up"});
  std::ofstream(root_ + "/AUTOEXEC.BAK", std::ios::binary) << original;
  write("AUTOEXEC.BAT", {"@ECHO OFF", "call C:\\BATCH\\RUN.BAT", "call C:\\BATCH\\REBOOT.BAT",
                         "copy C:\\AUTOEXEC.BAK C:\\AUTOEXEC.BAT"});
  for (const auto& [batch, command] :
       {std::pair<std::string, std::string>{"RUN", "call C:\\TESTS\\TEST.BAT"},
        std::pair<std::string, std::string>{"REBOOT", "C:\\BATCH\\REBOOT.COM"}}) {
    write("BATCH/" + batch + ".BAT",
          {"echo REM Created by the test > C:\\BATCH\\B.BAT",
           "echo copy C:\\BATCH\\B.BAT C:\\BATCH\\" + batch + ".BAT > C:\\BATCH\\A.BAT",
           "echo " + command + " >> C:\\BATCH\\A.BAT", "C:\\BATCH\\A.BAT"});
  }
  write("TESTS/TEST.BAT", {"echo [ Pass] DOS test under 9x>> C:\\LOGS\\DOSTEST.LOG"});
  ASSERT_EQ(platform::SetRunOnceValue("Start HALVEX Exe",
                                      platform::RunOnceCommandLine(entry_, "-run \"dos.ts\"")),
            platform::ERROR_SUCCESS);

  const platform::ProgramResult result = RunProgram({"--foreground", "--timeout", "60"});
  EXPECT_EQ(result.exitCode, 0u) << result.errors;

  EXPECT_EQ(DosFile("C:\\LOGS\\DOSTEST.LOG"), DosText({"[ Pass] DOS test under 9x"}))
      << "the test ran once: the second boot found its batch neutralised";
  EXPECT_EQ(ReadAll(root_ + "/AUTOEXEC.BAT"), original);
  EXPECT_EQ(ReadAll(folder_.File("resumed")), "resumed -run dos.ts\n");
  std::string value;
  EXPECT_EQ(platform::GetRunOnceValue("Start HALVEX Exe", value), platform::ERROR_FILE_NOT_FOUND);
  const auto restarted = result.errors.find("DOS restarted the machine");
  EXPECT_NE(restarted, std::string::npos) << result.errors;
  EXPECT_NE(result.errors.find("AUTOEXEC.BAT ended without a restart", restarted),
            std::string::npos)
      << result.errors;
  EXPECT_EQ(result.errors.find("space pressed"), std::string::npos) << "nothing waited for a key";
}

TEST_F(HalvexDosboxTest, RefusesWhatItCannotRun)
{
  ASSERT_EQ(platform::RegSetString(platform::HKEY_LOCAL_MACHINE, rootKey_, "DosMachine", "restart"),
            platform::ERROR_SUCCESS);
  platform::ProgramResult result = RunProgram({});
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_NE(result.errors.find("is not \"emulator\""), std::string::npos) << result.errors;
  setenv("HALVEX_RESTART_COMMAND", ("\"" + program_ + "\"").c_str(), 1);
  EXPECT_EQ(platform::RequestMachineRestart(platform::RestartMode::Normal),
            platform::kErrorRestartRefused);
  EXPECT_EQ(platform::RequestMachineRestart(platform::RestartMode::Force),
            platform::kErrorRestartRefused);

  ASSERT_EQ(
      platform::RegSetString(platform::HKEY_LOCAL_MACHINE, rootKey_, "DosMachine", "emulator"),
      platform::ERROR_SUCCESS);
  result = RunProgram({}); // HALVEX_FLOPPY names nothing: the NT family has nothing to boot
  EXPECT_EQ(result.exitCode, 2u);
  EXPECT_NE(result.errors.find("no floppy"), std::string::npos) << result.errors;
  EXPECT_EQ(platform::RequestMachineRestart(platform::RestartMode::Normal),
            platform::kErrorRestartRefused);

  for (const auto& arguments :
       std::vector<std::vector<std::string>>{{"--timeout", "0"}, {"--timeout"}, {"--reboot-now"}}) {
    SCOPED_TRACE(arguments[0]);
    result = RunProgram(arguments);
    EXPECT_EQ(result.exitCode, 2u);
    EXPECT_NE(result.errors.find("Usage: halvex-dosbox"), std::string::npos) << result.errors;
  }
  EXPECT_EQ(LogText(), "") << "nothing ran in the background";
}
