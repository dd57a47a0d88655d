// Runs a body in a child process traced with ptrace and kills it with a real SIGKILL as it
// enters its n-th mutating system call on a file below a folder (or its n-th process start), so
// that every step of a preparation can be interrupted without a hook in the code under test.
// A write is killed before it happens: a file opened with truncation is then left empty, an
// append is left short.
#pragma once

#include <fcntl.h>
#include <linux/sched.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct TracedRun
{
  std::vector<std::string> steps; // the mutating calls seen, in order (the last one killed)
  bool killed = false;
  bool traceRefused = false; // the machine does not let a process be traced (seccomp, Yama)
  int exitCode = -1;         // when not killed
};

class SyscallKiller
{
public:
  // Only files below `folder` count; process starts always count.
  explicit SyscallKiller(std::string folder) : m_folder(std::move(folder)) {}

  // killAt: 1-based number of the step to kill at; 0 runs the body to its end. `setup` runs in
  // the child before the tracer looks; the body's result is the child's exit code.
  TracedRun Run(int killAt, const std::function<void()>& setup,
                const std::function<int()>& body) const
  {
    TracedRun run;
    const pid_t pid = fork();
    if (pid == 0) {
      if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
        _exit(kTraceRefused);
      setup();
      raise(SIGSTOP);
      _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kTraceRefused) {
      run.traceRefused = true;
      return run;
    }
    ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    int signal = 0;
    for (;;) {
      ptrace(PTRACE_SYSCALL, pid, nullptr, signal);
      signal = 0;
      if (waitpid(pid, &status, 0) < 0)
        break;
      if (WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
        break;
      }
      if (WIFSIGNALED(status))
        break;
      if (!WIFSTOPPED(status))
        continue;
      if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
        signal = WSTOPSIG(status);
        continue;
      }
      __ptrace_syscall_info info{};
      if (ptrace(PTRACE_GET_SYSCALL_INFO, pid, sizeof info, &info) <= 0 ||
          info.op != PTRACE_SYSCALL_INFO_ENTRY)
        continue;
      const std::optional<std::string> step = Describe(pid, info.entry.nr, info.entry.args);
      if (!step)
        continue;
      run.steps.push_back(*step);
      if (killAt != 0 && static_cast<int>(run.steps.size()) == killAt) {
        kill(pid, SIGKILL);
        while (waitpid(pid, &status, 0) == pid && !WIFSIGNALED(status) && !WIFEXITED(status)) {
        }
        run.killed = true;
        break;
      }
    }
    return run;
  }

private:
  static constexpr int kTraceRefused = 121;

  static std::string Link(const std::string& path)
  {
    char buffer[4096];
    const ssize_t length = readlink(path.c_str(), buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
  }

  static std::string FdPath(pid_t pid, std::uint64_t fd)
  {
    return Link("/proc/" + std::to_string(pid) + "/fd/" + std::to_string(static_cast<int>(fd)));
  }

  static std::string Text(pid_t pid, std::uint64_t address)
  {
    std::string text(4096, '\0');
    const int mem = open(("/proc/" + std::to_string(pid) + "/mem").c_str(), O_RDONLY);
    if (mem < 0)
      return {};
    const ssize_t read = pread(mem, text.data(), text.size(), static_cast<off_t>(address));
    close(mem);
    text.resize(read > 0 ? static_cast<std::size_t>(read) : 0);
    return text.substr(0, text.find('\0'));
  }

  static std::string AtPath(pid_t pid, std::uint64_t dirfd, std::uint64_t address)
  {
    const std::string path = Text(pid, address);
    if (!path.empty() && path[0] == '/')
      return path;
    const std::string base = static_cast<int>(dirfd) == AT_FDCWD
                                 ? Link("/proc/" + std::to_string(pid) + "/cwd")
                                 : FdPath(pid, dirfd);
    return base + "/" + path;
  }

  std::optional<std::string> Below(const std::string& what, const std::string& path) const
  {
    if (path.compare(0, m_folder.size() + 1, m_folder + "/") != 0)
      return std::nullopt;
    return what + " " + path.substr(m_folder.size() + 1);
  }

  std::optional<std::string> Open(pid_t pid, std::uint64_t dirfd, std::uint64_t path,
                                  std::uint64_t flags) const
  {
    if ((flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND)) == 0)
      return std::nullopt;
    std::string what = "open";
    if ((flags & O_TRUNC) != 0)
      what += "+trunc";
    else if ((flags & O_APPEND) != 0)
      what += "+append";
    else if ((flags & O_CREAT) != 0)
      what += "+create";
    return Below(what, AtPath(pid, dirfd, path));
  }

  std::optional<std::string> Describe(pid_t pid, std::uint64_t nr, const std::uint64_t* a) const
  {
    const std::uint64_t cwd = static_cast<std::uint64_t>(AT_FDCWD);
    switch (nr) {
    case SYS_open:
      return Open(pid, cwd, a[0], a[1]);
    case SYS_openat:
      return Open(pid, a[0], a[1], a[2]);
    case SYS_creat:
      return Open(pid, cwd, a[0], O_CREAT | O_TRUNC);
    case SYS_write:
    case SYS_pwrite64:
    case SYS_writev:
    case SYS_pwritev:
    case SYS_pwritev2:
    case SYS_ftruncate:
    case SYS_fallocate:
    case SYS_fchmod:
    case SYS_sendfile:
      return Below("write", FdPath(pid, a[0]));
    case SYS_copy_file_range:
      return Below("write", FdPath(pid, a[2]));
    case SYS_rename:
      return Below("rename", AtPath(pid, cwd, a[0]) + " -> " + AtPath(pid, cwd, a[1]));
    case SYS_renameat:
    case SYS_renameat2:
      return Below("rename", AtPath(pid, a[0], a[1]) + " -> " + AtPath(pid, a[2], a[3]));
    case SYS_unlink:
    case SYS_rmdir:
      return Below("delete", AtPath(pid, cwd, a[0]));
    case SYS_unlinkat:
      return Below("delete", AtPath(pid, a[0], a[1]));
    case SYS_mkdir:
      return Below("mkdir", AtPath(pid, cwd, a[0]));
    case SYS_mkdirat:
      return Below("mkdir", AtPath(pid, a[0], a[1]));
    case SYS_chmod:
      return Below("chmod", AtPath(pid, cwd, a[0]));
    case SYS_fchmodat:
      return Below("chmod", AtPath(pid, a[0], a[1]));
    case SYS_fork:
    case SYS_vfork:
      return std::string("start a process");
    case SYS_clone:
      if ((a[0] & CLONE_THREAD) != 0)
        return std::nullopt;
      return std::string("start a process");
    case SYS_clone3: {
      std::uint64_t flags = 0;
      const int mem = open(("/proc/" + std::to_string(pid) + "/mem").c_str(), O_RDONLY);
      if (mem >= 0) {
        if (pread(mem, &flags, sizeof flags, static_cast<off_t>(a[0])) != sizeof flags)
          flags = 0;
        close(mem);
      }
      if ((flags & CLONE_THREAD) != 0)
        return std::nullopt;
      return std::string("start a process");
    }
    default:
      return std::nullopt;
    }
  }

  std::string m_folder;
};

} // namespace testsupport
