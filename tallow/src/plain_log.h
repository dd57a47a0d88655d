// Plain mode: the log is copied into the results file and judged by its +TEST+ markers.
#pragma once

#include <cstdint>
#include <string>

namespace tallow {

// The markers in the order in which they are tried on a line; a line counts the first found.
enum Marker : int {
  kMarkerPass = 0,
  kMarkerWarn,
  kMarkerSev1,
  kMarkerSev2,
  kMarkerSev3,
  kNoMarker
};

// The marker a line counts.
Marker FindMarker(const char* line, std::size_t length);

struct PlainOutcome
{
  int result = 0;              // 1: copied; 0: a file could not be opened, read or written
  std::int32_t status = 5;     // 6 only with a pass or warning marker and no severity marker
  long counts[kNoMarker] = {}; // lines counted per marker
  long lines = 0;
  std::string error; // why result is 0
};

// Appends the log, byte for byte and then one blank, to the results file. Nothing is written
// when the log cannot be opened.
PlainOutcome TranslatePlainLog(const std::string& logPath, const std::string& resultsPath);

} // namespace tallow
