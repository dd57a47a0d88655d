// The log: level filter, time stamp, line cut, window text bounds and the log file.
#pragma once

#include "harness/fileexception.h"
#include "harness/prompts.h"
#include "harness/settings.h"
#include "harness/stringtable.h"

#include <cstddef>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

namespace harness {

inline constexpr std::size_t kLogWindowLimit = 24000;
inline constexpr std::size_t kLogTrimAmount = kLogWindowLimit * 30 / 100;
inline constexpr std::size_t kLongestLogLine = 500;

// The log window's text as the writer sees it. User-interface thread only.
class LogWindowText
{
public:
  virtual ~LogWindowText() = default;
  virtual std::size_t TextLength() const = 0;
  virtual void RemoveHead(std::size_t count) = 0;
  // Adds text at the end and shows the end.
  virtual void AppendText(const std::string& text) = 0;
  virtual void ClearText() = 0;
};

// Current local date and time in the user's locale's date and time format.
std::string LocaleDateTimeText();
// The same for a given moment.
std::string LocaleDateTimeText(std::time_t moment);

// One line into a bounded window: past kLogWindowLimit characters the oldest kLogTrimAmount go
// first. The log window and the results window both keep their text this way.
void AppendBoundedLine(LogWindowText& window, const std::string& text);

// The line the log shows for (level, text), or nullopt when the level filter drops it.
// `logDateTime` 1 means no time stamp; any other value prefixes `dateTime` and a blank.
std::optional<std::string> FormatLogLine(unsigned level, const std::string& text,
                                         unsigned loggingLevel, std::uint32_t logDateTime,
                                         const std::string& dateTime);

// Cuts to at most `limit` bytes without splitting a UTF-8 sequence.
std::string CutLine(const std::string& text, std::size_t limit);

// User-interface thread only: the log window and file are written without a lock.
class CLogWriter
{
public:
  CLogWriter(CHarnessSettings& settings, const StringTable& strings, UserPrompts& prompts);

  void SetWindow(LogWindowText* window) { m_pWindow = window; }
  void SetSaveSettings(std::function<void()> save) { m_saveSettings = std::move(save); }
  void SetDateTimeSource(std::function<std::string()> source) { m_dateTime = std::move(source); }

  void OnLogLine(unsigned level, const std::string& text);
  // One line into the window only, no filter, no file.
  void AppendLogLine(const std::string& text);
  // Deletes the log file and empties the window; 0, or the errno value of a failed delete
  // (which is logged). A file that is not there counts as deleted.
  int ClearLog();
  void ClearWindow();
  // Cause, file and error written straight into the window.
  void ReportFileException(FileExceptionCause cause, const std::string& file, int error);

private:
  void WriteToFile(const std::string& line);

  CHarnessSettings& m_settings;
  const StringTable& m_strings;
  UserPrompts& m_prompts;
  LogWindowText* m_pWindow = nullptr;
  std::function<void()> m_saveSettings;
  std::function<std::string()> m_dateTime;
  bool m_bHandlingFileError = false;
};

} // namespace harness
