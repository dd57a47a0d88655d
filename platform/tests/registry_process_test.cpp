// Several real processes on one registry file: concurrent writers, and writers killed mid-stream.
#include "platform/registry.h"

#include "registry_stream_value.h"
#include "registry_test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace platform;

namespace {

std::string WriterProgram()
{
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() /
          "platform_registry_writer")
      .string();
}

// Starts the writer with `args`; with `output`, its standard output goes to a pipe whose read
// end is stored there.
pid_t StartWriter(const std::vector<std::string>& args, int* output)
{
  std::vector<std::string> all{WriterProgram()};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : all) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int pipeFds[2] = {-1, -1};
  if (output) {
    EXPECT_EQ(pipe2(pipeFds, O_CLOEXEC), 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  }
  pid_t pid = -1;
  int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  EXPECT_EQ(error, 0) << std::strerror(error);
  if (output) {
    close(pipeFds[1]);
    *output = pipeFds[0];
  }
  return pid;
}

int WaitFor(pid_t pid)
{
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

// Reads one 4-byte report; false at the end of the stream.
bool ReadReport(int fd, std::uint32_t& index)
{
  std::size_t got = 0;
  auto* bytes = reinterpret_cast<char*>(&index);
  while (got < sizeof index) {
    ssize_t n = read(fd, bytes + got, sizeof index - got);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return false;
    }
    got += static_cast<std::size_t>(n);
  }
  return true;
}

TEST(RegistryProcessTest, TwoWritersLoseNothing)
{
  TempFolder folder;
  std::string file = folder.File("shared.db");
  constexpr int kWrites = 40;
  pid_t first = StartWriter({"count", file, "a", std::to_string(kWrites)}, nullptr);
  pid_t second = StartWriter({"count", file, "b", std::to_string(kWrites)}, nullptr);
  int firstStatus = WaitFor(first);
  int secondStatus = WaitFor(second);
  ASSERT_TRUE(WIFEXITED(firstStatus) && WEXITSTATUS(firstStatus) == 0) << firstStatus;
  ASSERT_TRUE(WIFEXITED(secondStatus) && WEXITSTATUS(secondStatus) == 0) << secondStatus;

  ConnectedRoot root(file);
  ASSERT_EQ(root.Result(), ERROR_SUCCESS);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(root, "Stream", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD total = 0;
  ASSERT_EQ(GetDword(key, "total", total), ERROR_SUCCESS);
  EXPECT_EQ(total, 2u * kWrites);
  EXPECT_EQ(ValueNames(key).size(), 2u * kWrites + 1);
  for (const char* tag : {"a", "b"}) {
    for (int i = 0; i < kWrites; ++i) {
      std::string name = tag + std::to_string(i);
      DWORD value = 99;
      EXPECT_EQ(GetDword(key, name.c_str(), value), ERROR_SUCCESS) << name;
      EXPECT_EQ(value, static_cast<DWORD>(i)) << name;
    }
  }
  RegCloseKey(key);
}

// Kills a writer with SIGKILL at a random point 200 times; after each kill the file opens and
// holds every reported write, and at most the one write committed but not yet reported.
TEST(RegistryProcessTest, KilledWriterLeavesExactlyTheCommittedWrites)
{
  TempFolder folder;
  std::string file = folder.File("crash.db");
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> reportsBeforeKill(0, 4);
  std::uniform_int_distribution<int> extraDelayUs(0, 3000);
  DWORD expected = 0; // writes known to be committed
  constexpr int kRounds = 200;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE(round);
    int output = -1;
    pid_t pid = StartWriter({"stream", file}, &output);
    int wanted = reportsBeforeKill(random);
    DWORD reported = 0;
    std::uint32_t index = 0;
    bool open = true;
    for (int i = 0; i < wanted && open; ++i) {
      open = ReadReport(output, index);
      reported += open ? 1 : 0;
    }
    usleep(static_cast<useconds_t>(extraDelayUs(random)));
    kill(pid, SIGKILL);
    int status = WaitFor(pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself: " << status;
    while (ReadReport(output, index)) {
      ++reported;
    }
    close(output);

    ConnectedRoot root(file);
    ASSERT_EQ(root.Result(), ERROR_SUCCESS) << RegLastErrorDetail();
    HKEY key = nullptr;
    LONG opened = RegOpenKeyEx(root, "Stream", 0, KEY_READ, &key);
    if (opened == ERROR_FILE_NOT_FOUND) {
      ASSERT_EQ(expected + reported, 0u);
      continue;
    }
    ASSERT_EQ(opened, ERROR_SUCCESS);
    DWORD count = 0;
    LONG read = GetDword(key, "count", count);
    ASSERT_TRUE(read == ERROR_SUCCESS ||
                (read == ERROR_FILE_NOT_FOUND && expected + reported == 0));
    // Reported writes are committed; one more may have committed before its report.
    ASSERT_GE(count, expected + reported);
    ASSERT_LE(count, expected + reported + 1);
    EXPECT_EQ(ValueNames(key).size(), count + (count > 0 ? 1u : 0u));
    for (DWORD i = expected; i < count; ++i) {
      std::string name = "v" + std::to_string(i);
      std::string data(4096, '\0');
      DWORD size = static_cast<DWORD>(data.size());
      ASSERT_EQ(RegQueryValueEx(key, name.c_str(), nullptr, nullptr,
                                reinterpret_cast<BYTE*>(data.data()), &size),
                ERROR_SUCCESS)
          << name;
      data.resize(size);
      EXPECT_EQ(data, StreamValue(i)) << name;
    }
    RegCloseKey(key);
    expected = count;
  }
  EXPECT_GT(expected, 0u);
}

} // namespace
