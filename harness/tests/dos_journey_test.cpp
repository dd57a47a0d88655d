// The harness program through a whole DOS journey on this machine: "halvex -run" on a suite with
// a Linux and two DOS test cases prepares the restart; the restart command (a script of the test
// that notes what it finds, then hands over to halvex-dosbox) boots the floppy in DOSBox, DOS
// runs the demo's DOS program, and the log-in starts the harness again, which resumes the suite.
#include "platform/floppy_files.h"
#include "platform/regkey.h"
#include "testsupport/doslayout.h"
#include "testsupport/fatimage.h"
#include "testsupport/privateregistry.h"
#include "testsupport/scopedenvironment.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace harness::test {

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

constexpr const char* kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kRestartEntry = "Start HALVEX Exe";
constexpr auto kJourneyLimit = std::chrono::minutes(5);

int RunCommand(const std::string& command)
{
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::string Quoted(const std::string& text)
{
  return "'" + text + "'";
}

// A process of this test's journey still running: its command line or its environment names
// the test's folder (halvex-dosbox and the resumed harness inherit TMPDIR below it).
bool JourneyRunning(const std::string& folder)
{
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos ||
        std::to_string(getpid()) == name)
      continue;
    for (const char* file : {"/cmdline", "/environ"}) {
      const std::string text = ReadAll(entry.path().string() + file);
      if (text.find(folder) != std::string::npos)
        return true;
    }
  }
  return false;
}

class DosJourneyTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    const char* build = std::getenv("HALVEX_BUILD_DIR");
    ASSERT_NE(build, nullptr) << "run through ctest";
    m_build = build;
    ASSERT_EQ(RunCommand(Tool("halvex-reg") + " import " +
                         Quoted(m_build + "/share/halvex/demo/registry.reg")),
              0);
    fs::create_directories(m_defs);
    for (const auto& entry : fs::directory_iterator(m_build + "/share/halvex/demo/definitions"))
      if (entry.is_regular_file() && !entry.is_symlink())
        fs::copy_file(entry.path(), m_defs + "/" + entry.path().filename().string());
    const std::string marlow = m_build + "/lib/halvex/plugins/Marlow.so";
    fs::create_symlink(marlow, m_defs + "/Marlow.so");
    WriteAll(m_dos.File("AUTOEXEC.BAT"), kAutoexec);
    Settings({{"InstallationFolder", m_folder.Path()},
              {"INIFilesFolder", m_defs + "/"},
              {"DefaultLoggingFolder", m_folder.Path()},
              {"LogFilePath", m_folder.File("log.txt")},
              {"ResultsFilePath", m_results},
              {"TestSuitesFolder", m_folder.Path()},
              {"JUnitReportPath", m_junit},
              {"DosMachine", "emulator"}});
    CRegKey root;
    ASSERT_EQ(root.Open(platform::HKEY_LOCAL_MACHINE, kRootKey), 0);
    ASSERT_EQ(root.WriteDword("LogDateTime", 0), 0);
    ASSERT_EQ(root.WriteDword("NtLoggingEnable", 0), 0);
    CRegKey marlowKey;
    ASSERT_EQ(marlowKey.CreateKeyString(platform::HKEY_LOCAL_MACHINE,
                                        std::string(kComponentDllsKey) + "\\Marlow"),
              0);
    ASSERT_EQ(marlowKey.WriteString("DllPath", marlow), 0);

    ASSERT_TRUE(MakeFatImage(m_floppy, 1440, "0BADF00D"));
    ASSERT_TRUE(PutOnImage(m_floppy, m_folder.File("scratch"), "shell", "::/COMMAND.COM"));
    m_env.Set("HALVEX_FLOPPY", m_floppy);
    m_env.Set("HALVEX_UNATTENDED", "1");
    m_env.Set("QT_QPA_PLATFORM", "offscreen");
    m_env.Set("HALVEX_RESTART_COMMAND", RestartScript());

    ASSERT_EQ(RunCommand(Tool("halvex-suite") + " new " + Quoted(m_suite) + " --name Journey"), 0);
    for (const char* test : {"Demo Tagged Tests/Tagged pass", "Demo DOS Tests/Memory test under DOS",
                             "Demo DOS Tests/Memory fault under DOS"})
      ASSERT_EQ(RunCommand(Tool("halvex-suite") + " add " + Quoted(m_suite) + " --test " +
                           Quoted(test)),
                0);
  }

  void TearDown() override
  {
    // Nothing of the journey may outlive the test's folder.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (JourneyRunning(m_folder.Path()) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(JourneyRunning(m_folder.Path()));
  }

  std::string Tool(const std::string& name) const { return Quoted(m_build + "/bin/" + name); }

  void Settings(const std::vector<std::pair<std::string, std::string>>& values)
  {
    CRegKey root;
    ASSERT_EQ(root.Open(platform::HKEY_LOCAL_MACHINE, kRootKey), 0);
    for (const auto& [name, value] : values)
      ASSERT_EQ(root.WriteString(name, value), 0) << name;
  }

  // Notes the prepared machine as the restart finds it, then restarts it the emulated way.
  std::string RestartScript()
  {
    const std::string script = m_folder.File("restart.sh");
    fs::create_directories(m_atRestart);
    const std::string reg = Tool("halvex-reg");
    WriteAll(script,
             "#!/bin/sh\n"
             "echo \"restart $*\" >> " + Quoted(m_folder.File("requests")) + "\n" +
             reg + " query 'HKLM\\SOFTWARE\\Orvane\\Halvex\\TestExecution' TestExecutionStatus > " +
             Quoted(m_atRestart + "/status") + "\n" + reg + " query 'HKLM\\" + kRunOnceKey +
             "' '" + kRestartEntry + "' > " + Quoted(m_atRestart + "/runonce") + "\n" +
             "cp " + Quoted(m_floppy) + " " + Quoted(m_atRestart + "/boot.img") + "\n" +
             "exec " + Tool("halvex-dosbox") + " --timeout 120 \"$@\"\n");
    chmod(script.c_str(), 0755);
    return script;
  }

  std::string FloppyFile(const std::string& image, const std::string& name)
  {
    const std::string copy = m_folder.File("from-floppy");
    fs::remove(copy);
    if (platform::FloppyFiles(image).CopyFrom("A:\\" + name, copy, false) != 0)
      return "<missing>";
    return ReadAll(copy);
  }

  static constexpr const char* kAutoexec = "PATH C:\\DOS\r\n";
  TempFolder m_folder;
  PrivateRegistry m_registry{m_folder};
  DosLayout m_dos{m_folder};
  ScopedEnvironment m_env;
  std::string m_build;
  std::string m_defs = m_dos.File("DEFS");
  std::string m_floppy = m_folder.File("boot.img");
  std::string m_suite = m_folder.File("journey.ts");
  std::string m_results = m_folder.File("results.txt");
  std::string m_junit = m_folder.File("junit.xml");
  std::string m_atRestart = m_folder.File("at-restart");
};

TEST_F(DosJourneyTest, SuiteRunsThroughPreparationEmulatedDosAndResume)
{
  const std::string firstRun = m_folder.File("first-run.txt");
  EXPECT_EQ(RunCommand(Tool("halvex") + " -run " + Quoted(m_suite) + " > " + Quoted(firstRun) +
                       " 2>&1"),
            3)
      << ReadAll(firstRun);
  // The preparation pass judges nothing: the suite is not completed before the restart.
  const std::string firstOutput = ReadAll(firstRun);
  EXPECT_NE(firstOutput.find("Journey: 0 executions, 0 passed, 0 failed: Not completed"),
            std::string::npos)
      << firstOutput;
  EXPECT_EQ(ReadAll(m_folder.File("requests")), "restart \n");
  fs::remove(m_junit);

  // What the restart found: the resume is arranged, and the floppy boots the batch list.
  EXPECT_EQ(ReadAll(m_atRestart + "/status"), "BatchResume\n");
  EXPECT_EQ(ReadAll(m_atRestart + "/runonce"),
            m_build + "/bin/halvex -run \"" + m_suite + "\"\n");
  const std::string prepared = m_atRestart + "/boot.img";
  EXPECT_NE(FloppyFile(prepared, "AUTOEXEC.BAT").find("Marlow.bat"), std::string::npos);
  EXPECT_NE(FloppyFile(prepared, "Marlow.bat"), "<missing>");
  EXPECT_NE(FloppyFile(prepared, "Memor001.bat").find("DOSPROBE.BAT pass"), std::string::npos);

  // The restart goes on in the background: DOS, then the log-in that resumes the suite.
  const auto deadline = std::chrono::steady_clock::now() + kJourneyLimit;
  while ((!fs::exists(m_junit) || JourneyRunning(m_folder.Path())) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const std::string dosboxLog = m_dos.File("TMP/halvex-dosbox.log");
  ASSERT_TRUE(fs::exists(m_junit)) << ReadAll(dosboxLog);

  // DOS ran the program: the logs it left decided the DOS verdicts.
  EXPECT_NE(ReadAll(m_defs + "/MEMPASS.LOG").find("[ Pass]"), std::string::npos);
  const std::string resumed = ReadAll(dosboxLog);
  EXPECT_NE(resumed.find("] Tagged pass, iteration 1: Passed"), std::string::npos) << resumed;
  EXPECT_NE(resumed.find("] Memory test under DOS, iteration 1: Passed"), std::string::npos)
      << resumed;
  EXPECT_NE(resumed.find("] Memory fault under DOS, iteration 1: Failed"), std::string::npos)
      << resumed;
  const std::string results = ReadAll(m_results);
  EXPECT_NE(results.find("Every address read back as written"), std::string::npos) << results;
  EXPECT_NE(results.find("Address 9000:0010 read back 00, expected 5A"), std::string::npos)
      << results;
  const std::string junit = ReadAll(m_junit);
  EXPECT_NE(junit.find("tests=\"3\""), std::string::npos) << junit;
  EXPECT_NE(junit.find("failures=\"1\""), std::string::npos) << junit;

  // The journey left the machine as it found it, and asked for no second restart.
  EXPECT_EQ(ReadString(std::string(kRootKey) + "\\TestExecution", "TestExecutionStatus"),
            "Prebootbatch");
  EXPECT_EQ(ReadString(kRunOnceKey, kRestartEntry).rfind("<missing", 0), 0u);
  EXPECT_EQ(ReadAll(m_dos.File("AUTOEXEC.BAT")), kAutoexec);
  EXPECT_EQ(ReadAll(m_dos.BatchFile("Marlow.bat")), "");
  EXPECT_EQ(ReadAll(m_folder.File("requests")), "restart \n");
}

} // namespace
} // namespace harness::test
