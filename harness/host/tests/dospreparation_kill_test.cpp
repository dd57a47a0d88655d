// A preparation pass killed with SIGKILL at each of its steps, on both families: Marlow's
// batch files and backups, then the end of the pass (suite, restart entry, start-up files,
// TestExecutionStatus, boot floppy, restart). Every start of the harness is a process of its
// own: the preparation, killed by the tracer as it enters its n-th mutating system call; the
// next start, which resumes or tidies through the real code; and a second preparation, which
// must leave exactly what an uninterrupted one leaves.
#include "harness/dosbootrestart.h"
#include "harness/halvexdoc.h"
#include "harness/registrystore.h"
#include "harness/startup.h"
#include "marlow/batchexports.h"
#include "marlow/inicomponent.h"
#include "platform/floppy_files.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "plinth/testcase.h"
#include "plinth/testsuite.h"
#include "skeleton/componentmodule.h"
#include "syscallkiller.h"
#include "testsupport/doslayout.h"
#include "testsupport/fatimage.h"
#include "testsupport/hostsupport.h"
#include "testsupport/privateregistry.h"
#include "testsupport/suiteitemlist.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <regex>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using testsupport::ReadAll;
using testsupport::WriteAll;

constexpr const char* kAutoexec = "@ECHO OFF\r\nPATH C:\\DOS\r\nSET TEMP=C:\\TMP\r\n";
constexpr const char* kConfig = "FILES=30\r\nDEVICE=C:\\DOS\\HIMEM.SYS\r\n";
constexpr const char* kTestsConfig = "FILES=40\r\nBUFFERS=20\r\n";

// Marlow as one start of the harness loads it, with the demo DOS suite's two test cases.
struct MarlowSuite
{
  explicit MarlowSuite(const std::string& ini)
      : component(std::make_unique<CIniComponent>(nullptr, ini))
  {
    components::OwnComponents().push_back(component.get());
    components::SetCurrentComponent(component.get());
    for (CTestCase* pPrototype : component->m_TestCaseList) {
      testCases.emplace_back(pPrototype->Clone());
      list.Add(testCases.back().get());
    }
  }

  std::unique_ptr<CIniComponent> component;
  std::vector<std::unique_ptr<CTestCase>> testCases;
  testsupport::SuiteItemList list;
};

// What a start leaves that the next one sees: every file below the folder (the floppy image as
// the files on it), the status and the run-once value. Temporary files of an interrupted
// replacement are kept apart.
struct MachineState
{
  std::map<std::string, std::string> files;
  std::vector<std::string> litter;
  std::string status;
  std::string runOnce;
};

class DosPreparationKillTest : public ::testing::Test
{
protected:
  void SetUp() override { guiLoggingLevel = 0; }

  // The machine as the engineer left it before running the suite.
  void Reset()
  {
    for (const auto& entry : fs::directory_iterator(m_folder.Path()))
      fs::remove_all(entry.path());
    // This process keeps the registry it used open: a new file each time, never one removed
    // under it.
    m_env.Set("HALVEX_REGISTRY", m_folder.File("registry" + std::to_string(++m_resets) + ".db"));
    fs::create_directories(m_dos.BatchFolder());
    fs::create_directories(m_ini);
    fs::create_directories(m_startup);
    m_registry.SeedRoot("/opt/halvex", m_ini + "/");
    harness::CRegistrySettingsStore store;
    harness::ReadTestExecutionStatus(store, testsupport::kRootKey);
    ASSERT_EQ(platform::RegSetString(platform::HKEY_CURRENT_USER, platform::kShellFoldersKey,
                                     platform::kStartupValue, m_startup),
              platform::ERROR_SUCCESS);
    const std::string source = std::getenv("HALVEX_SOURCE_DIR");
    for (const char* file : {"demo_dos.ini", "DOSPROBE.BAT"})
      fs::copy_file(source + "/share/demo/definitions/" + file, m_ini + "/" + file);
    WriteAll(m_ini + "/CONFIG.SYS", kTestsConfig);
    WriteAll(m_dos.File("AUTOEXEC.BAT"), kAutoexec);
    WriteAll(m_dos.File("CONFIG.SYS"), kConfig);
    ASSERT_TRUE(testsupport::MakeFatImage(m_image, 1440, "1234ABCD"));
    ASSERT_TRUE(
        testsupport::PutOnImage(m_image, m_folder.File("scratch"), "system", "::/COMMAND.COM"));
    fs::remove(m_folder.File("scratch"));
    const std::string script = m_folder.File("restart.sh");
    WriteAll(script, "#!/bin/sh\necho restart >> '" + m_folder.File("requests.txt") + "'\n");
    chmod(script.c_str(), 0755);
    m_env.Set("HALVEX_RESTART_COMMAND", script);
    m_env.Set("HALVEX_FLOPPY", m_image);
    CTestSuite older;
    older.m_strName = "Memory of last week";
    std::string error;
    ASSERT_TRUE(harness::WriteSuiteFile(older, m_suiteFile, error)) << error;
    m_olderSuite = ReadAll(m_suiteFile);
  }

  harness::CDosBootRestart MakeRestart(harness::UserPrompts& prompts)
  {
    harness::DosBootHooks hooks;
    hooks.preparation.storeStatus = [](const std::string& status, bool) {
      harness::CRegistrySettingsStore store;
      harness::WriteTestExecutionStatus(store, testsupport::kRootKey, status);
    };
    return harness::CDosBootRestart(harness::DosPlaces::Current(m_ini),
                                    platform::GetPlatformFamily(), platform::DosMachine::Emulator,
                                    m_strings, prompts, hooks, "/opt/halvex/bin/halvex");
  }

  // The preparation pass in its real order: Marlow marks and prepares its DOS test cases, then
  // the end of the pass. 0 when it got through.
  int Prepare(MarlowSuite& marlow)
  {
    CBatchCodeList codes;
    int kind = 0;
    marlow::PrepareBatchComponentList(&marlow.list, &m_results, &codes, kListNextAll, &kind, 1);
    for (auto& pTestCase : marlow.testCases)
      if (pTestCase->Execute() != kTestStatusPrepared)
        return 2;
    testsupport::RecordingPrompts prompts;
    harness::CDosBootRestart restart = MakeRestart(prompts);
    CTestSuite suite;
    suite.m_strName = "Memory";
    harness::DosPreparation preparation;
    preparation.suite = &suite;
    preparation.suiteFilePath = m_suiteFile;
    preparation.runMode = m_runMode;
    return restart.AfterPreparationPass(preparation) ? 0 : 3;
  }

  // The next start of the harness: the decision on TestExecutionStatus, then either the tidying
  // of a start with nothing pending (and, started in run mode, the run: a new preparation), or
  // the collection pass as the run makes it (restart entry removed, unrun start lines put back,
  // batch folder cleared by Marlow, every test case judging its log, the status back).
  int NextStart(bool runMode)
  {
    harness::CRegistrySettingsStore store;
    testsupport::RecordingPrompts prompts;
    harness::CDosBootRestart restart = MakeRestart(prompts);
    if (harness::ReadTestExecutionStatus(store, testsupport::kRootKey) !=
        harness::kStatusBatchResume) {
      restart.ClearInterruptedPreparation();
      if (!runMode)
        return 0;
      MarlowSuite marlow(m_ini + "/demo_dos.ini");
      return Prepare(marlow);
    }
    MarlowSuite marlow(m_ini + "/demo_dos.ini");
    restart.RemoveRestartEntry();
    restart.PutBackUnrunStartLines();
    CBatchCodeList codes;
    int kind = 0;
    marlow::PrepareBatchComponentList(&marlow.list, &m_results, &codes, kListNextAll, &kind, 0);
    for (auto& pTestCase : marlow.testCases)
      pTestCase->Execute();
    return harness::WriteTestExecutionStatus(store, testsupport::kRootKey,
                                             harness::kStatusPrebootbatch)
               ? 0
               : 4;
  }

  // Runs one start of the harness in a process of its own, untraced.
  static int Start(const std::function<int()>& body)
  {
    const pid_t pid = fork();
    if (pid == 0)
      _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  int PrepareOnce()
  {
    return Start([this] {
      MarlowSuite marlow(m_ini + "/demo_dos.ini");
      return Prepare(marlow);
    });
  }

  testsupport::TracedRun PrepareAndKill(int step)
  {
    // Marlow is loaded before the tracer looks: only the preparation's own steps count.
    std::unique_ptr<MarlowSuite> marlow;
    return testsupport::SyscallKiller(m_folder.Path())
        .Run(
            step, [&] { marlow = std::make_unique<MarlowSuite>(m_ini + "/demo_dos.ini"); },
            [&] { return Prepare(*marlow); });
  }

  MachineState State()
  {
    MachineState state;
    for (const auto& entry : fs::recursive_directory_iterator(m_folder.Path())) {
      if (!entry.is_regular_file())
        continue;
      const std::string path = entry.path().string();
      const std::string name = entry.path().filename().string();
      const std::string relative = path.substr(m_folder.Path().size() + 1);
      if (name.rfind("registry", 0) == 0 || path == m_image || path == m_results ||
          name == "requests.txt" || name == "restart.sh")
        continue;
      if (name[0] == '.' || name.find(".tmp-") != std::string::npos)
        state.litter.push_back(relative);
      else
        state.files[relative] = ReadAll(path);
    }
    const platform::FloppyFiles floppy(m_image);
    std::vector<platform::FloppyEntry> entries;
    floppy.List("A:\\*.*", entries);
    for (const platform::FloppyEntry& entry : entries) {
      const std::string copy = m_folder.File("floppy-copy");
      floppy.CopyFrom("A:\\" + entry.name, copy, false);
      state.files["A:\\" + entry.name] = ReadAll(copy);
      fs::remove(copy);
    }
    state.status = testsupport::ReadString(harness::TestExecutionKey(testsupport::kRootKey),
                                           "TestExecutionStatus");
    if (platform::GetRunOnceValue(harness::kRestartEntryName, state.runOnce) != 0)
      state.runOnce = "none";
    return state;
  }

  // What a start must leave when no DOS run is pending.
  void ExpectNothingPending(const MachineState& state)
  {
    EXPECT_EQ(state.status, harness::kStatusPrebootbatch);
    EXPECT_EQ(state.runOnce, "none");
    EXPECT_EQ(state.files.count("autostart/Start HALVEX Exe.desktop"), 0u)
        << "a restart entry that starts the harness at every log-in";
    EXPECT_EQ(state.files.at("DRIVE_C/AUTOEXEC.BAT"), kAutoexec);
    const std::string config = state.files.at("DRIVE_C/CONFIG.SYS");
    if (config != kConfig) {
      // The tests' CONFIG.SYS may stay, as after any DOS run, with the machine's own kept.
      EXPECT_EQ(config, kTestsConfig);
      EXPECT_EQ(state.files.count("DRIVE_C/CONFIG.BAK") ? state.files.at("DRIVE_C/CONFIG.BAK")
                                                        : "<missing>",
                kConfig);
    }
    const std::string suite = state.files.at("suite.ts");
    EXPECT_TRUE(suite == m_olderSuite || suite == m_newSuite) << "a torn suite file";
    const std::string list = "DRIVE_C/TMP/~halvex/Marlow.bat";
    EXPECT_EQ(state.files.count(list) ? state.files.at(list) : "", "")
        << "a batch list that would run its tests again";
  }

  testsupport::TempFolder m_folder;
  testsupport::PrivateRegistry m_registry{m_folder};
  testsupport::DosLayout m_dos{m_folder};
  testsupport::ScopedEnvironment m_env;
  harness::StringTable m_strings = testsupport::HarnessStrings();
  std::string m_ini = m_dos.File("DEFS");
  std::string m_startup = m_folder.File("autostart");
  std::string m_image = m_folder.File("floppy.img");
  std::string m_suiteFile = m_folder.File("suite.ts");
  std::string m_results = m_folder.File("results.txt");
  std::string m_olderSuite;
  std::string m_newSuite;
  int m_resets = 0;
  bool m_runMode = false;
};

// A step without the random part of a temporary file's name or the registry file's number.
std::string Plain(const std::string& step)
{
  static const std::regex random(
      R"((/\.[^/ ]*-|^[a-z+]+ \.[^/ ]*-)[A-Za-z0-9]{6}|(\.tmp-|registry)[0-9]+)");
  return std::regex_replace(step, random, "$1$2*");
}

std::string Describe(const std::map<std::string, std::string>& expected,
                     const std::map<std::string, std::string>& actual)
{
  std::string text;
  for (const auto& [name, bytes] : expected)
    if (!actual.count(name))
      text += "missing " + name + "\n";
    else if (actual.at(name) != bytes)
      text += "differs " + name + ": " + ::testing::PrintToString(actual.at(name)) + "\n";
  for (const auto& [name, bytes] : actual)
    if (!expected.count(name))
      text += "extra " + name + "\n";
  return text;
}

TEST_F(DosPreparationKillTest, EveryStepKilledLeavesAStateTheNextStartResumesOrTidies)
{
  // HALVEX_KILL_TABLE prints each step with the state it leaves and what the next start did.
  const bool table = std::getenv("HALVEX_KILL_TABLE") != nullptr;
  for (const auto& [family, runMode] : {std::pair{"NT", false}, std::pair{"NT", true},
                                        std::pair{"9x", false}, std::pair{"9x", true}}) {
    const std::string kind = std::string(family) + (runMode ? " run mode" : " window");
    SCOPED_TRACE(kind);
    m_dos.SetFamily(family);
    m_runMode = runMode;

    // An uninterrupted preparation: its steps and what it leaves.
    Reset();
    const testsupport::TracedRun whole = PrepareAndKill(0);
    if (whole.traceRefused)
      GTEST_SKIP() << "this machine does not let the test trace its child (ptrace)";
    ASSERT_EQ(whole.exitCode, 0);
    ASSERT_FALSE(whole.killed);
    Reset();
    ASSERT_EQ(PrepareOnce(), 0);
    const MachineState prepared = State();
    ASSERT_EQ(prepared.status, harness::kStatusBatchResume);
    m_newSuite = prepared.files.at("suite.ts");
    ASSERT_NE(m_newSuite, m_olderSuite);

    for (std::size_t step = 1; step <= whole.steps.size(); ++step) {
      SCOPED_TRACE(std::to_string(step) + ": " + Plain(whole.steps[step - 1]));
      Reset();
      const testsupport::TracedRun run = PrepareAndKill(static_cast<int>(step));
      ASSERT_TRUE(run.killed);
      ASSERT_EQ(Plain(run.steps.back()), Plain(whole.steps[step - 1]))
          << "the preparation took another way";
      const MachineState killed = State();

      // The log-in runs a run-once value once and deletes it: the harness in run mode.
      std::string runOnce;
      const bool runModeStart = platform::GetRunOnceValue(harness::kRestartEntryName, runOnce) == 0;
      if (runModeStart)
        platform::DeleteRunOnceValue(harness::kRestartEntryName);
      ASSERT_EQ(Start([&] { return NextStart(runModeStart); }), 0);
      const MachineState next = State();
      if (table)
        std::cout << kind << " | " << step << " | " << Plain(whole.steps[step - 1]) << " | "
                  << killed.status << " | "
                  << (killed.status == harness::kStatusBatchResume ? "resumed"
                      : runModeStart                               ? "prepared again"
                                                                   : "tidied")
                  << " | litter " << next.litter.size() << "\n";
      if (next.status == harness::kStatusBatchResume) {
        // A run-mode start that prepared again: exactly as the first preparation.
        EXPECT_TRUE(runModeStart && killed.status == harness::kStatusPrebootbatch);
        EXPECT_EQ(next.runOnce, prepared.runOnce);
        EXPECT_EQ(Describe(prepared.files, next.files), "");
        continue;
      }
      ExpectNothingPending(next);

      // The engineer runs the suite again.
      ASSERT_EQ(PrepareOnce(), 0);
      const MachineState again = State();
      EXPECT_EQ(again.status, prepared.status);
      EXPECT_EQ(again.runOnce, prepared.runOnce);
      EXPECT_EQ(Describe(prepared.files, again.files), "");
    }
  }
}

} // namespace
