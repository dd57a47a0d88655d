// Choosing the mode, replaying tagged lines into NTLog, and appending NTLog's output.
#include "translator.h"

#include "line_reader.h"

#include "platform/fdio.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <unistd.h>
#include <vector>

namespace tallow {

namespace {

// NTLog creation flags: all levels, new file; without statistics one more bit, as callers expect.
constexpr std::uint32_t kFlagsWithStats = 0x1FFFF;
constexpr std::uint32_t kFlagsWithoutStats = 0x201FFFF;

constexpr std::uint32_t kInfoAtTest = 0x2100;
constexpr std::uint32_t kInfoInVariation = 0x2200;
constexpr std::uint32_t kVariationScope = 0x200;

struct FileCloser
{
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool LogIsTagged(const std::string& logPath)
{
  std::string ignored;
  File log(OpenForReading(logPath, ignored));
  return log && IsTaggedLog(log.get());
}

} // namespace

bool AppendFileTo(const std::string& from, const std::string& to, std::string& error)
{
  File source(OpenForReading(from, error));
  if (!source) {
    return false;
  }
  File target(std::fopen(to.c_str(), "abe"));
  if (!target) {
    error = "cannot open the results file " + to + ": " + std::strerror(errno);
    return false;
  }
  // Plain reads and writes: the results file stays in append mode, so lines that others append
  // meanwhile are never overwritten.
  const int in = fileno(source.get());
  const int out = fileno(target.get());
  bool failed = false;
  int savedErrno = 0;
  std::vector<char> block(1 << 20);
  for (;;) {
    const ssize_t got = read(in, block.data(), block.size());
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      failed = got < 0;
      savedErrno = errno;
      break;
    }
    savedErrno = platform::WriteAll(out, block.data(), static_cast<std::size_t>(got));
    if (savedErrno != 0) {
      failed = true;
      break;
    }
  }
  if (std::fclose(target.release()) != 0) {
    failed = true;
    savedErrno = savedErrno != 0 ? savedErrno : errno;
  }
  if (failed) {
    error = "cannot append " + from + " to " + to + ": " + std::strerror(savedErrno);
  }
  return !failed;
}

TranslationReport Translator::Translate(const char* logPath, const char* resultsPath,
                                        bool reportStats)
{
  std::lock_guard lock(m_mutex);
  TranslationReport report;
  if (reportStats) {
    m_reportStats = true;
  }
  if (!logPath || !resultsPath || !*logPath || !*resultsPath) {
    report.error = "no log or no results file named";
    return report;
  }
  // Appending a log to itself would never end; overwriting it would lose it.
  if (SameFile(logPath, resultsPath)) {
    report.error = std::string("the log and the results file are the same file: ") + logPath;
    return report;
  }
  m_ntlog.Bind();
  report.ntlogBound = m_ntlog.Bound();
  report.ntlog = m_ntlog.Description();
  if (m_ntlog.Bound() && LogIsTagged(logPath)) {
    report.mode = TranslationMode::Tagged;
    TranslateTagged(logPath, resultsPath, report);
  } else {
    report.mode = TranslationMode::Plain;
    report.plain = TranslatePlainLog(logPath, resultsPath);
    report.result = report.plain.result;
    report.status = report.plain.status;
    report.error = report.plain.error;
  }
  if (report.result == 0) {
    report.status = 5;
  }
  return report;
}

void Translator::TranslateTagged(const std::string& logPath, const std::string& resultsPath,
                                 TranslationReport& report)
{
  const NtLogApi& nt = m_ntlog.Api();
  report.ntlogOutput = resultsPath + "NT";
  report.reportedStats = m_reportStats;
  if (SameFile(logPath, report.ntlogOutput)) {
    report.error = "the NTLog output " + report.ntlogOutput + " would overwrite the log";
    return;
  }
  HLOG log = nt.tlCreateLog_A(report.ntlogOutput.c_str(),
                              m_reportStats ? kFlagsWithStats : kFlagsWithoutStats);
  if (!log) {
    report.error = "NTLog could not create " + report.ntlogOutput;
    return;
  }
  nt.tlAddParticipant(log, 0, 0);
  {
    File input(OpenForReading(logPath, report.error));
    if (input) {
      report.parse = ParseTaggedLog(
          input.get(), [&](TagIndex tag, const std::string& text) { LogTagLine(log, tag, text); });
    } else {
      report.parse.result = 0;
    }
  }
  nt.tlRemoveParticipant(log);
  if (m_reportStats) {
    nt.tlReportStats(log);
  }
  nt.tlDestroyLog(log);

  report.result = report.parse.result;
  if (report.parse.result == 0 && report.error.empty()) {
    report.error = "the log does not begin with a tag";
  }
  const ParseOutcome& p = report.parse;
  report.status = p.failures == 0 && (p.passes > 0 || p.warnings > 0) ? 6 : 5;
  // Lines that never reach the results file are a failed translation, not a pass.
  std::string appendError;
  if (!AppendFileTo(report.ntlogOutput, resultsPath, appendError)) {
    report.result = 0;
    report.error = appendError;
  }
}

void Translator::LogTagLine(HLOG log, TagIndex tag, const std::string& text)
{
  const NtLogApi& nt = m_ntlog.Api();
  std::uint32_t level = kInfoAtTest;
  switch (tag) {
  case kTestStart:
  case kTestEnd:
  case kHead:
  case kFoot:
  case kUnknownTag:
    level = kInfoAtTest;
    break;
  case kCaseStart:
    nt.tlStartVariation(log);
    level = kInfoInVariation;
    m_inVariation = true;
    break;
  case kCaseEnd:
    level = nt.tlEndVariation(log) | kVariationScope;
    m_inVariation = false;
    break;
  case kInformation:
    level = m_inVariation ? kInfoInVariation : kInfoAtTest;
    break;
  case kPass:
    level = m_inVariation ? 0x220 : 0x120;
    break;
  case kFail:
    level = m_inVariation ? 0x202 : 0x102;
    break;
  case kWarn:
    level = m_inVariation ? 0x210 : 0x110;
    break;
  }
  nt.tlLog_A(log, level, "tl_main", __LINE__, "%s", text.c_str());
}

} // namespace tallow
