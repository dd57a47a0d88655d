// The 19 C entry points; each checks its handle and arguments and forwards to the log.
#include "command_line.h"
#include "handles.h"
#include "log_options_dialog.h"
#include "ntlog/ntlog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

using ntlog::FindLog;

namespace {

int LogText(HLOG handle, std::uint32_t level, const char* sourceFile, int sourceLine,
            std::string_view text)
{
  auto log = FindLog(handle);
  if (!log) {
    return 0;
  }
  return log->Log(level, sourceFile ? sourceFile : "", sourceLine, text) ? 1 : 0;
}

} // namespace

extern "C" {

HLOG tlCreateLog_A(const char* fileName, uint32_t flags)
{
  if (!fileName) {
    return nullptr;
  }
  auto log = ntlog::TestLog::Open(fileName, flags);
  return log ? ntlog::RegisterLog(std::move(log)) : nullptr;
}

HLOG tlParseCmdLine_A(const char* commandLine)
{
  if (!commandLine) {
    return nullptr;
  }
  auto options = ntlog::ParseCommandLine(commandLine);
  return options ? tlCreateLog_A(options->fileName.c_str(), options->flags) : nullptr;
}

size_t tlGetLogFileName_A(HLOG handle, char* buffer, size_t size)
{
  auto log = FindLog(handle);
  if (!log) {
    return 0;
  }
  const std::string name = log->FileName();
  if (buffer && size > 0) {
    const size_t copied = name.size() < size ? name.size() : size - 1;
    std::memcpy(buffer, name.data(), copied);
    buffer[copied] = '\0';
  }
  return name.size();
}

int tlSetLogFileName_A(HLOG handle, const char* fileName)
{
  auto log = FindLog(handle);
  return log && fileName && log->SetFileName(fileName) ? 1 : 0;
}

int tlLogX_A(HLOG handle, uint32_t level, const char* sourceFile, int sourceLine, const char* text)
{
  return text ? LogText(handle, level, sourceFile, sourceLine, text) : 0;
}

int tlLog_A(HLOG handle, uint32_t level, const char* sourceFile, int sourceLine, const char* format,
            ...)
{
  if (!format) {
    return 0;
  }
  va_list args;
  va_start(args, format);
  int result = 0;
  if (std::strcmp(format, "%s") == 0) {
    // The common case of tallow and the harness: a ready text, no formatting needed.
    const char* text = va_arg(args, const char*);
    result = LogText(handle, level, sourceFile, sourceLine, text ? text : "(null)");
  } else {
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length >= 0) {
      std::string text(static_cast<size_t>(length), '\0');
      std::vsnprintf(text.data(), text.size() + 1, format, args);
      result = LogText(handle, level, sourceFile, sourceLine, text);
    }
  }
  va_end(args);
  return result;
}

int tlDestroyLog(HLOG handle)
{
  auto log = ntlog::UnregisterLog(handle);
  if (!log) {
    return 0;
  }
  log->Close();
  return 1;
}

int tlAddParticipant(HLOG handle, uint32_t levelMask, int participant)
{
  auto log = FindLog(handle);
  return log && log->AddParticipant(levelMask, participant) ? 1 : 0;
}

int tlRemoveParticipant(HLOG handle)
{
  auto log = FindLog(handle);
  return log && log->RemoveParticipant() ? 1 : 0;
}

int tlGetLogInfo(HLOG handle, tlLogInfo* info)
{
  auto log = FindLog(handle);
  if (!log || !info) {
    return 0;
  }
  *info = log->Info();
  return 1;
}

int tlSetLogInfo(HLOG handle, const tlLogInfo* info)
{
  auto log = FindLog(handle);
  if (!log || !info) {
    return 0;
  }
  log->SetLevelMask(info->flags);
  return 1;
}

int tlPromptLog(void* parentWindow, HLOG handle)
{
  auto log = FindLog(handle);
  if (!log) {
    return 0;
  }
  std::uint32_t mask = log->Info().flags & TL_LEVEL_MASK;
  if (!ntlog::PromptForLevelMask(parentWindow, mask)) {
    return 0;
  }
  log->SetLevelMask(mask);
  return 1;
}

int tlGetTestStat(HLOG handle, tlStats* stats)
{
  auto log = FindLog(handle);
  if (!log || !stats) {
    return 0;
  }
  *stats = log->TestStats();
  return 1;
}

int tlGetVariationStat(HLOG handle, tlStats* stats)
{
  auto log = FindLog(handle);
  return log && stats && log->VariationStats(stats) ? 1 : 0;
}

int tlClearTestStats(HLOG handle)
{
  auto log = FindLog(handle);
  if (!log) {
    return 0;
  }
  log->ClearTestStats();
  return 1;
}

int tlClearVariationStats(HLOG handle)
{
  auto log = FindLog(handle);
  return log && log->ClearVariationStats() ? 1 : 0;
}

int tlStartVariation(HLOG handle)
{
  auto log = FindLog(handle);
  if (!log) {
    return 0;
  }
  log->StartVariation();
  return 1;
}

uint32_t tlEndVariation(HLOG handle)
{
  auto log = FindLog(handle);
  return log ? log->EndVariation() : 0;
}

int tlReportStats(HLOG handle)
{
  auto log = FindLog(handle);
  if (!log) {
    return 0;
  }
  log->ReportStats();
  return 1;
}

} // extern "C"
