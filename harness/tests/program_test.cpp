// The halvex program as a real process on an installation of its own: start-up failures and
// their exit codes, the marlow load, run mode with its exit codes, progress and reports, batch
// resume, the single-instance hand-off (including a hung first instance and a stale socket)
// and the saved bar layout.
#include "harness/logfile.h"
#include "platform/instance.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "testsupport/hostsupport.h"
#include "testsupport/tempfolder.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>

#include <fstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace harness::test {

using namespace testsupport;
namespace {

namespace fs = std::filesystem;
using namespace platform;

const std::string kRoot = "SOFTWARE\\Orvane\\Halvex";

std::string BuildDir()
{
  const char* build = std::getenv("HALVEX_BUILD_DIR");
  return build ? build : ".";
}

// bin/ with the program, its resource libraries and halvex.ini; lib/ of the build; a private
// registry, runtime folder and log folder.
class ProgramTest : public ::testing::Test
{
public:
  void SetUp() override
  {
    fs::create_directories(Bin());
    for (const char* file : {"halvex", "Halvex.lrc", "Plinth.lrc", "halvex.ini"})
      fs::copy_file(BuildDir() + "/bin/" + file, Bin() + "/" + file);
    fs::create_directory_symlink(BuildDir() + "/lib", root.File("lib"));
    fs::create_directories(root.File("logs"));
    fs::create_directories(root.File("test/bin"));
    fs::create_directories(root.File("suites"));
    fs::create_directories(root.File("run"));
    fs::permissions(root.File("run"), fs::perms::owner_all);
    ::setenv("HALVEX_REGISTRY", root.File("registry.db").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", root.File("run").c_str(), 1);
    ::setenv("HALVEX_UNATTENDED", "1", 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::unsetenv("HALVEX_QUIT_AFTER_MS");
  }
  void TearDown() override
  {
    ::unsetenv("HALVEX_REGISTRY");
    ::unsetenv("XDG_RUNTIME_DIR");
  }

  std::string Bin() const { return root.File("bin"); }
  std::string LogFile() const { return root.File("logs/HalvexLog.txt"); }

  void SetString(const std::string& key, const char* name, const std::string& value)
  {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                             nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    RegSetValueEx(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                  static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
  }
  void SeedSettings()
  {
    SetString(kRoot, "InstallationFolder", root.Path());
    SetString(kRoot, "INIFilesFolder", root.File("test/bin/"));
    SetString(kRoot, "DefaultLoggingFolder", root.File("logs"));
    SetString(kRoot, "LogFilePath", LogFile());
    SetString(kRoot, "ResultsFilePath", root.File("logs/HalvexResults.txt"));
    SetString(kRoot, "TestSuitesFolder", root.File("suites"));
  }
  void InstallMarlow()
  {
    fs::copy_file(BuildDir() + "/tests/fixtures/Marlow.so", root.File("test/bin/Marlow.so"));
  }

  // The run probe as a registered component, and suites of its test cases built by
  // halvex-suite: (test, iterations) each.
  void RegisterRunProbe()
  {
    // As an installation registers it: enabled, with its current model and that model's facts.
    const std::string key = kRoot + "\\ComponentDlls\\RunProbe";
    SetString(key, "DllPath", BuildDir() + "/tests/RunProbe.so");
    SetDword(key, "EnableDll", 1);
    SetString(key, "CurrentModel", "Default");
    for (const char* name :
         {"Manufacturer", "DriverVersion", "FirmwareVersion", "OEMName", "SerialNumber"})
      SetString(key + "\\Default", name, "Default");
  }
  void SetDword(const std::string& key, const char* name, DWORD value)
  {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                             nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    RegSetValueEx(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(handle);
  }
  std::string MakeSuite(const std::string& name,
                        const std::vector<std::pair<std::string, int>>& tests)
  {
    const std::string path = root.File("suites/" + name + ".ts");
    const std::string tool = BuildDir() + "/bin/halvex-suite";
    EXPECT_EQ(RunTool(tool + " new '" + path + "' --name " + name), 0);
    for (const auto& [test, iterations] : tests)
      EXPECT_EQ(RunTool(tool + " add '" + path + "' --test 'RunProbe/" + test + "' --iterations " +
                        std::to_string(iterations)),
                0);
    return path;
  }
  int RunTool(const std::string& command)
  {
    Process tool;
    EXPECT_TRUE(tool.Start("/bin/sh -c \"" + command + " >/dev/null\"", root.Path()));
    EXPECT_EQ(tool.Wait(60000), WAIT_OBJECT_0);
    DWORD code = 999;
    tool.GetExitCode(&code);
    return static_cast<int>(code);
  }

  // Starts the program with its standard error (and output) in files of its own.
  Process Start(const std::string& args, const std::string& errName,
                const std::string& outName = "")
  {
    Process process;
    std::string line = "/bin/sh -c \"exec '" + Bin() + "/halvex' " + args + " 2>'" +
                       root.File(errName) + "'" +
                       (outName.empty() ? "" : " >'" + root.File(outName) + "'") + "\"";
    EXPECT_TRUE(process.Start(line, root.Path())) << process.LastError().message;
    return process;
  }
  // Waits for the end (the limit only guards against a hang) and returns the exit code.
  DWORD Finish(Process& process)
  {
    EXPECT_EQ(process.Wait(60000), WAIT_OBJECT_0);
    DWORD code = 999;
    process.GetExitCode(&code);
    return code;
  }
  DWORD Run(const std::string& args, const std::string& errName = "stderr.txt")
  {
    Process process = Start(args, errName);
    return Finish(process);
  }
  std::string Err(const std::string& errName = "stderr.txt") { return ReadAll(root.File(errName)); }

  TempFolder root;
};

TEST_F(ProgramTest, StartupFailuresEndWithTheirCodes)
{
  struct Case
  {
    const char* name;
    std::function<void(ProgramTest&)> damage;
    DWORD code;
    const char* says;
  } cases[] = {
      {"no Halvex.lrc", [](ProgramTest& t) { fs::remove(t.Bin() + "/Halvex.lrc"); }, 2,
       "Halvex.lrc"},
      {"no Plinth.lrc", [](ProgramTest& t) { fs::remove(t.Bin() + "/Plinth.lrc"); }, 2,
       "Plinth.lrc"},
      {"no halvex.ini", [](ProgramTest& t) { fs::remove(t.Bin() + "/halvex.ini"); }, 2,
       "halvex.ini"},
      {"no RegistryKey",
       [](ProgramTest& t) {
         fs::remove(t.Bin() + "/halvex.ini");
         AppendLineToFile(t.Bin() + "/halvex.ini", "[General]");
       },
       2, "halvex.ini"},
      {"no root key", [](ProgramTest&) {}, 1, "SOFTWARE\\Orvane\\Halvex"},
      {"no InstallationFolder", [](ProgramTest& t) { t.SetString(kRoot, "LogFilePath", "/x"); }, 1,
       "InstallationFolder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(root.Path());
    fs::create_directory(root.Path());
    SetUp();
    c.damage(*this);
    EXPECT_EQ(Run(""), c.code);
    EXPECT_NE(Err().find(c.says), std::string::npos) << Err();
  }
}

TEST_F(ProgramTest, MissingMarlowClosesTheHarnessAfterStartUp)
{
  SeedSettings();
  EXPECT_EQ(Run(""), 0u);
  EXPECT_NE(Err().find("Unable to Load the Marlowd.dll"), std::string::npos) << Err();
  std::string log = ReadAll(LogFile());
  EXPECT_NE(log.find(root.File("test/bin/Marlow.dll")), std::string::npos) << log;
  EXPECT_NE(log.find("Load the DLL through Add Component"), std::string::npos);
  // The log also names the run-time version the check found.
  EXPECT_NE(log.find("Qt version"), std::string::npos);
}

TEST_F(ProgramTest, IniFilesFolderWithoutSeparatorMissesMarlow)
{
  SeedSettings();
  InstallMarlow();
  SetString(kRoot, "INIFilesFolder", root.File("test/bin"));
  EXPECT_EQ(Run(""), 0u);
  EXPECT_NE(ReadAll(LogFile()).find(root.File("test/binMarlow.dll")), std::string::npos);
}

TEST_F(ProgramTest, MissingFilePathsWarnAndTakeDefaults)
{
  SeedSettings();
  InstallMarlow();
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, kRoot.c_str(), 0, KEY_ALL_ACCESS, &key), 0);
  RegDeleteValue(key, "LogFilePath");
  RegDeleteValue(key, "ResultsFilePath");
  RegCloseKey(key);
  ::setenv("HALVEX_QUIT_AFTER_MS", "300", 1);
  EXPECT_EQ(Run(""), 0u);
  EXPECT_NE(Err().find("warning: The setting LogFilePath is missing"), std::string::npos);
  EXPECT_NE(Err().find("ResultsFilePath"), std::string::npos);
  EXPECT_TRUE(FileExists(LogFile())); // the default file in the logging folder
}

TEST_F(ProgramTest, RunModeNeedsItsSuiteFile)
{
  SeedSettings();
  InstallMarlow();
  EXPECT_EQ(Run("-run '" + root.File("suites/missing.ts") + "'"), 1u);
  EXPECT_NE(Err().find("error: The file was not found"), std::string::npos) << Err();
  EXPECT_EQ(Run("-run --junit '" + root.File("j.xml") + "'"), 1u); // names no suite
  std::ofstream(root.File("suites/present.ts")).close(); // a zero-length file is an empty suite
  EXPECT_EQ(Run("-run '" + root.File("suites/present.ts") + "'"), 0u); // nothing failed
}

TEST_F(ProgramTest, RunModeRunsTheSuiteAndEndsWithItsVerdict)
{
  SeedSettings();
  InstallMarlow();
  RegisterRunProbe();
  SetString(kRoot, "JUnitReportPath", root.File("logs/settings-junit.xml"));
  const std::string passing = MakeSuite("Passing", {{"Pass", 2}, {"Sleep", 1}});
  const std::string failing = MakeSuite("Failing", {{"Pass then fail", 2}});
  struct Case
  {
    std::string suite;
    DWORD code;
    std::vector<std::string> progress;
  } cases[] = {
      {passing,
       0,
       {"[1/3] Pass, iteration 1: Passed", "[2/3] Pass, iteration 2: Passed",
        "[3/3] Sleep, iteration 1: Passed", "Passing: 3 executions, 3 passed, 0 failed: Passed"}},
      {failing,
       3,
       {"[1/2] Pass then fail, iteration 1: Passed", "[2/2] Pass then fail, iteration 2: Failed",
        "Failing: 2 executions, 1 passed, 1 failed: Failed"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.suite);
    Process process = Start("-run '" + c.suite + "' --json '" + root.File("report.json") + "'",
                            "stderr.txt", "stdout.txt");
    EXPECT_EQ(Finish(process), c.code) << Err();
    std::string out = ReadAll(root.File("stdout.txt"));
    for (const std::string& line : c.progress)
      EXPECT_NE(out.find(line + "\n"), std::string::npos) << out;
    EXPECT_EQ(Err().find("Sanitizer"), std::string::npos) << Err();
  }
  // The results file holds both runs; the reports every execution of both.
  const std::string results = ReadAll(root.File("logs/HalvexResults.txt"));
  EXPECT_NE(results.find("Pass then fail: execution 2, fail"), std::string::npos) << results;
  const std::string junit = ReadAll(root.File("logs/settings-junit.xml"));
  EXPECT_NE(junit.find("<testcase name=\"Pass then fail #2\" classname=\"RunProbe\""),
            std::string::npos)
      << junit;
  EXPECT_NE(junit.find("<testsuite name=\"Passing\" tests=\"3\" failures=\"0\""),
            std::string::npos);
  const std::string json = ReadAll(root.File("report.json"));
  EXPECT_NE(json.find("\"suite\": \"Failing\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"suite\": \"Passing\""), std::string::npos);
}

// A shut-down (SIGTERM) or an interrupt during a run stops it as the Stop command does: the
// test case is aborted, the results and reports are written, and the program ends by itself.
TEST_F(ProgramTest, TerminationSignalStopsTheRunAndEndsCleanly)
{
  SeedSettings();
  InstallMarlow();
  RegisterRunProbe();
  const std::string suite = MakeSuite("Waiting", {{"Wait", 3}, {"Pass", 1}});
  // The harness's own results file, written line by line, shows when the test case started.
  SetDword(kRoot, "NtLoggingEnable", 0);
  const std::string results = root.File("logs/HalvexResults.txt");
  for (const int signalNumber : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signalNumber);
    fs::remove(results);
    Process process = Start("-run '" + suite + "' --junit '" + root.File("junit.xml") + "'",
                            "stderr.txt", "stdout.txt");
    // Signalled while the first test case waits, which it would do for 30 s.
    for (int i = 0; i < 600 && ReadAll(results).find("Wait: execution 1") == std::string::npos; ++i)
      usleep(50000);
    usleep(300000);
    ASSERT_EQ(kill(process.Id(), signalNumber), 0);
    EXPECT_EQ(Finish(process), 3u) << Err();
    const std::string out = ReadAll(root.File("stdout.txt"));
    EXPECT_EQ(out, "[1/4] Wait, iteration 1: Failed\n"
                   "Waiting: 1 executions, 0 passed, 1 failed: Not completed\n")
        << Err();
    EXPECT_NE(ReadAll(root.File("junit.xml")).find("tests=\"1\""), std::string::npos);
    EXPECT_NE(ReadAll(LogFile()).find("The harness is being ended by signal " +
                                      std::to_string(signalNumber)),
              std::string::npos);
    EXPECT_EQ(Err().find("Sanitizer"), std::string::npos) << Err();
  }
}

// With the window, a shut-down ends the harness through its exit sequence: the layout is kept.
TEST_F(ProgramTest, TerminationSignalClosesTheWindowThroughTheExitSequence)
{
  SeedSettings();
  InstallMarlow();
  Process process = Start("", "stderr.txt");
  for (int i = 0; i < 600 && ReadAll(LogFile()).find("Qt version") == std::string::npos; ++i)
    usleep(50000);
  usleep(300000);
  ASSERT_EQ(kill(process.Id(), SIGTERM), 0);
  EXPECT_EQ(Finish(process), 0u) << Err();
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, (kRoot + "\\Workspace").c_str(), 0, KEY_READ, &key),
            ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueEx(key, "BarState", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_NE(ReadAll(LogFile()).find("The harness is being ended by signal 15"), std::string::npos);
}

TEST_F(ProgramTest, BatchResumeRunsTheSuiteItWasStartedWith)
{
  SeedSettings();
  InstallMarlow();
  RegisterRunProbe();
  const std::string suite = MakeSuite("Resumed", {{"Pass", 1}});
  SetString(kRoot + "\\TestExecution", "TestExecutionStatus", "BatchResume");
  ::setenv("HALVEX_QUIT_AFTER_MS", "9000", 1);
  EXPECT_EQ(Run("'" + suite + "'"), 0u);
  const std::string log = ReadAll(LogFile());
  EXPECT_EQ(log.find("Open with valid testsuite file"), std::string::npos) << log;
  EXPECT_NE(ReadAll(root.File("logs/HalvexResults.txt")).find("Test suite Resumed ended"),
            std::string::npos);
}

TEST_F(ProgramTest, BatchResumeWithoutASuiteSaysSo)
{
  SeedSettings();
  InstallMarlow();
  SetString(kRoot + "\\TestExecution", "TestExecutionStatus", "batchRESUME");
  ::setenv("HALVEX_QUIT_AFTER_MS", "300", 1);
  EXPECT_EQ(Run(""), 0u);
  EXPECT_NE(ReadAll(LogFile()).find("Open with valid testsuite file as command line argument"),
            std::string::npos);
}

TEST_F(ProgramTest, TheStartupBoxComesUpUnlessSwitchedOffOrRunningUnattended)
{
  SeedSettings();
  InstallMarlow();
  std::ofstream(root.File("suites/empty.ts")).close();
  const std::string said = "not shown: Welcome to Halvex";
  const struct
  {
    const char* what;
    const char* dontShow; // null: not stored
    std::string args;
    const char* status;
    bool shown;
  } cases[] = {
      {"first start", nullptr, "", "Prebootbatch", true},
      {"switched off", "1", "", "Prebootbatch", false},
      {"switched on", "0", "", "Prebootbatch", true},
      {"run mode", nullptr, "-run '" + root.File("suites/empty.ts") + "'", "Prebootbatch", false},
      {"resuming a DOS run", nullptr, "", "BatchResume", false},
  };
  ::setenv("HALVEX_QUIT_AFTER_MS", "300", 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, kRoot.c_str(), 0, KEY_ALL_ACCESS, &key), 0);
    RegDeleteValue(key, "DontShowStartupBox");
    if (c.dontShow != nullptr) {
      const DWORD value = static_cast<DWORD>(std::atoi(c.dontShow));
      RegSetValueEx(key, "DontShowStartupBox", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                    sizeof value);
    }
    RegCloseKey(key);
    SetString(kRoot + "\\TestExecution", "TestExecutionStatus", c.status);
    EXPECT_EQ(Run(c.args), 0u);
    EXPECT_EQ(Err().find(said) != std::string::npos, c.shown) << Err();
  }
}

TEST_F(ProgramTest, BarLayoutIsSavedAtClose)
{
  SeedSettings();
  InstallMarlow();
  ::setenv("HALVEX_QUIT_AFTER_MS", "300", 1);
  EXPECT_EQ(Run(""), 0u);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, (kRoot + "\\Workspace").c_str(), 0, KEY_READ, &key),
            ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueEx(key, "BarState", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_GT(size, 16u);
  RegCloseKey(key);
  EXPECT_EQ(Run(""), 0u); // and read back at the next start
}

TEST_F(ProgramTest, SecondStartHandsOverToTheFirst)
{
  SeedSettings();
  InstallMarlow();
  std::ofstream(root.File("suites/handed.ts")).close(); // a zero-length file is an empty suite
  ::setenv("HALVEX_QUIT_AFTER_MS", "60000", 1);
  Process first = Start("", "first.txt");
  ASSERT_TRUE([&] {
    for (int i = 0; i < 600 && first.Wait(0) == WAIT_TIMEOUT; ++i) {
      if (IsInstanceRunning("HALVEXclass"))
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }()) << Err("first.txt");
  ::unsetenv("HALVEX_QUIT_AFTER_MS");

  // With a file: the first opens it; the second ends without a window.
  EXPECT_EQ(Run("'" + root.File("suites/handed.ts") + "'", "second.txt"), 2u);
  EXPECT_NE(Err("second.txt")
                .find("handed over to the running instance: " + root.File("suites/handed.ts")),
            std::string::npos);
  EXPECT_EQ(Err("second.txt").find("not accepted"), std::string::npos) << Err("second.txt");

  // A file that cannot be opened is refused.
  EXPECT_EQ(Run("'" + root.File("suites/missing.ts") + "'", "third.txt"), 2u);
  EXPECT_NE(Err("third.txt").find("not accepted"), std::string::npos);

  // Without a file: the first only comes forward.
  EXPECT_EQ(Run("", "fourth.txt"), 2u);
  EXPECT_NE(Err("fourth.txt").find("handed over"), std::string::npos);

  // A hung first instance does not hold the second.
  ::kill(first.Id(), SIGSTOP);
  EXPECT_EQ(Run("'" + root.File("suites/handed.ts") + "'", "fifth.txt"), 2u);
  EXPECT_NE(Err("fifth.txt").find("not accepted"), std::string::npos);
  ::kill(first.Id(), SIGCONT);

  first.Terminate(0);
}

TEST_F(ProgramTest, StaleSocketDoesNotStopTheStart)
{
  SeedSettings();
  InstallMarlow();
  std::string path, error;
  ASSERT_TRUE(InstanceSocketPath("HALVEXclass", &path, &error)) << error;
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd); // left behind, as by a crashed instance
  ASSERT_TRUE(fs::exists(path));
  ::setenv("HALVEX_QUIT_AFTER_MS", "300", 1);
  EXPECT_EQ(Run(""), 0u);
  EXPECT_EQ(Err().find("handed over"), std::string::npos) << Err();
}

} // namespace
} // namespace harness::test
