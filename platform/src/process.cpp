// Processes started from one command line; see process.h for the quoting rule.
#include "platform/process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <fstream>
#include <map>
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

ProcessError MakeError(int error)
{
  return {error, WindowsErrorCode(error), std::strerror(error)};
}

struct ProcEntry
{
  pid_t pid = 0;
  pid_t ppid = 0;
  pid_t pgrp = 0;
  char state = '?';
};

// /proc/<pid>/stat: "pid (comm) state ppid pgrp ..."; comm may hold blanks and parentheses,
// so the fields are read after its last ')'.
bool ReadProcStat(pid_t pid, ProcEntry* entry)
{
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(in, line)) {
    return false;
  }
  auto close = line.rfind(')');
  if (close == std::string::npos || close + 2 >= line.size()) {
    return false;
  }
  char state = 0;
  long ppid = 0;
  long pgrp = 0;
  if (std::sscanf(line.c_str() + close + 2, "%c %ld %ld", &state, &ppid, &pgrp) != 3) {
    return false;
  }
  *entry = {pid, static_cast<pid_t>(ppid), static_cast<pid_t>(pgrp), state};
  return true;
}

std::vector<ProcEntry> ReadAllProcesses()
{
  std::vector<ProcEntry> entries;
  DIR* dir = ::opendir("/proc");
  if (dir == nullptr) {
    return entries;
  }
  while (dirent* item = ::readdir(dir)) {
    char* end = nullptr;
    long pid = std::strtol(item->d_name, &end, 10);
    ProcEntry entry;
    if (pid > 0 && *end == '\0' && ReadProcStat(static_cast<pid_t>(pid), &entry)) {
      entries.push_back(entry);
    }
  }
  ::closedir(dir);
  return entries;
}

std::vector<ProcEntry> DescendantEntries(pid_t root)
{
  std::multimap<pid_t, ProcEntry> children;
  for (const auto& entry : ReadAllProcesses()) {
    children.emplace(entry.ppid, entry);
  }
  std::vector<ProcEntry> found;
  std::vector<pid_t> parents{root};
  for (std::size_t next = 0; next < parents.size(); ++next) {
    auto [begin, end] = children.equal_range(parents[next]);
    for (auto it = begin; it != end; ++it) {
      if (it->second.state != 'Z') {
        found.push_back(it->second);
        parents.push_back(it->second.pid);
      }
    }
  }
  return found;
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

std::string JoinCommandLine(const std::vector<std::string>& words)
{
  std::string line;
  for (const auto& word : words) {
    if (!line.empty()) {
      line += ' ';
    }
    if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos) {
      line += word; // backslashes are literal unless a quote follows, and none does
      continue;
    }
    line += '"';
    std::size_t backslashes = 0;
    for (char c : word) {
      if (c == '\\') {
        ++backslashes;
        continue;
      }
      // Backslashes before a quote are doubled and the quote escaped; elsewhere they stay.
      line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
      backslashes = 0;
      line += c;
    }
    line.append(backslashes * 2, '\\'); // before the closing quote
    line += '"';
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
  ProcEntry entry;
  return pid > 0 && ReadProcStat(pid, &entry) && entry.state != 'Z';
}

std::vector<pid_t> FindDescendants(pid_t pid)
{
  std::vector<pid_t> pids;
  for (const auto& entry : DescendantEntries(pid)) {
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
    return ended;
  }

  // Stops the whole tree first so nothing can fork while it is collected, then kills it.
  void KillTree()
  {
    const pid_t ownGroup = ::getpgrp();
    std::set<pid_t> stopped;
    std::set<pid_t> groups{pid};
    ::kill(-pid, SIGSTOP);
    for (int round = 0; round < 100; ++round) {
      bool fresh = false;
      for (const auto& entry : DescendantEntries(pid)) {
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
    ::kill(pid, SIGKILL);
    for (pid_t descendant : stopped) {
      ::kill(descendant, SIGKILL);
    }
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
  pid_t pid = -1;
  bool searchPath = words[0].find('/') == std::string::npos;
  int result = searchPath
                   ? ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ)
                   : ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::posix_spawnattr_destroy(&attributes);
  if (result != 0) {
    s.error = MakeError(result);
    return false;
  }
  s.pid = pid;
  s.pidfd = PidfdOpen(pid);
  s.error = {};
  return true;
}

DWORD Process::Wait(DWORD timeoutMs)
{
  State& s = *m_pState;
  if (s.pid <= 0) {
    return WAIT_FAILED;
  }
  if (s.Reap(WNOHANG)) {
    return WAIT_OBJECT_0;
  }
  if (timeoutMs == 0) {
    return WAIT_TIMEOUT;
  }
  if (timeoutMs == INFINITE) {
    return s.Reap(0) ? WAIT_OBJECT_0 : WAIT_FAILED;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      return s.Reap(WNOHANG) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    }
    int slice = static_cast<int>(std::min<long long>(left, INT_MAX));
    if (s.pidfd >= 0) {
      pollfd entry{s.pidfd, POLLIN, 0};
      int ready = ::poll(&entry, 1, slice);
      if (ready < 0 && errno != EINTR) {
        return WAIT_FAILED;
      }
    } else {
      // No pidfd (old kernel): look again every few milliseconds.
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min(slice, 5)));
    }
    if (s.Reap(WNOHANG)) {
      return WAIT_OBJECT_0;
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
  if (s.Reap(WNOHANG)) {
    return true;
  }
  s.KillTree();
  s.Reap(0);
  s.terminated = true;
  s.terminateCode = exitCode;
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
