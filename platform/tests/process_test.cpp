#include "platform/process.h"
#include "platform/subreaper.h"

#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

std::string Helper()
{
  return (fs::read_symlink("/proc/self/exe").parent_path() / "process_helper").string();
}

class ProcessTest : public ::testing::Test
{
protected:
  testsupport::TempFolder m_temp;
  void SetUp() override { m_folder = m_temp.Path(); }
  void TearDown() override {}
  std::string m_folder;
};

std::vector<std::string> ReadLines(const std::string& path)
{
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

// Alive means the process exists and is not a zombie.
bool IsAlive(pid_t pid)
{
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(in, line)) {
    return false;
  }
  auto close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

bool IsZombieChildOfUs(pid_t pid)
{
  return waitpid(pid, nullptr, WNOHANG) == pid;
}

} // namespace

TEST(SplitCommandLineTest, QuotingRule)
{
  struct Case
  {
    const char* line;
    std::vector<std::string> words;
  };
  const Case cases[] = {
      {"", {}},
      {"   \t ", {}},
      {"prog", {"prog"}},
      {"  prog   a\tb  ", {"prog", "a", "b"}},
      {R"(prog "two words" x)", {"prog", "two words", "x"}},
      {R"(prog a"b c"d)", {"prog", "ab cd"}},
      {R"(prog "" x)", {"prog", "", "x"}},
      {R"(prog \"quoted\")", {"prog", "\"quoted\""}},
      {R"(prog "say \"hi\"")", {"prog", "say \"hi\""}},
      {R"(prog C:\dir\file.txt)", {"prog", R"(C:\dir\file.txt)"}},
      {R"(prog a\\b)", {"prog", R"(a\\b)"}},
      {R"(prog "a\\" b)", {"prog", "a\\", "b"}},
      {R"(prog a\\\"b)", {"prog", R"(a\"b)"}},
      {R"(prog "unterminated quote)", {"prog", "unterminated quote"}},
      {R"(prog 'single quotes' stay)", {"prog", "'single", "quotes'", "stay"}},
      {"prog $HOME *.txt |", {"prog", "$HOME", "*.txt", "|"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(SplitCommandLine(c.line), c.words);
  }
}

TEST(JoinCommandLineTest, SplitGivesTheWordsBack)
{
  const std::vector<std::vector<std::string>> cases = {
      {"prog"},
      {"/opt/my halvex/bin/halvex", "-run", "/home/x/My Suites/a.ts"},
      {"prog", ""},
      {"prog", "say \"hi\""},
      {"prog", "C:\\dir\\", "trailing\\ blank\\"},
      {"prog", "a\\\"b", "\\\\\""},
      {"prog", "tab\there", "$HOME", "*.txt"},
  };
  for (const auto& words : cases) {
    const std::string line = JoinCommandLine(words);
    SCOPED_TRACE(line);
    EXPECT_EQ(SplitCommandLine(line), words);
  }
  EXPECT_EQ(JoinCommandLine({"/opt/halvex/bin/halvex", "-run", "C:\\x.ts"}),
            "/opt/halvex/bin/halvex -run C:\\x.ts")
      << "words without blanks or quotes stay bare";
  EXPECT_EQ(JoinCommandLine({"a b", "c\"d"}), "\"a b\" \"c\\\"d\"");
}

TEST_F(ProcessTest, StreamsGoWhereTheCallerSays)
{
  const std::string output = m_folder + "/output.txt";
  const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  Process process;
  ASSERT_TRUE(
      process.Start({"sh", "-c", "echo out; echo err >&2"}, m_folder, ProcessStreams{-1, fd, fd}))
      << process.LastError().message;
  close(fd);
  EXPECT_EQ(process.Wait(30000), WAIT_OBJECT_0);
  EXPECT_EQ(ReadLines(output), (std::vector<std::string>{"out", "err"}));
}

TEST_F(ProcessTest, RunProgramKeepsOutputErrorsAndExitCode)
{
  ProgramResult result;
  ProcessError error;
  ASSERT_TRUE(
      RunProgram({"sh", "-c", "read x || echo no-input; printf 'a\\nb'; echo oops >&2; exit 3"},
                 30000, result, error))
      << error.message;
  EXPECT_EQ(result.exitCode, 3u);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.output, "no-input\na\nb");
  EXPECT_EQ(result.errors, "oops\n");

  ASSERT_TRUE(RunProgram({"sleep", "30"}, 100, result, error));
  EXPECT_TRUE(result.timedOut);
  EXPECT_EQ(result.exitCode, WAIT_TIMEOUT);

  EXPECT_FALSE(RunProgram({m_folder + "/missing"}, 1000, result, error));
  EXPECT_EQ(error.windowsCode, 2u);
}

TEST_F(ProcessTest, RunningMeansNotEndedYet)
{
  Process sleeper;
  ASSERT_TRUE(sleeper.Start("sleep 30"));
  EXPECT_TRUE(IsProcessRunning(sleeper.Id()));
  const pid_t zombie = fork();
  ASSERT_GE(zombie, 0);
  if (zombie == 0) {
    _exit(0);
  }
  for (int i = 0; i < 500 && IsProcessRunning(zombie); ++i) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_FALSE(IsProcessRunning(zombie)) << "ended, not yet reaped";
  waitpid(zombie, nullptr, 0);
  EXPECT_FALSE(IsProcessRunning(zombie));
  sleeper.Terminate(1);
  EXPECT_FALSE(IsProcessRunning(sleeper.Id()));
  EXPECT_FALSE(IsProcessRunning(0));
  EXPECT_FALSE(IsProcessRunning(-1));
}

TEST_F(ProcessTest, WordsReachTheProgramUnchanged)
{
  std::string out = m_folder + "/args with blank.txt";
  Process process;
  ASSERT_TRUE(
      process.Start(Helper() + " args \"" + out + "\" one \"two three\" \\\"four\\\" $HOME"))
      << process.LastError().message;
  EXPECT_EQ(process.Wait(INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(ReadLines(out), (std::vector<std::string>{"one", "two three", "\"four\"", "$HOME"}));
}

TEST_F(ProcessTest, ExitCodes)
{
  for (int code : {0, 1, 7, 255}) {
    SCOPED_TRACE(code);
    Process process;
    ASSERT_TRUE(process.Start(Helper() + " exit " + std::to_string(code)));
    EXPECT_EQ(process.Wait(30000), WAIT_OBJECT_0);
    DWORD exitCode = 12345;
    ASSERT_TRUE(process.GetExitCode(&exitCode));
    EXPECT_EQ(exitCode, static_cast<DWORD>(code));
    EXPECT_EQ(waitpid(process.Id(), nullptr, WNOHANG), -1) << "reaped: no zombie";
  }
}

TEST_F(ProcessTest, ProgramIsSearchedInPathAndStartsInItsFolder)
{
  Process process;
  ASSERT_TRUE(process.Start("sh -c \"pwd > out.txt\"", m_folder)) << process.LastError().message;
  EXPECT_EQ(process.Wait(INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(ReadLines(m_folder + "/out.txt"), std::vector<std::string>{m_folder});
}

TEST_F(ProcessTest, StartFailuresCarryTheSystemError)
{
  struct Case
  {
    std::string line;
    std::string folder;
    int error;
    DWORD windowsCode;
  };
  const std::string missing = m_folder + "/no-such-program";
  const std::string notExecutable = m_folder + "/plain.txt";
  std::ofstream(notExecutable) << "text\n";
  const Case cases[] = {
      {missing, "", ENOENT, 2},
      {"halvex-no-such-program-anywhere", "", ENOENT, 2},
      {notExecutable, "", EACCES, 5},
      {Helper() + " exit 0", m_folder + "/missing-folder", ENOENT, 2},
      {"", "", EINVAL, 87},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line + " in " + c.folder);
    Process process;
    EXPECT_FALSE(process.Start(c.line, c.folder));
    EXPECT_EQ(process.LastError().error, c.error);
    EXPECT_EQ(process.LastError().windowsCode, c.windowsCode);
    EXPECT_FALSE(process.LastError().message.empty());
    EXPECT_EQ(process.Wait(0), WAIT_FAILED);
    DWORD code = 0;
    EXPECT_FALSE(process.GetExitCode(&code));
    EXPECT_FALSE(process.Terminate(1));
  }
  Process process;
  ASSERT_FALSE(process.Start(missing));
  EXPECT_EQ(process.LastError().message, "No such file or directory");
}

TEST_F(ProcessTest, HungProgramIsKilledWithItsWholeTree)
{
  const std::string pids = m_folder + "/pids";
  Process process;
  ASSERT_TRUE(process.Start(Helper() + " tree " + pids));
  for (int i = 0; i < 3000 && !fs::exists(pids); ++i) {
    std::this_thread::sleep_for(10ms);
  }
  std::vector<pid_t> tree(4, 0);
  {
    std::ifstream in(pids);
    in >> tree[0] >> tree[1] >> tree[2] >> tree[3];
  }
  ASSERT_EQ(tree[0], process.Id());
  for (pid_t pid : tree) {
    ASSERT_TRUE(IsAlive(pid)) << pid;
  }
  auto descendants = FindDescendants(process.Id());
  for (std::size_t i = 1; i < tree.size(); ++i) {
    EXPECT_NE(std::find(descendants.begin(), descendants.end(), tree[i]), descendants.end())
        << tree[i];
  }
  EXPECT_EQ(getpgid(tree[2]), tree[2]) << "the second child left the group";

  EXPECT_EQ(process.Wait(0), WAIT_TIMEOUT);
  EXPECT_EQ(process.Wait(200), WAIT_TIMEOUT);
  DWORD code = 0;
  ASSERT_TRUE(process.GetExitCode(&code));
  EXPECT_EQ(code, STILL_ACTIVE);

  ASSERT_TRUE(process.Terminate(42));
  EXPECT_EQ(process.Wait(0), WAIT_OBJECT_0);
  ASSERT_TRUE(process.GetExitCode(&code));
  EXPECT_EQ(code, 42u);
  // Killed grandchildren may linger as zombies until init reaps them, but none may run.
  for (int i = 0; i < 500; ++i) {
    bool anyAlive = false;
    for (pid_t pid : tree) {
      anyAlive = anyAlive || IsAlive(pid);
    }
    if (!anyAlive) {
      break;
    }
    std::this_thread::sleep_for(10ms);
  }
  for (pid_t pid : tree) {
    EXPECT_FALSE(IsAlive(pid)) << pid;
  }
  EXPECT_FALSE(IsZombieChildOfUs(tree[0]));
}

TEST_F(ProcessTest, DroppedProcessIsReapedWhenItEnds)
{
  pid_t pid = 0;
  {
    Process process;
    ASSERT_TRUE(process.Start("sleep 0.2"));
    pid = process.Id();
  }
  // The background reaper collects it; a zombie would stay visible in /proc.
  bool gone = false;
  for (int i = 0; i < 1000 && !gone; ++i) {
    gone = !fs::exists("/proc/" + std::to_string(pid));
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_TRUE(gone);
}

TEST_F(ProcessTest, TerminateAfterExitKeepsTheExitCode)
{
  Process process;
  ASSERT_TRUE(process.Start(Helper() + " exit 3"));
  EXPECT_EQ(process.Wait(INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(process.Terminate(9));
  DWORD code = 0;
  ASSERT_TRUE(process.GetExitCode(&code));
  EXPECT_EQ(code, 3u);
  EXPECT_FALSE(process.Start(Helper() + " exit 0")) << "one program per process object";
}

TEST(QuoteCommandLineWordTest, EveryWordComesBackWhole)
{
  const std::string words[] = {"plain",      "",           "two words",     "tab\there",
                               "say \"hi\"", "C:\\dir\\x", "trailing\\",    "a b\\",
                               "a\\\"b",     "\\\\\"",     "/tmp/a b/c.log"};
  for (const std::string& word : words) {
    SCOPED_TRACE(word);
    const std::string quoted = QuoteCommandLineWord(word);
    EXPECT_EQ(SplitCommandLine("prog " + quoted + " next"),
              (std::vector<std::string>{"prog", word, "next"}));
  }
  EXPECT_EQ(QuoteCommandLineWord("plain"), "plain");
  EXPECT_EQ(QuoteCommandLineWord("/tmp/a b/c.log"), "\"/tmp/a b/c.log\"");
}

TEST_F(ProcessTest, EveryProgramCarriesAMarkOfItsOwn)
{
  setenv(kProcessTreeVariable, "inherited.1", 1);
  std::vector<std::string> marks;
  for (int i = 0; i < 2; ++i) {
    const std::string out = m_folder + "/mark" + std::to_string(i);
    Process process;
    ASSERT_TRUE(process.Start(Helper() + " env " + out + " " + kProcessTreeVariable));
    ASSERT_EQ(process.Wait(30000), WAIT_OBJECT_0);
    marks.push_back(ReadLines(out).at(0));
  }
  unsetenv(kProcessTreeVariable);
  EXPECT_NE(marks[0], marks[1]);
  for (const std::string& mark : marks) {
    EXPECT_EQ(mark.rfind(std::to_string(getpid()) + ".", 0), 0u) << mark;
  }
}

TEST_F(ProcessTest, StopSignalEndsTheWaitFromAnotherThread)
{
  const struct
  {
    const char* name;
    DWORD timeout;
  } cases[] = {{"no limit", INFINITE}, {"long limit", 600000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Process process;
    ASSERT_TRUE(process.Start("sleep 600"));
    StopSignal stop;
    std::thread stopper([&stop] {
      std::this_thread::sleep_for(200ms);
      stop.Raise();
    });
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(process.Wait(c.timeout, &stop), WAIT_STOPPED);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 10s);
    stopper.join();
    // Raised stays raised until cleared; cleared, the wait runs to its limit again.
    EXPECT_EQ(process.Wait(100, &stop), WAIT_STOPPED);
    stop.Clear();
    EXPECT_FALSE(stop.IsRaised());
    EXPECT_EQ(process.Wait(100, &stop), WAIT_TIMEOUT);
    EXPECT_TRUE(process.Terminate(0));
  }
  // A program that has ended wins over a raised signal.
  Process ended;
  ASSERT_TRUE(ended.Start(Helper() + " exit 0"));
  ASSERT_EQ(ended.Wait(30000), WAIT_OBJECT_0);
  StopSignal raised;
  raised.Raise();
  EXPECT_EQ(ended.Wait(INFINITE, &raised), WAIT_OBJECT_0);
}

namespace {

pid_t ReadPid(const std::string& file)
{
  for (int i = 0; i < 3000 && !fs::exists(file); ++i) {
    std::this_thread::sleep_for(10ms);
  }
  pid_t pid = 0;
  std::ifstream(file) >> pid;
  return pid;
}

pid_t ParentOf(pid_t pid)
{
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(in, line);
  auto close = line.rfind(')');
  if (close == std::string::npos) {
    return 0;
  }
  char state = 0;
  long ppid = 0;
  std::sscanf(line.c_str() + close + 2, "%c %ld", &state, &ppid);
  return static_cast<pid_t>(ppid);
}

// Subreaper or not: orphans are found by their mark either way.
class OrphanTest : public ProcessTest, public ::testing::WithParamInterface<bool>
{
protected:
  void SetUp() override
  {
    ProcessTest::SetUp();
    if (GetParam()) {
      ASSERT_TRUE(BecomeChildSubreaper());
    } else {
      ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 0, 0, 0, 0), 0);
    }
    ASSERT_EQ(IsChildSubreaper(), GetParam());
  }
  void TearDown() override
  {
    prctl(PR_SET_CHILD_SUBREAPER, 0, 0, 0, 0);
    ProcessTest::TearDown();
  }
};

} // namespace

TEST_P(OrphanTest, WhatAProgramLeavesBehindEndsWithIt)
{
  for (const char* mode : {"exit", "hang"}) {
    SCOPED_TRACE(mode);
    const std::string file = m_folder + "/" + mode;
    Process process;
    ASSERT_TRUE(process.Start(Helper() + " orphan " + file + " " + mode));
    const pid_t orphan = ReadPid(file);
    ASSERT_GT(orphan, 0);
    ASSERT_TRUE(IsAlive(orphan));
    EXPECT_NE(getsid(orphan), getsid(0)) << "the orphan left the session";
    if (std::string(mode) == "exit") {
      ASSERT_EQ(process.Wait(30000), WAIT_OBJECT_0);
    }
    if (GetParam()) {
      for (int i = 0; i < 500 && ParentOf(orphan) != getpid(); ++i) {
        std::this_thread::sleep_for(10ms);
      }
      EXPECT_EQ(ParentOf(orphan), getpid()) << "inherited by the subreaper";
    }
    ASSERT_TRUE(process.Terminate(42));
    DWORD code = 0;
    ASSERT_TRUE(process.GetExitCode(&code));
    EXPECT_EQ(code, std::string(mode) == "exit" ? 0u : 42u);
    EXPECT_FALSE(IsAlive(orphan));
    if (GetParam()) {
      EXPECT_FALSE(fs::exists("/proc/" + std::to_string(orphan))) << "reaped, no zombie";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Subreaper, OrphanTest, ::testing::Values(true, false));

TEST_F(ProcessTest, InheritedChildrenAreReapedWhenTheyEnd)
{
  ASSERT_TRUE(BecomeChildSubreaper());
  const std::string file = m_folder + "/brief";
  Process process;
  ASSERT_TRUE(process.Start(Helper() + " orphan " + file + " brief"));
  const pid_t orphan = ReadPid(file);
  ASSERT_EQ(process.Wait(30000), WAIT_OBJECT_0);
  // It ends by itself; the reaper takes it, now or on its own round.
  bool gone = false;
  for (int i = 0; i < 1000 && !gone; ++i) {
    ReapInheritedChildren();
    gone = !fs::exists("/proc/" + std::to_string(orphan));
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_TRUE(gone);
  // A program of ours that has ended is left to its Process, whose exit code stays readable.
  Process own;
  ASSERT_TRUE(own.Start(Helper() + " exit 9"));
  for (int i = 0; i < 500 && IsAlive(own.Id()); ++i) {
    std::this_thread::sleep_for(10ms);
  }
  ReapInheritedChildren();
  DWORD code = 0;
  ASSERT_EQ(own.Wait(30000), WAIT_OBJECT_0);
  ASSERT_TRUE(own.GetExitCode(&code));
  EXPECT_EQ(code, 9u);
  prctl(PR_SET_CHILD_SUBREAPER, 0, 0, 0, 0);
}
