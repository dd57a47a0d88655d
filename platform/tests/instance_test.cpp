#include "platform/instance.h"

#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace platform;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

std::string HelperPath()
{
  return (fs::read_symlink("/proc/self/exe").parent_path() / "instance_helper").string();
}

// A private XDG_RUNTIME_DIR for this test program, inherited by the helpers it starts.
class InstanceTest : public ::testing::Test
{
protected:
  testsupport::TempFolder m_temp;
  void SetUp() override
  {
    m_runtime = m_temp.Path();
    setenv("XDG_RUNTIME_DIR", m_runtime.c_str(), 1);
  }
  void TearDown() override
  {
    for (pid_t pid : m_helpers) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    unsetenv("XDG_RUNTIME_DIR");
  }

  // Starts the helper and waits until it listens.
  pid_t StartHelper(std::vector<std::string> args, const std::string& readyFile)
  {
    args.insert(args.begin(), HelperPath());
    std::vector<char*> argv;
    for (auto& a : args) {
      argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
      ADD_FAILURE() << "cannot start " << argv[0];
      return -1;
    }
    m_helpers.push_back(pid);
    for (int i = 0; i < 3000 && !fs::exists(readyFile); ++i) {
      if (waitpid(pid, nullptr, WNOHANG) == pid) {
        std::erase(m_helpers, pid);
        ADD_FAILURE() << "helper ended before it was ready";
        return -1;
      }
      std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(fs::exists(readyFile)) << "helper never got ready";
    return pid;
  }

  int StopHelper(pid_t pid, int signal)
  {
    kill(pid, signal);
    int status = 0;
    waitpid(pid, &status, 0);
    std::erase(m_helpers, pid);
    return status;
  }

  std::string m_runtime;
  std::vector<pid_t> m_helpers;
};

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

InstanceRequest Open(const std::string& path)
{
  return {InstanceRequest::Kind::Open, path};
}

InstanceRequest Show()
{
  return {InstanceRequest::Kind::Show, {}};
}

} // namespace

TEST_F(InstanceTest, SocketLivesInPrivateRuntimeFolder)
{
  std::string path;
  std::string error;
  ASSERT_TRUE(InstanceSocketPath("HALVEXclass", &path, &error)) << error;
  EXPECT_EQ(path, m_runtime + "/halvex/HALVEXclass");
  struct stat st
  {
  };
  ASSERT_EQ(stat((m_runtime + "/halvex").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  unsetenv("XDG_RUNTIME_DIR");
  ASSERT_TRUE(InstanceSocketPath("HALVEXclass", &path, &error)) << error;
  std::string folder = "/tmp/halvex-" + std::to_string(getuid());
  EXPECT_EQ(path, folder + "/HALVEXclass");
  ASSERT_EQ(stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(st.st_uid, getuid());
}

TEST_F(InstanceTest, BadClassNamesAreRefused)
{
  const std::string tooLong(200, 'x');
  for (const std::string& name : {std::string(), std::string("a/b"), std::string(".."), tooLong}) {
    SCOPED_TRACE(name);
    std::string path = "unchanged";
    std::string error;
    EXPECT_FALSE(InstanceSocketPath(name, &path, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(path, "unchanged");
    InstanceListener listener;
    EXPECT_FALSE(listener.Start(
        name, [](const InstanceRequest&) { return true; }, &error));
  }
}

TEST_F(InstanceTest, NothingRunning)
{
  EXPECT_FALSE(IsInstanceRunning("NobodyClass"));
  EXPECT_EQ(AskRunningInstance("NobodyClass", Show()), InstanceAnswer::NotRunning);
}

TEST_F(InstanceTest, HandOffBetweenTwoProcesses)
{
  const std::string log = m_runtime + "/requests.log";
  const std::string ready = m_runtime + "/ready";
  const std::string suite = m_runtime + "/suite file.ts";
  std::ofstream(suite) << "suite\n";
  pid_t helper = StartHelper({"listen", "HALVEXclass", log, ready}, ready);

  EXPECT_TRUE(IsInstanceRunning("HALVEXclass"));
  EXPECT_FALSE(IsInstanceRunning("halvexclass")) << "socket names keep their case";

  // A second listener for the same class, as a second start would try, is refused.
  InstanceListener second;
  std::string error;
  EXPECT_FALSE(second.Start(
      "HALVEXclass", [](const InstanceRequest&) { return true; }, &error));
  EXPECT_NE(error.find("another instance"), std::string::npos) << error;

  struct Case
  {
    InstanceRequest request;
    InstanceAnswer expected;
    const char* logged;
  };
  const std::vector<Case> cases = {
      {Show(), InstanceAnswer::Accepted, "SHOW\n"},
      {Open(suite), InstanceAnswer::Accepted, nullptr},
      {Open(m_runtime + "/missing.ts"), InstanceAnswer::Refused, nullptr},
      {Open("two\nlines"), InstanceAnswer::BadRequest, ""},
      {Open(""), InstanceAnswer::BadRequest, ""},
      {Open("/" + std::string(kMaxInstanceRequest, 'p')), InstanceAnswer::BadRequest, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request.path.substr(0, 60));
    std::error_code ignored;
    fs::remove(log, ignored);
    EXPECT_EQ(AskRunningInstance("HALVEXclass", c.request), c.expected);
    std::string expectedLog = c.logged != nullptr ? c.logged : "OPEN " + c.request.path + "\n";
    EXPECT_EQ(ReadFile(log), expectedLog);
  }

  int status = StopHelper(helper, SIGTERM);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(fs::exists(m_runtime + "/halvex/HALVEXclass")) << "a clean stop removes the socket";
  EXPECT_EQ(AskRunningInstance("HALVEXclass", Show()), InstanceAnswer::NotRunning);
}

TEST_F(InstanceTest, StaleSocketIsRemovedAndReplaced)
{
  const std::string ready = m_runtime + "/ready";
  pid_t helper = StartHelper({"listen", "StaleClass", m_runtime + "/log", ready}, ready);
  StopHelper(helper, SIGKILL);
  const std::string socketPath = m_runtime + "/halvex/StaleClass";
  ASSERT_TRUE(fs::is_socket(socketPath)) << "a killed instance leaves its socket behind";

  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(AskRunningInstance("StaleClass", Show()), InstanceAnswer::NotRunning);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
  EXPECT_FALSE(fs::exists(socketPath));

  // A listener started over a stale socket takes its place.
  fs::remove(ready);
  helper = StartHelper({"listen", "StaleClass", m_runtime + "/log", ready}, ready);
  StopHelper(helper, SIGKILL);
  InstanceListener listener;
  std::string error;
  int shown = 0;
  ASSERT_TRUE(listener.Start(
      "StaleClass",
      [&](const InstanceRequest& request) {
        ++shown;
        return request.kind == InstanceRequest::Kind::Show;
      },
      &error))
      << error;
  EXPECT_EQ(AskRunningInstance("StaleClass", Show()), InstanceAnswer::Accepted);
  EXPECT_EQ(shown, 1);
  listener.Stop();
  EXPECT_FALSE(fs::exists(socketPath));
}

TEST_F(InstanceTest, HungInstanceReleasesSecondStart)
{
  const std::string ready = m_runtime + "/ready";
  StartHelper({"hang", "HungClass", ready}, ready);
  // The first request takes the helper's only thread for good; the later ones are never
  // accepted at all.
  for (int attempt = 0; attempt < 3; ++attempt) {
    SCOPED_TRACE(attempt);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(AskRunningInstance("HungClass", Open("/some/suite.ts")), InstanceAnswer::NoAnswer);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 400ms);
    EXPECT_LT(waited, 1500ms);
  }
  EXPECT_TRUE(IsInstanceRunning("HungClass")) << "a hung instance is not mistaken for stale";
}

TEST_F(InstanceTest, ListenerThatNeverAcceptsReleasesSecondStart)
{
  std::string path;
  ASSERT_TRUE(InstanceSocketPath("DeafClass", &path, nullptr));
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", path.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(listen(fd, 0), 0);
  // Enough attempts to fill the backlog, so connecting itself is refused for being busy.
  for (int attempt = 0; attempt < 4; ++attempt) {
    SCOPED_TRACE(attempt);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(AskRunningInstance("DeafClass", Show()), InstanceAnswer::NoAnswer);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
  }
  close(fd);
}
