// Starting programs from one command line, waiting with a time-out or until another thread
// asks to stop, and ending a program together with everything it started.
//
// Command line rule (no shell is involved; no variables, globs, pipes or redirections):
//   - blanks (space, tab) outside double quotes separate words; runs of blanks count as one;
//   - a double quote starts or ends a quoted part, which may hold blanks; the quote itself is
//     dropped, and a quoted part may sit inside a word (a"b c"d is the word ab cd);
//   - "" gives an empty word when it stands alone;
//   - backslashes are literal, except before a double quote: 2n backslashes and a quote give
//     n backslashes and start or end a quoted part; 2n+1 backslashes and a quote give n
//     backslashes and a literal quote;
//   - a quoted part still open at the end of the line ends there.
// The first word names the program: with a '/' it is a path, else it is searched in PATH.
#pragma once

#include "platform/stopsignal.h"
#include "platform/types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

namespace platform {

inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_STOPPED = 1; // the stop signal of the wait was raised
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
inline constexpr DWORD STILL_ACTIVE = 259;

// Every program a Process starts carries this variable in its environment, with a value of
// its own; the descendants it starts inherit it. That is how its processes are found once
// they have left its process group and its tree.
inline constexpr const char* kProcessTreeVariable = "HALVEX_PROCESS_TREE";

// Splits a command line into words by the rule above.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The word as it must stand in a command line to come back whole from SplitCommandLine:
// unchanged when it holds no blank, tab or quote and is not empty, else quoted.
std::string QuoteCommandLineWord(std::string_view word);
// The inverse: a command line that SplitCommandLine turns back into `words`. A word is quoted
// only when it is empty or holds a blank or a double quote.
std::string JoinCommandLine(const std::vector<std::string>& words);

// Why a program did not start.
struct ProcessError
{
  int error = 0;         // errno
  DWORD windowsCode = 0; // the original platform's code for it (2 file not found, 5 access ...)
  std::string message;   // strerror text, e.g. "No such file or directory"
};

// The original platform's error code for an errno value.
DWORD WindowsErrorCode(int error);

// Standard streams for a started program: descriptors of this program that the program gets
// copies of as its input, output and error; -1 keeps this program's own. The caller keeps
// ownership of the descriptors.
struct ProcessStreams
{
  int input = -1;
  int output = -1;
  int errors = -1;
};

// One started program. Used from one thread at a time. Destroying a Process does not stop the
// program; it is reaped in the background when it ends, so no zombie stays behind.
class Process
{
public:
  Process();
  ~Process();
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Starts the command line in a new process group, in workingFolder when not empty, with this
  // program's environment. False on failure, with the reason in LastError() (a missing program
  // gives errno ENOENT, "No such file or directory", code 2). A Process starts one program.
  bool Start(const std::string& commandLine, const std::string& workingFolder = {});
  // The same with the words given one by one (no splitting) and the streams to use.
  bool Start(const std::vector<std::string>& words, const std::string& workingFolder,
             const ProcessStreams& streams);

  // WAIT_OBJECT_0 once the program has ended, WAIT_TIMEOUT when it still runs after timeoutMs
  // (0: look without waiting; INFINITE: no limit), WAIT_STOPPED as soon as `stop` is raised
  // (also when it is raised already), WAIT_FAILED when nothing was started.
  DWORD Wait(DWORD timeoutMs, StopSignal* stop = nullptr);

  // STILL_ACTIVE while it runs; its exit status once ended; 128 + signal when a signal ended
  // it; the code given to Terminate when it was terminated. False when nothing was started.
  bool GetExitCode(DWORD* exitCode);

  // Ends the program with everything it started: its process group, its descendants, and
  // every process that carries its kProcessTreeVariable value (orphans that left the tree,
  // whether this program is their subreaper or not). The whole tree is stopped before it is
  // killed, so nothing can fork while it is collected; what was killed is reaped when it is
  // this program's child. Once the program has ended by itself, only what it left behind is
  // killed and its exit code stays; otherwise later exit codes read exitCode. False when
  // nothing was started.
  bool Terminate(DWORD exitCode);

  pid_t Id() const;
  const ProcessError& LastError() const;

private:
  struct State;
  std::unique_ptr<State> m_pState;
};

// What a program run by RunProgram did.
struct ProgramResult
{
  DWORD exitCode = 0;    // as GetExitCode gives it
  bool timedOut = false; // it was still running at the time limit and was terminated
  std::string output;    // everything it wrote to its standard output
  std::string errors;    // and to its standard error
};

// Runs a program given as words, with standard input from /dev/null, and waits at most
// timeoutMs (INFINITE: no limit); a program still running then is terminated with exit code
// WAIT_TIMEOUT. False when it could not be started, with the reason in `error`.
bool RunProgram(const std::vector<std::string>& words, DWORD timeoutMs, ProgramResult& result,
                ProcessError& error);

// Whether pid names a process that has not ended (a zombie has ended).
bool IsProcessRunning(pid_t pid);

// Every live descendant of pid, by the parent links in /proc (children first, then theirs).
std::vector<pid_t> FindDescendants(pid_t pid);

} // namespace platform
