// A new user's first start on a private registry with the installation's real seed, and the
// program as the launchers run it.
#include "firststart.h"

#include "testsupport/privateregistry.h"
#include "testsupport/tempfolder.h"

#include "platform/registry.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

using firststart::FirstStartOutcome;

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnvironment
{
public:
  ScopedEnvironment(const char* name, const std::string& value) : m_name(name)
  {
    const char* old = std::getenv(name);
    m_hadOld = old != nullptr;
    m_old = old ? old : "";
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment()
  {
    if (m_hadOld)
      setenv(m_name, m_old.c_str(), 1);
    else
      unsetenv(m_name);
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
  const char* m_name;
  std::string m_old;
  bool m_hadOld = false;
};

std::string UserValue(const std::string& keyPath, const std::string& name)
{
  CRegKey key;
  if (key.Open(platform::HKEY_CURRENT_USER, keyPath) != 0)
    return "<missing>";
  std::string value;
  return key.ReadString(name, value) == 0 ? value : "<missing>";
}

// An installation folder with halvex.ini and the real seed, a private registry, and user
// folders whose names need escaping in a .reg text.
class Installation
{
public:
  Installation()
      : m_registry(m_folder), m_data("XDG_DATA_HOME", m_folder.File("lab user's \"data\"")),
        m_config("XDG_CONFIG_HOME", m_folder.File("config"))
  {
    m_folder.Write("opt/bin/halvex.ini", "[General]\nRegistryKey=SOFTWARE\\Orvane\\Halvex\n");
    fs::create_directories(m_folder.File("opt/share/halvex"));
    fs::copy_file(std::string(std::getenv("HALVEX_SOURCE_DIR")) + "/share/installation.reg",
                  Seed());
  }

  firststart::FirstStartFiles Files() const
  {
    return {m_folder.File("opt/bin/halvex.ini"), Seed(), Opt()};
  }
  std::string Opt() const { return m_folder.File("opt"); }
  std::string Seed() const { return m_folder.File("opt/share/halvex/installation.reg"); }
  std::string Data() const { return m_folder.File("lab user's \"data\"") + "/halvex"; }
  std::string Config() const { return m_folder.File("config"); }
  const testsupport::TempFolder& Folder() const { return m_folder; }
  const std::string& RegistryFile() const { return m_registry.File(); }
  testsupport::PrivateRegistry& Registry() { return m_registry; }

private:
  testsupport::TempFolder m_folder;
  testsupport::PrivateRegistry m_registry;
  ScopedEnvironment m_data;
  ScopedEnvironment m_config;
};

TEST(FirstStartTest, SeedsANewRegistryWithTheInstallationAndTheUsersFolders)
{
  Installation installation;
  const firststart::FirstStartResult result = firststart::SeedUserRegistry(installation.Files());
  ASSERT_EQ(result.outcome, FirstStartOutcome::Seeded) << result.message;
  EXPECT_NE(result.message.find(installation.RegistryFile()), std::string::npos) << result.message;

  const std::string root = testsupport::kRootKey;
  const std::string opt = installation.Opt();
  struct Value
  {
    const char* name;
    std::string expected;
  };
  const Value values[] = {
      {"InstallationFolder", opt},
      {"INIFilesFolder", opt + "/share/halvex/demo/definitions/"},
      {"DefaultLoggingFolder", installation.Data() + "/logs"},
      {"LogFilePath", installation.Data() + "/logs/HalvexLog.txt"},
      {"ResultsFilePath", installation.Data() + "/logs/HalvexResults.txt"},
      {"TestSuitesFolder", installation.Data() + "/suites"},
      {"FileViewerPath", opt + "/bin/parlo"},
  };
  for (const Value& v : values) {
    SCOPED_TRACE(v.name);
    EXPECT_EQ(testsupport::ReadString(root, v.name), v.expected);
  }
  EXPECT_EQ(testsupport::ReadString(root + "\\ComponentDlls\\Marlow", "DllPath"),
            opt + "/lib/halvex/plugins/Marlow.so");
  EXPECT_EQ(testsupport::ReadDword(root + "\\ComponentDlls\\Marlow", "EnableDll"), 1);
  EXPECT_EQ(testsupport::ReadString(root + "\\TestExecution", "TestExecutionStatus"),
            "Prebootbatch");
  EXPECT_EQ(
      UserValue("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Startup"),
      installation.Config() + "/autostart");
  EXPECT_TRUE(fs::is_directory(installation.Data() + "/logs"));
  EXPECT_TRUE(fs::is_directory(installation.Data() + "/suites"));
}

TEST(FirstStartTest, LeavesARegistryThatHasTheRootKeyAlone)
{
  Installation installation;
  installation.Registry().SeedRoot("/somewhere/else", "");
  const firststart::FirstStartResult result = firststart::SeedUserRegistry(installation.Files());
  EXPECT_EQ(result.outcome, FirstStartOutcome::AlreadySetUp) << result.message;
  EXPECT_EQ(testsupport::ReadString(testsupport::kRootKey, "InstallationFolder"),
            "/somewhere/else");
  EXPECT_EQ(testsupport::ReadString(testsupport::kRootKey, "LogFilePath"), "<missing: 2>");
  EXPECT_FALSE(fs::exists(installation.Data()));
}

TEST(FirstStartTest, FailuresSayWhyAndSeedNothing)
{
  struct Case
  {
    const char* name;
    std::function<void(const Installation&)> spoil;
    std::string message;
  };
  const Case cases[] = {
      {"no halvex.ini", [](const Installation& t) { fs::remove(t.Files().configurationIni); },
       "names no registry key"},
      {"no seed", [](const Installation& t) { fs::remove(t.Seed()); },
       "cannot read the registry seed"},
      {"seed for another root key",
       [](const Installation& t) {
         t.Folder().Write("opt/share/halvex/installation.reg",
                          "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n\"a\"=\"b\"\n");
       },
       "does not create HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane\\Halvex"},
      {"damaged seed",
       [](const Installation& t) {
         t.Folder().Write("opt/share/halvex/installation.reg",
                          "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane\\Halvex]\nnonsense\n");
       },
       "installation.reg:3: "},
      {"unknown placeholder",
       [](const Installation& t) {
         t.Folder().Write("opt/share/halvex/installation.reg",
                          "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane\\Halvex]\n"
                          "\"InstallationFolder\"=\"%OPT%\"\n");
       },
       "unknown placeholder %OPT%"},
      {"logs folder cannot be made",
       [](const Installation& t) { t.Folder().Write("lab user's \"data\"/halvex", "a file"); },
       "cannot make the folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Installation installation;
    c.spoil(installation);
    const firststart::FirstStartResult result = firststart::SeedUserRegistry(installation.Files());
    EXPECT_EQ(result.outcome, FirstStartOutcome::Failed);
    EXPECT_NE(result.message.find(c.message), std::string::npos) << result.message;
    EXPECT_FALSE(testsupport::KeyExists(testsupport::kRootKey));
  }
}

struct ProgramRun
{
  int status = -1;
  std::string err;
};

// The program of the build, which reads halvex.ini and the seed of the build tree.
ProgramRun RunFirstStart(const Installation& installation, const std::string& arguments)
{
  const std::string err = installation.Folder().File("err");
  const std::string command = "'" + std::string(std::getenv("HALVEX_BUILD_DIR")) +
                              "/bin/halvex-first-start' " + arguments + " 2>'" + err + "'";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, testsupport::ReadAll(err)};
}

TEST(FirstStartTest, TheProgramSeedsOnceAndSaysSo)
{
  Installation installation;
  const ProgramRun first = RunFirstStart(installation, "");
  EXPECT_EQ(first.status, 0);
  EXPECT_NE(first.err.find("halvex-first-start: registry " + installation.RegistryFile() +
                           " set up from "),
            std::string::npos)
      << first.err;
  EXPECT_EQ(testsupport::ReadString(testsupport::kRootKey, "TestSuitesFolder"),
            installation.Data() + "/suites");

  const ProgramRun again = RunFirstStart(installation, "");
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(again.err, "");

  const ProgramRun extra = RunFirstStart(installation, "suite.ts");
  EXPECT_EQ(extra.status, 1);
  EXPECT_NE(extra.err.find("takes no arguments"), std::string::npos) << extra.err;
}

TEST(FirstStartTest, TheProgramFailsOnAnUnreadableRegistry)
{
  Installation installation;
  testsupport::WriteAll(installation.RegistryFile(), "not a database, not empty");
  const ProgramRun run = RunFirstStart(installation, "");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("halvex-first-start: cannot read HKEY_LOCAL_MACHINE\\SOFTWARE"),
            std::string::npos)
      << run.err;
}

} // namespace
