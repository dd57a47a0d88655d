// Decoding and printing of results blocks.
#include "sorrel/results_report.h"

#include "sorrel/results_block.h"

#include <cstdio>

namespace sorrel {

using namespace block;

namespace {
// Assertions are numbered 6.group.item in reports.
constexpr int kAssertionChapter = 6;
} // namespace

bool DecodeResultsBlock(const uint8_t* data, size_t size, DecodedResults* out, std::string* error)
{
  if (!data || size < kBlockSize) {
    *error = "results block is " + std::to_string(size) + " bytes, expected " +
             std::to_string(kBlockSize);
    return false;
  }
  DecodedResults r;
  r.version = ReadInt32(data, kOffsetVersion);
  if (r.version != kVersion) {
    *error = "results block version " + std::to_string(r.version) + ", expected 3";
    return false;
  }
  r.frameTimeMs = ReadInt32(data, kOffsetFrameTimeMs);
  r.standardName = ReadText(data, kOffsetStandardName, kStandardNameSize);
  r.width = ReadInt32(data, kOffsetWidth);
  r.height = ReadInt32(data, kOffsetHeight);
  r.fourcc = ReadText(data, kOffsetFourcc, 4);
  r.flags = data[kOffsetFlags];
  for (size_t i = 0; i < kAssertionCount; ++i) {
    const size_t at = AssertionOffset(i);
    AssertionRecord a;
    a.group = ReadInt32(data, at + kRecordOffsetGroup);
    if (a.group == 0) {
      break;
    }
    a.item = ReadInt32(data, at + kRecordOffsetItem);
    a.status = ReadInt32(data, at + kAssertionOffsetStatus);
    a.text = ReadText(data, at + kAssertionOffsetText, kTextSize);
    r.assertions.push_back(a);
  }
  for (size_t i = 0; i < kDiagnosticCount; ++i) {
    const size_t at = DiagnosticOffset(i);
    DiagnosticRecord d;
    d.group = ReadInt32(data, at + kRecordOffsetGroup);
    if (d.group == 0) {
      continue;
    }
    d.item = ReadInt32(data, at + kRecordOffsetItem);
    d.text = ReadText(data, at + kDiagnosticOffsetText, kTextSize);
    r.diagnostics.push_back(d);
  }
  *out = r;
  return true;
}

std::vector<std::string> FormatReport(const DecodedResults& results, bool diagnostics, int* verdict)
{
  std::vector<std::string> messages;
  char text[256];
  int previousGroup = -1;
  bool failed = false;
  for (const AssertionRecord& a : results.assertions) {
    if (a.group != previousGroup && a.status == STATUS_TEXT) {
      messages.emplace_back("");
      std::snprintf(text, sizeof text, "%s%d.%d%s",
                    "<<< Video Test Assertion(s): ", kAssertionChapter, a.group, " >>>");
      messages.emplace_back(text);
    }
    previousGroup = a.group;
    if (a.status == STATUS_TEXT) {
      std::snprintf(text, sizeof text, "\t%s\n", a.text.c_str());
      messages.emplace_back(text);
      continue;
    }
    const char* prefix = a.status == STATUS_FAILED       ? "<<< FAILED "
                         : a.status == STATUS_NOT_TESTED ? "<<< NOT TESTED "
                                                         : "<<< PASSED ";
    const char* format =
        a.status == STATUS_WARNING ? "%s%d.%d.%d%s\n%s\nWITH WARNING(S)\n" : "%s%d.%d.%d%s\n%s\n";
    std::snprintf(text, sizeof text, format, prefix, kAssertionChapter, a.group, a.item, " >>>",
                  a.text.c_str());
    messages.emplace_back(text);
    failed = failed || a.status == STATUS_FAILED;
    if (diagnostics) {
      for (const DiagnosticRecord& d : results.diagnostics) {
        if (d.group == a.group && d.item == a.item) {
          messages.push_back(d.text);
        }
      }
    }
  }
  if (verdict) {
    *verdict = failed ? STATUS_FAILED : STATUS_PASSED;
  }
  return messages;
}

namespace {

std::string JsonString(const std::string& s)
{
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case '\t':
      out += "\\t";
      break;
    case '\n':
      out += "\\n";
      break;
    default:
      if (c < 0x20 || c >= 0x7F) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
        out += escaped;
      } else {
        out += char(c);
      }
    }
  }
  return out + "\"";
}

} // namespace

std::string FormatJson(const DecodedResults& r)
{
  std::string out = "{\n";
  out += "  \"version\": " + std::to_string(r.version) + ",\n";
  out += "  \"frameTimeMs\": " + std::to_string(r.frameTimeMs) + ",\n";
  out += "  \"standardName\": " + JsonString(r.standardName) + ",\n";
  out += "  \"width\": " + std::to_string(r.width) + ",\n";
  out += "  \"height\": " + std::to_string(r.height) + ",\n";
  out += "  \"fourcc\": " + JsonString(r.fourcc) + ",\n";
  out += "  \"flags\": " + std::to_string(r.flags) + ",\n";
  out += "  \"assertions\": [";
  for (size_t i = 0; i < r.assertions.size(); ++i) {
    const AssertionRecord& a = r.assertions[i];
    out += std::string(i ? "," : "") + "\n    {\"group\": " + std::to_string(a.group) +
           ", \"item\": " + std::to_string(a.item) + ", \"status\": " + std::to_string(a.status) +
           ", \"text\": " + JsonString(a.text) + "}";
  }
  out += "\n  ],\n  \"diagnostics\": [";
  for (size_t i = 0; i < r.diagnostics.size(); ++i) {
    const DiagnosticRecord& d = r.diagnostics[i];
    out += std::string(i ? "," : "") + "\n    {\"group\": " + std::to_string(d.group) +
           ", \"item\": " + std::to_string(d.item) + ", \"text\": " + JsonString(d.text) + "}";
  }
  out += "\n  ]\n}\n";
  return out;
}

} // namespace sorrel
