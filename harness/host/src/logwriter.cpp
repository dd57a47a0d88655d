// The log window and log file behaviour.
#include "harness/logwriter.h"

#include "harness/logfile.h"
#include "harness/stringids.h"
#include "plinth/component.h"

#include <ctime>
#include <locale.h>

namespace harness {

std::string LocaleDateTimeText()
{
  return LocaleDateTimeText(std::time(nullptr));
}

std::string LocaleDateTimeText(std::time_t moment)
{
  std::tm local{};
  localtime_r(&moment, &local);
  char buffer[128] = {};
  locale_t userLocale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
  if (userLocale == static_cast<locale_t>(0))
    userLocale = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
  std::size_t size = strftime_l(buffer, sizeof buffer, "%x %X", &local, userLocale);
  freelocale(userLocale);
  return std::string(buffer, size);
}

std::string CutLine(const std::string& text, std::size_t limit)
{
  if (text.size() <= limit)
    return text;
  std::size_t end = limit;
  // Step back over continuation bytes so a multi-byte character is kept whole or dropped.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
    --end;
  return text.substr(0, end);
}

std::optional<std::string> FormatLogLine(unsigned level, const std::string& text,
                                         unsigned loggingLevel, std::uint32_t logDateTime,
                                         const std::string& dateTime)
{
  if (level > loggingLevel)
    return std::nullopt;
  std::string line = logDateTime == 1 ? text : dateTime + " " + text;
  return CutLine(line, kLongestLogLine);
}

CLogWriter::CLogWriter(CHarnessSettings& settings, const StringTable& strings, UserPrompts& prompts)
    : m_settings(settings), m_strings(strings), m_prompts(prompts),
      m_dateTime([] { return LocaleDateTimeText(); })
{
}

void CLogWriter::OnLogLine(unsigned level, const std::string& text)
{
  std::string dateTime = m_settings.m_nLogDateTime == 1 ? std::string() : m_dateTime();
  auto line = FormatLogLine(level, text, guiLoggingLevel, m_settings.m_nLogDateTime, dateTime);
  if (!line)
    return;
  int destination = m_settings.m_nLogDestination;
  if (destination == 0 || destination == 1)
    AppendLogLine(*line);
  if (destination == 0 || destination == 2)
    WriteToFile(*line);
}

void AppendBoundedLine(LogWindowText& window, const std::string& text)
{
  if (window.TextLength() > kLogWindowLimit)
    window.RemoveHead(kLogTrimAmount);
  window.AppendText(text + "\r\n");
}

void CLogWriter::AppendLogLine(const std::string& text)
{
  if (m_pWindow != nullptr)
    AppendBoundedLine(*m_pWindow, text);
}

void CLogWriter::WriteToFile(const std::string& line)
{
  const std::string path = m_settings.m_strLogFilePath;
  int error = AppendLineToFile(path, line);
  if (error == 0)
    return;
  ReportFileException(FileCauseFromErrno(error), path, error);
  // Lines logged while the failure is handled (the settings save logs) must not start the
  // same handling again: with an unwritable fallback that would never end.
  if (m_bHandlingFileError)
    return;
  m_bHandlingFileError = true;
  m_prompts.Show(m_strings.Format(ids::kLogWriteFailed, {path}), BoxIcon::Information);
  m_settings.m_strLogFilePath = JoinPath(m_settings.m_strDefaultLoggingFolder, kDefaultLogFileName);
  if (m_saveSettings)
    m_saveSettings();
  m_bHandlingFileError = false;
}

int CLogWriter::ClearLog()
{
  const int error = DeleteFileIfPresent(m_settings.m_strLogFilePath);
  if (error != 0)
    OnLogLine(0, m_strings.Format(ids::kLogDeleteFailed, {std::to_string(error)}));
  ClearWindow();
  return error;
}

void CLogWriter::ClearWindow()
{
  if (m_pWindow != nullptr)
    m_pWindow->ClearText();
}

void CLogWriter::ReportFileException(FileExceptionCause cause, const std::string& file, int error)
{
  std::string line = FormatFileExceptionReport(m_strings, cause, file, error);
  if (!line.empty())
    AppendLogLine(line);
}

} // namespace harness
