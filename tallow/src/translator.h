// The translation of one log into the results file, and the state kept between translations
// while the library stays loaded (NTLog binding, in-variation flag, report-statistics flag).
#pragma once

#include "ntlog/ntlog_binding.h"
#include "plain_log.h"
#include "tagged_log_parser.h"

#include <cstdint>
#include <mutex>
#include <string>

namespace tallow {

enum class TranslationMode { Tagged, Plain };

struct TranslationReport
{
  int result = 0;          // 1 translated or copied, 0 failed
  std::int32_t status = 5; // 5 failed, 6 passed
  TranslationMode mode = TranslationMode::Plain;
  bool ntlogBound = false;
  std::string ntlog;       // where NTLog was found, or why it is not used
  std::string ntlogOutput; // tagged mode: the NTLog output file, "<results>NT"
  bool reportedStats = false;
  ParseOutcome parse; // tagged mode
  PlainOutcome plain; // plain mode
  std::string error;  // why result is 0, or what went wrong on the way
};

class Translator
{
public:
  // reportStats: the call of iTranslateToNTLogx; it stays set for every later call.
  TranslationReport Translate(const char* logPath, const char* resultsPath, bool reportStats);

private:
  void TranslateTagged(const std::string& logPath, const std::string& resultsPath,
                       TranslationReport& report);
  void LogTagLine(HLOG log, TagIndex tag, const std::string& text);

  std::mutex m_mutex; // one translation at a time: the state below is shared
  ntlog::NtLogBinding m_ntlog;
  bool m_inVariation = false;
  bool m_reportStats = false;
};

// Appends the whole of one file to another; false (and why) when either cannot be used.
bool AppendFileTo(const std::string& from, const std::string& to, std::string& error);

} // namespace tallow
