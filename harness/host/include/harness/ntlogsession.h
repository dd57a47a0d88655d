// The harness's NTLog: the library bound by name once, and the one log the harness keeps at the
// results file path. User-interface thread only.
#pragma once

#include "ntlog/ntlog_binding.h"

#include <cstdint>
#include <string>

namespace harness {

// Creation flags of the harness's log: all levels, appending; the new-file bit starts afresh.
inline constexpr std::uint32_t kNtLogAppendFlags = 0x20FFFF;
inline constexpr std::uint32_t kNtLogNewFileFlags = 0x21FFFF;

class CNtLogSession
{
public:
  CNtLogSession();
  // Destroys the open log before the library goes.
  ~CNtLogSession();
  CNtLogSession(const CNtLogSession&) = delete;
  CNtLogSession& operator=(const CNtLogSession&) = delete;

  // Binds the library the first time it is asked; true when all 19 entry points were found.
  bool IsAvailable();
  // Where the library was found, or why it is not used.
  const std::string& Description() const { return m_binding.Description(); }

  HLOG GetLog() const { return m_hLog; }
  // The open log, created at `path` when there is none; null when NTLog is absent or the file
  // cannot be opened.
  HLOG EnsureLog(const std::string& path, bool append);
  // The log options: the log is created when there is none (appending, so asking for the options
  // never empties the results file), then the library's own dialog. 1 when the user confirmed.
  int PromptLog(void* parentWindow, const std::string& path);

private:
  ntlog::NtLogBinding m_binding;
  HLOG m_hLog = nullptr;
};

} // namespace harness
