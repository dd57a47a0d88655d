#include "platform/system.h"

#include "platform/files.h"
#include "platform/registry.h"

#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class SystemTest : public ::testing::Test
{
protected:
  testsupport::TempFolder m_temp;
  void SetUp() override { folder_ = m_temp.Path(); }
  void TearDown() override
  {
    for (const char* name : {"HALVEX_RESTART_COMMAND", "HALVEX_SYSTEM_ROOT", "XDG_DATA_HOME"})
      unsetenv(name);
    if (!home_.empty())
      setenv("HOME", home_.c_str(), 1);
  }
  void SetHome(const fs::path& home)
  {
    if (home_.empty())
      home_ = std::getenv("HOME") ? std::getenv("HOME") : "/";
    setenv("HOME", home.c_str(), 1);
  }

  // An executable shell script in the test's folder.
  fs::path WriteScript(const std::string& name, const std::string& body)
  {
    const fs::path script = folder_ / name;
    std::ofstream(script) << "#!/bin/sh\n" << body;
    fs::permissions(script, fs::perms::owner_all);
    return script;
  }

  fs::path folder_;
  std::string home_;
};

std::string ReadText(const fs::path& path)
{
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

} // namespace

TEST(PlatformFamilyTest, FamilyFollowsEnvironment)
{
  unsetenv("HALVEX_PLATFORM_FAMILY");
  EXPECT_EQ(platform::GetPlatformFamily(), platform::PlatformFamily::NT);
  setenv("HALVEX_PLATFORM_FAMILY", "9x", 1);
  EXPECT_EQ(platform::GetPlatformFamily(), platform::PlatformFamily::Win9x);
  setenv("HALVEX_PLATFORM_FAMILY", "NT", 1);
  EXPECT_EQ(platform::GetPlatformFamily(), platform::PlatformFamily::NT);
  unsetenv("HALVEX_PLATFORM_FAMILY");
}

TEST_F(SystemTest, RestartRunsTheConfiguredCommand)
{
  const fs::path record = folder_ / "restart requests";
  const fs::path script = WriteScript("restart me", "echo \"$@\" >> '" + record.string() +
                                                        "'\nexit ${HALVEX_TEST_EXIT:-0}\n");
  const std::string command = "\"" + script.string() + "\" --why \"a test\"";
  setenv("HALVEX_RESTART_COMMAND", command.c_str(), 1);
  EXPECT_EQ(platform::CheckRestartPermission(), 0);
  EXPECT_EQ(platform::RequestMachineRestart(platform::RestartMode::Normal), 0);
  EXPECT_EQ(platform::RequestMachineRestart(platform::RestartMode::Force), 0);
  EXPECT_EQ(ReadText(record), "--why a test\n--why a test --force\n");

  setenv("HALVEX_TEST_EXIT", "3", 1);
  EXPECT_EQ(platform::RequestMachineRestart(platform::RestartMode::Normal),
            platform::kErrorRestartRefused);
  unsetenv("HALVEX_TEST_EXIT");
  const struct
  {
    const char* label;
    std::string command;
    int expected;
  } refused[] = {
      {"killed", "sh -c \"kill -9 $$\"", platform::kErrorRestartRefused},
      {"command missing", (folder_ / "no-reboot-here").string(), platform::kErrorFileNotFound},
      {"not executable", "\"" + record.string() + "\"", platform::kErrorAccessDenied},
      {"blank", "  ", platform::kErrorRestartRefused},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.label);
    setenv("HALVEX_RESTART_COMMAND", c.command.c_str(), 1);
    EXPECT_EQ(platform::RequestMachineRestart(platform::RestartMode::Normal), c.expected);
  }
}

TEST_F(SystemTest, WithoutCommandLogindIsAsked)
{
  // Fake systemctl and busctl first and alone on PATH: the real ones must never run here.
  const fs::path record = folder_ / "systemctl calls";
  WriteScript("systemctl",
              "echo \"$@\" >> '" + record.string() + "'\nexit ${HALVEX_TEST_EXIT:-0}\n");
  WriteScript("busctl", "echo \"s \\\"$HALVEX_TEST_CAN\\\"\"\n");
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", folder_.c_str(), 1);
  unsetenv("HALVEX_RESTART_COMMAND");

  EXPECT_EQ(platform::RequestMachineRestart(platform::RestartMode::Normal), 0);
  EXPECT_EQ(platform::RequestMachineRestart(platform::RestartMode::Force), 0);
  setenv("HALVEX_TEST_EXIT", "1", 1);
  EXPECT_EQ(platform::RequestMachineRestart(platform::RestartMode::Normal),
            platform::kErrorRestartRefused);
  unsetenv("HALVEX_TEST_EXIT");
  EXPECT_EQ(ReadText(record), "reboot\nreboot --ignore-inhibitors\nreboot\n");

  const struct
  {
    const char* answer;
    int expected;
  } answers[] = {{"yes", 0},
                 {"challenge", 0},
                 {"no", platform::kErrorAccessDenied},
                 {"na", platform::kErrorAccessDenied}};
  for (const auto& a : answers) {
    SCOPED_TRACE(a.answer);
    setenv("HALVEX_TEST_CAN", a.answer, 1);
    EXPECT_EQ(platform::CheckRestartPermission(), a.expected);
  }
  unsetenv("HALVEX_TEST_CAN");
  fs::remove(folder_ / "busctl");
  EXPECT_EQ(platform::CheckRestartPermission(), platform::kErrorAccessDenied)
      << "logind out of reach";
  setenv("PATH", path.c_str(), 1);
}

TEST_F(SystemTest, DosMachineFollowsTheRegistry)
{
  setenv("HALVEX_REGISTRY", (folder_ / "registry.db").c_str(), 1);
  const std::string root = "SOFTWARE\\Orvane\\Halvex";
  EXPECT_EQ(platform::GetDosMachine(root), platform::DosMachine::Restart) << "no key";
  const struct
  {
    const char* value;
    platform::DosMachine expected;
  } cases[] = {
      {"emulator", platform::DosMachine::Emulator}, {"EMULATOR", platform::DosMachine::Emulator},
      {"restart", platform::DosMachine::Restart},   {"emulator ", platform::DosMachine::Restart},
      {"", platform::DosMachine::Restart},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    ASSERT_EQ(platform::RegSetString(platform::HKEY_LOCAL_MACHINE, root, "DosMachine", c.value),
              platform::ERROR_SUCCESS);
    EXPECT_EQ(platform::GetDosMachine(root), c.expected);
  }
  unsetenv("HALVEX_REGISTRY");
}

TEST_F(SystemTest, SystemRootFollowsEnvironment)
{
  SetHome(folder_ / "home");
  const struct
  {
    const char* label;
    const char* systemRoot;
    const char* dataHome;
    fs::path expected;
  } cases[] = {
      {"explicit", "drive-c/", nullptr, "drive-c"},
      {"xdg data", nullptr, "xdg", folder_ / "xdg/halvex/sysroot"},
      {"relative xdg ignored", nullptr, "relative", folder_ / "home/.local/share/halvex/sysroot"},
      {"home", nullptr, nullptr, folder_ / "home/.local/share/halvex/sysroot"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    if (c.systemRoot)
      setenv("HALVEX_SYSTEM_ROOT", (folder_ / c.systemRoot).c_str(), 1);
    else
      unsetenv("HALVEX_SYSTEM_ROOT");
    if (c.dataHome)
      setenv("XDG_DATA_HOME", c.dataHome[0] == 'r' ? c.dataHome : (folder_ / c.dataHome).c_str(),
             1);
    else
      unsetenv("XDG_DATA_HOME");
    const fs::path expected = c.systemRoot ? folder_ / c.expected : c.expected;
    EXPECT_EQ(platform::SystemRootFolder(), expected.string());
    EXPECT_TRUE(fs::is_directory(expected));
  }
}

TEST(BeepTest, WithoutTerminalNothingHappens)
{
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setsid(); // no controlling terminal from here on
    _exit(platform::Beep() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}
