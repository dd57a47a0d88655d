#include "platform/system.h"

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
  void SetUp() override
  {
    char pattern[] = "/tmp/halvex-system-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override
  {
    for (const char* name : {"HALVEX_RESTART_COMMAND", "HALVEX_SYSTEM_ROOT", "XDG_DATA_HOME"})
      unsetenv(name);
    if (!home_.empty())
      setenv("HOME", home_.c_str(), 1);
    fs::remove_all(folder_);
  }
  void SetHome(const fs::path& home)
  {
    if (home_.empty())
      home_ = std::getenv("HOME") ? std::getenv("HOME") : "/";
    setenv("HOME", home.c_str(), 1);
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
  const fs::path marker = folder_ / "restart requested";
  const std::string command = "echo reboot >> '" + marker.string() + "'";
  setenv("HALVEX_RESTART_COMMAND", command.c_str(), 1);
  EXPECT_TRUE(platform::RequestSystemRestart());
  EXPECT_TRUE(platform::RequestSystemRestart());
  EXPECT_EQ(ReadText(marker), "reboot\nreboot\n");

  const struct
  {
    const char* label;
    const char* command;
  } refused[] = {
      {"command fails", "exit 3"},
      {"command missing", "/nonexistent/halvex-reboot"},
      {"killed", "kill -9 $$"},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.label);
    setenv("HALVEX_RESTART_COMMAND", c.command, 1);
    EXPECT_FALSE(platform::RequestSystemRestart());
  }
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
