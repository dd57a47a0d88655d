// Processes started from one command line; see process.h for the quoting rule.
#include "platform/process.h"

#include "platform/subreaper.h"

#include "ownchildren.h"
#include "proctable.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <set>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// How long Terminate waits for the processes it killed to end.
constexpr auto kReapLimit = std::chrono::seconds(5);

ProcessError MakeError(int error)
{
  return {error, WindowsErrorCode(error), std::strerror(error)};
}

int PidfdOpen(pid_t pid)
{
#ifdef SYS_pidfd_open
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  errno = ENOSYS;
  return -1;
#endif
}

// A value of kProcessTreeVariable no other Process of any program shares.
std::string NewTreeMark()
{
  static std::atomic<unsigned long> serial{0};
  return std::string(kProcessTreeVariable) + "=" + std::to_string(::getpid()) + "." +
         std::to_string(++serial);
}

// This program's environment without a mark of its own (a program started by another Process
// carries one), with `mark` added.
std::vector<char*> EnvironmentWith(std::string& mark)
{
  const std::string prefix = std::string(kProcessTreeVariable) + "=";
  std::vector<char*> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, prefix.c_str(), prefix.size()) != 0)
      environment.push_back(*entry);
  }
  environment.push_back(mark.data());
  environment.push_back(nullptr);
  return environment;
}

// False when this program has no child at all, running or ended.
bool HasAnyChild()
{
  siginfo_t info{};
  return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0;
}

// Waits until every killed process is gone: reaped here when it is this program's child, or
// a zombie of another parent.
void ReapKilled(std::set<pid_t> remaining)
{
  const pid_t self = ::getpid();
  const auto deadline = Clock::now() + kReapLimit;
  while (!remaining.empty() && Clock::now() < deadline) {
    for (auto it = remaining.begin(); it != remaining.end();) {
      proc::Entry entry;
      bool gone = !proc::ReadEntry(*it, entry);
      if (!gone && entry.ppid == self) {
        const pid_t result = ::waitpid(*it, nullptr, WNOHANG);
        gone = result == *it || (result < 0 && errno == ECHILD);
      } else if (!gone) {
        gone = entry.state == 'Z';
      }
      it = gone ? remaining.erase(it) : std::next(it);
    }
    if (!remaining.empty())
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

} // namespace

std::vector<std::string> SplitCommandLine(std::string_view line)
{
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size();) {
    char c = line[i];
    if (c == '\\') {
      std::size_t run = line.find_first_not_of('\\', i);
      if (run == std::string_view::npos) {
        run = line.size();
      }
      std::size_t count = run - i;
      if (run < line.size() && line[run] == '"') {
        word.append(count / 2, '\\');
        if (count % 2 == 1) {
          word += '"';
          i = run + 1;
        } else {
          i = run; // the quote opens or closes a quoted part
        }
      } else {
        word.append(count, '\\');
        i = run;
      }
      inWord = true;
    } else if (c == '"') {
      quoted = !quoted;
      inWord = true;
      ++i;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) {
        words.push_back(std::move(word));
        word.clear();
        inWord = false;
      }
      ++i;
    } else {
      word += c;
      inWord = true;
      ++i;
    }
  }
  if (inWord) {
    words.push_back(std::move(word));
  }
  return words;
}

std::string QuoteCommandLineWord(std::string_view word)
{
  if (!word.empty() && word.find_first_of(" \t\"") == std::string_view::npos)
    return std::string(word);
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : word) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count only before a quote: double them there, and escape the quote.
    if (c == '"')
      quoted.append(2 * backslashes + 1, '\\');
    else
      quoted.append(backslashes, '\\');
    quoted += c;
    backslashes = 0;
  }
  quoted.append(2 * backslashes, '\\');
  quoted += '"';
  return quoted;
}

std::string JoinCommandLine(const std::vector<std::string>& words)
{
  std::string line;
  for (const auto& word : words) {
    if (!line.empty())
      line += ' ';
    line += QuoteCommandLineWord(word);
  }
  return line;
}

DWORD WindowsErrorCode(int error)
{
  switch (error) {
  case 0:
    return 0;
  case ENOENT:
    return 2; // ERROR_FILE_NOT_FOUND
  case ENOTDIR:
    return 3; // ERROR_PATH_NOT_FOUND
  case EMFILE:
  case ENFILE:
    return 4; // ERROR_TOO_MANY_OPEN_FILES
  case EACCES:
  case EPERM:
    return 5; // ERROR_ACCESS_DENIED
  case ENOMEM:
  case EAGAIN:
    return 8; // ERROR_NOT_ENOUGH_MEMORY
  case ETXTBSY:
    return 32; // ERROR_SHARING_VIOLATION
  case EINVAL:
    return 87; // ERROR_INVALID_PARAMETER
  case ENOEXEC:
  case ELIBBAD:
    return 193; // ERROR_BAD_EXE_FORMAT
  case E2BIG:
  case ENAMETOOLONG:
    return 206; // ERROR_FILENAME_EXCED_RANGE
  default:
    return 31; // ERROR_GEN_FAILURE
  }
}

bool IsProcessRunning(pid_t pid)
{
  proc::Entry entry;
  return pid > 0 && proc::ReadEntry(pid, entry) && entry.state != 'Z';
}

std::vector<pid_t> FindDescendants(pid_t pid)
{
  std::vector<pid_t> pids;
  for (const auto& entry : proc::LiveDescendants(proc::ReadAll(), {pid})) {
    pids.push_back(entry.pid);
  }
  return pids;
}

struct Process::State
{
  pid_t pid = -1;
  int pidfd = -1;
  bool ended = false;
  int status = 0;
  bool terminated = false;
  DWORD terminateCode = 0;
  std::string treeMark; // "HALVEX_PROCESS_TREE=value"
  ProcessError error;

  bool Reap(int flags)
  {
    if (ended) {
      return true;
    }
    int value = 0;
    pid_t result;
    do {
      result = ::waitpid(pid, &value, flags);
    } while (result < 0 && errno == EINTR);
    if (result == pid) {
      ended = true;
      status = value;
    } else if (result < 0 && errno == ECHILD) {
      ended = true; // reaped elsewhere (SIGCHLD ignored); the status is gone
      status = 0;
    }
    if (ended) {
      own::Forget(pid);
    }
    return ended;
  }

  // The processes of this program's tree other than the program: descendants of the program
  // while it is not reaped, and whatever carries its mark with their descendants. A subreaper
  // finds every orphan among its own children; otherwise any process may carry the mark.
  std::vector<proc::Entry> Collect(bool programReaped) const
  {
    const pid_t self = ::getpid();
    const bool subreaper = IsChildSubreaper();
    const std::vector<proc::Entry> entries = proc::ReadAll();
    std::vector<pid_t> roots;
    std::vector<proc::Entry> found;
    if (!programReaped) {
      roots.push_back(pid);
    }
    for (const proc::Entry& entry : entries) {
      if (entry.state == 'Z' || entry.pid == self || entry.pid == pid ||
          (subreaper && entry.ppid != self)) {
        continue;
      }
      if (proc::EnvironmentHolds(entry.pid, treeMark)) {
        roots.push_back(entry.pid);
        found.push_back(entry);
      }
    }
    for (const proc::Entry& entry : proc::LiveDescendants(entries, roots)) {
      found.push_back(entry);
    }
    return found;
  }

  // Stops the whole tree first so nothing can fork while it is collected, then kills it.
  // Returns what was killed besides the program.
  std::set<pid_t> KillTree(bool programReaped)
  {
    // A subreaper inherits whatever the reaped program left; without children nothing is left.
    if (programReaped && IsChildSubreaper() && !HasAnyChild()) {
      return {};
    }
    const pid_t ownGroup = ::getpgrp();
    std::set<pid_t> stopped;
    std::set<pid_t> groups;
    if (!programReaped) {
      groups.insert(pid);
      ::kill(-pid, SIGSTOP);
    }
    for (int round = 0; round < 100; ++round) {
      bool fresh = false;
      for (const proc::Entry& entry : Collect(programReaped)) {
        if (stopped.insert(entry.pid).second) {
          ::kill(entry.pid, SIGSTOP);
          fresh = true;
        }
        if (entry.pgrp > 1 && entry.pgrp != ownGroup) {
          groups.insert(entry.pgrp);
        }
      }
      if (!fresh) {
        break;
      }
    }
    for (pid_t group : groups) {
      ::kill(-group, SIGKILL);
    }
    if (!programReaped) {
      ::kill(pid, SIGKILL);
    }
    for (pid_t member : stopped) {
      ::kill(member, SIGKILL);
    }
    return stopped;
  }
};

Process::Process() : m_pState(std::make_unique<State>()) {}

Process::~Process()
{
  if (!m_pState) {
    return;
  }
  if (m_pState->pidfd >= 0) {
    ::close(m_pState->pidfd);
  }
  if (m_pState->pid > 0 && !m_pState->Reap(WNOHANG)) {
    pid_t pid = m_pState->pid;
    try {
      std::thread([pid] {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        own::Forget(pid);
      }).detach();
    } catch (...) {
      // Without a thread the zombie stays until this program ends; nothing else to do.
    }
  }
}

Process::Process(Process&& other) noexcept : m_pState(std::move(other.m_pState))
{
  other.m_pState = std::make_unique<State>();
}

Process& Process::operator=(Process&& other) noexcept
{
  if (this != &other) {
    Process old(std::move(*this));
    m_pState = std::move(other.m_pState);
    other.m_pState = std::make_unique<State>();
  }
  return *this;
}

bool Process::Start(const std::string& commandLine, const std::string& workingFolder)
{
  return Start(SplitCommandLine(commandLine), workingFolder, ProcessStreams{});
}

bool Process::Start(const std::vector<std::string>& words, const std::string& workingFolder,
                    const ProcessStreams& streams)
{
  State& s = *m_pState;
  if (s.pid > 0) {
    s.error = MakeError(EBUSY);
    s.error.message = "this process object has started a program already";
    return false;
  }
  if (words.empty() || words[0].empty()) {
    s.error = MakeError(EINVAL);
    s.error.message = "empty command line";
    return false;
  }
  std::vector<std::string> copies = words;
  std::vector<char*> argv;
  for (auto& word : copies) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);

  posix_spawnattr_t attributes;
  posix_spawn_file_actions_t actions;
  ::posix_spawnattr_init(&attributes);
  ::posix_spawn_file_actions_init(&actions);
  // Own group, so the program and its children can be ended together; default signal
  // handling and an empty mask, whatever this program changed for itself.
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                              POSIX_SPAWN_SETSIGDEF);
  ::posix_spawnattr_setpgroup(&attributes, 0);
  ::posix_spawnattr_setsigmask(&attributes, &none);
  ::posix_spawnattr_setsigdefault(&attributes, &all);
  const int sources[] = {streams.input, streams.output, streams.errors};
  for (int target = 0; target < 3; ++target) {
    // dup2 onto itself would keep a close-on-exec flag, so an own descriptor is left alone.
    if (sources[target] >= 0 && sources[target] != target) {
      ::posix_spawn_file_actions_adddup2(&actions, sources[target], target);
    }
  }
  if (!workingFolder.empty()) {
    ::posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
  }
  std::string mark = NewTreeMark();
  std::vector<char*> environment = EnvironmentWith(mark);
  pid_t pid = -1;
  bool searchPath = words[0].find('/') == std::string::npos;
  int result = 0;
  {
    // Registered before the reaper of inherited children can see it end.
    std::lock_guard<std::mutex> lock(own::Mutex());
    result =
        searchPath
            ? ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environment.data())
            : ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environment.data());
    if (result == 0) {
      own::Pids().insert(pid);
    }
  }
  ::posix_spawn_file_actions_destroy(&actions);
  ::posix_spawnattr_destroy(&attributes);
  if (result != 0) {
    s.error = MakeError(result);
    return false;
  }
  s.pid = pid;
  s.pidfd = PidfdOpen(pid);
  s.treeMark = std::move(mark);
  s.error = {};
  return true;
}

DWORD Process::Wait(DWORD timeoutMs, StopSignal* stop)
{
  State& s = *m_pState;
  if (s.pid <= 0) {
    return WAIT_FAILED;
  }
  if (s.Reap(WNOHANG)) {
    return WAIT_OBJECT_0;
  }
  if (stop != nullptr && stop->IsRaised()) {
    return WAIT_STOPPED;
  }
  if (timeoutMs == 0) {
    return WAIT_TIMEOUT;
  }
  const int stopFd = stop != nullptr ? stop->AttachWaiter() : -1;
  struct Detach
  {
    StopSignal* stop;
    ~Detach()
    {
      if (stop != nullptr) {
        stop->DetachWaiter();
      }
    }
  } detach{stopFd >= 0 ? stop : nullptr};

  const bool limited = timeoutMs != INFINITE;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  // Without a pidfd (old kernel), or a stop signal without a descriptor, look again every few
  // milliseconds.
  const bool polling = s.pidfd < 0 || (stop != nullptr && stopFd < 0);
  for (;;) {
    int slice = -1;
    if (limited) {
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) {
        return s.Reap(WNOHANG) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
      }
      slice = static_cast<int>(std::min<long long>(left, INT_MAX));
    }
    if (polling) {
      slice = slice < 0 ? 5 : std::min(slice, 5);
    }
    pollfd entries[2];
    nfds_t count = 0;
    if (s.pidfd >= 0) {
      entries[count++] = {s.pidfd, POLLIN, 0};
    }
    if (stopFd >= 0) {
      entries[count++] = {stopFd, POLLIN, 0};
    }
    if (::poll(entries, count, slice) < 0 && errno != EINTR) {
      return WAIT_FAILED;
    }
    if (s.Reap(WNOHANG)) {
      return WAIT_OBJECT_0;
    }
    if (stop != nullptr && stop->IsRaised()) {
      return WAIT_STOPPED;
    }
  }
}

bool Process::GetExitCode(DWORD* exitCode)
{
  State& s = *m_pState;
  if (s.pid <= 0 || exitCode == nullptr) {
    return false;
  }
  if (!s.Reap(WNOHANG)) {
    *exitCode = STILL_ACTIVE;
  } else if (s.terminated) {
    *exitCode = s.terminateCode;
  } else if (WIFEXITED(s.status)) {
    *exitCode = static_cast<DWORD>(WEXITSTATUS(s.status));
  } else if (WIFSIGNALED(s.status)) {
    *exitCode = 128 + static_cast<DWORD>(WTERMSIG(s.status));
  } else {
    *exitCode = 0;
  }
  return true;
}

bool Process::Terminate(DWORD exitCode)
{
  State& s = *m_pState;
  if (s.pid <= 0) {
    return false;
  }
  // A reaped program's id may belong to another process by now: only its mark is followed.
  const bool endedBefore = s.Reap(WNOHANG);
  std::set<pid_t> killed = s.KillTree(endedBefore);
  if (!endedBefore) {
    s.Reap(0);
    s.terminated = true;
    s.terminateCode = exitCode;
  }
  ReapKilled(std::move(killed));
  return true;
}

pid_t Process::Id() const
{
  return m_pState->pid;
}

const ProcessError& Process::LastError() const
{
  return m_pState->error;
}

namespace {

// An anonymous file the program writes into; read back once it has ended.
class CaptureFile
{
public:
  CaptureFile() : m_fd(::memfd_create("halvex-capture", MFD_CLOEXEC)) {}
  ~CaptureFile()
  {
    if (m_fd >= 0) {
      ::close(m_fd);
    }
  }
  CaptureFile(const CaptureFile&) = delete;
  CaptureFile& operator=(const CaptureFile&) = delete;
  int Get() const { return m_fd; }
  std::string Read() const
  {
    std::string text;
    char buffer[4096];
    for (off_t offset = 0;;) {
      ssize_t got = ::pread(m_fd, buffer, sizeof buffer, offset);
      if (got < 0 && errno == EINTR) {
        continue;
      }
      if (got <= 0) {
        return text;
      }
      text.append(buffer, static_cast<std::size_t>(got));
      offset += got;
    }
  }

private:
  int m_fd;
};

} // namespace

bool RunProgram(const std::vector<std::string>& words, DWORD timeoutMs, ProgramResult& result,
                ProcessError& error)
{
  result = {};
  CaptureFile output;
  CaptureFile errors;
  const int input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (output.Get() < 0 || errors.Get() < 0 || input < 0) {
    error = MakeError(errno);
    if (input >= 0) {
      ::close(input);
    }
    return false;
  }
  Process process;
  const bool started = process.Start(words, {}, ProcessStreams{input, output.Get(), errors.Get()});
  ::close(input);
  if (!started) {
    error = process.LastError();
    return false;
  }
  if (process.Wait(timeoutMs) != WAIT_OBJECT_0) {
    process.Terminate(WAIT_TIMEOUT);
    result.timedOut = true;
  }
  process.GetExitCode(&result.exitCode);
  result.output = output.Read();
  result.errors = errors.Read();
  error = {};
  return true;
}

} // namespace platform
