// Reading a results block back: decoding with checks, the report the video test component
// prints from it, and a JSON rendering of its fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sorrel {

struct AssertionRecord
{
  int32_t group = 0;
  int32_t item = 0;
  int32_t status = 0;
  std::string text;
};

struct DiagnosticRecord
{
  int32_t group = 0;
  int32_t item = 0;
  std::string text;
};

struct DecodedResults
{
  int32_t version = 0;
  int32_t frameTimeMs = 0;
  std::string standardName;
  int32_t width = 0;
  int32_t height = 0;
  std::string fourcc;
  uint8_t flags = 0;
  std::vector<AssertionRecord> assertions;   // up to the first record with group 0
  std::vector<DiagnosticRecord> diagnostics; // the records with a group
};

// False with a message for a short block or a version other than 3.
bool DecodeResultsBlock(const uint8_t* block, size_t size, DecodedResults* out, std::string* error);

// The report messages, one per entry (a message may span lines), and the verdict:
// STATUS_FAILED (3) when an assertion failed, else STATUS_PASSED (4). Diagnostic lines follow their
// assertion when asked.
std::vector<std::string> FormatReport(const DecodedResults& results, bool diagnostics,
                                      int* verdict);

std::string FormatJson(const DecodedResults& results);

} // namespace sorrel
