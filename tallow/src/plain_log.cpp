// Copying a log that carries no tags, and judging it by its markers.
#include "plain_log.h"

#include "line_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

namespace tallow {

namespace {

constexpr std::string_view kMarkerPrefix = "+TEST+";
constexpr std::string_view kMarkerWords[kNoMarker] = {"PASS", "WARN", "SEV1", "SEV2", "SEV3"};

struct FileCloser
{
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string Why(const char* what, const std::string& path)
{
  return std::string(what) + " " + path + ": " + std::strerror(errno);
}

} // namespace

Marker FindMarker(const char* line, std::size_t length)
{
  // Most lines hold no "+" at all.
  if (!std::memchr(line, '+', length)) {
    return kNoMarker;
  }
  unsigned found = 0;
  const char* end = line + length;
  const char* at = line;
  while (at < end) {
    const void* hit = memmem(at, end - at, kMarkerPrefix.data(), kMarkerPrefix.size());
    if (!hit) {
      break;
    }
    const char* word = static_cast<const char*>(hit) + kMarkerPrefix.size();
    for (int m = 0; m < kNoMarker; ++m) {
      if (end - word >= 4 && std::memcmp(word, kMarkerWords[m].data(), 4) == 0) {
        found |= 1u << m;
      }
    }
    at = static_cast<const char*>(hit) + 1;
  }
  for (int m = 0; m < kNoMarker; ++m) {
    if (found & (1u << m)) {
      return static_cast<Marker>(m);
    }
  }
  return kNoMarker;
}

PlainOutcome TranslatePlainLog(const std::string& logPath, const std::string& resultsPath)
{
  PlainOutcome outcome;
  // The log only needs reading; it is opened first so that a missing log creates no results file.
  File log(OpenForReading(logPath, outcome.error));
  if (!log) {
    return outcome;
  }
  File results(std::fopen(resultsPath.c_str(), "abe"));
  if (!results) {
    outcome.error = Why("cannot open the results file", resultsPath);
    return outcome;
  }

  LineReader reader(log.get());
  bool writeFailed = false;
  // The log reaches the results file block by block, unchanged; lines are only looked at.
  reader.SetBlockSink([&](const char* block, std::size_t size) {
    writeFailed |= std::fwrite(block, 1, size, results.get()) != size;
  });
  std::string_view line;
  bool endedByNewline = false;
  while (reader.Next(line, endedByNewline)) {
    ++outcome.lines;
    const Marker marker = FindMarker(line.data(), line.size());
    if (marker != kNoMarker) {
      ++outcome.counts[marker];
    }
  }
  writeFailed |= std::fputc(' ', results.get()) == EOF;
  writeFailed |= std::fclose(results.release()) != 0;
  if (reader.ReadFailed()) {
    outcome.error = Why("cannot read the log", logPath);
    return outcome;
  }
  if (writeFailed) {
    outcome.error = Why("cannot write the results file", resultsPath);
    return outcome;
  }
  const bool severity =
      outcome.counts[kMarkerSev1] || outcome.counts[kMarkerSev2] || outcome.counts[kMarkerSev3];
  const bool passOrWarn = outcome.counts[kMarkerPass] || outcome.counts[kMarkerWarn];
  outcome.status = !severity && passOrWarn ? 6 : 5;
  outcome.result = 1;
  return outcome;
}

} // namespace tallow
