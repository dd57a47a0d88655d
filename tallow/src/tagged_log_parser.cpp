// The tagged-log grammar: a tag at the very start of a line, then the line's text.
#include "tagged_log_parser.h"

#include "line_reader.h"

namespace tallow {

namespace {

constexpr int kLinesThatMakeALogTagged = 5;

std::string_view WithoutLineEnd(std::string_view line, bool endedByNewline)
{
  if (endedByNewline && !line.empty() && line.back() == '\r') {
    line.remove_suffix(1);
  }
  return line;
}

void Sanitise(std::string_view text, std::string& out)
{
  out.assign(text);
  // A branch-free scan first: most lines are clean ASCII.
  unsigned char high = 0;
  bool nul = false;
  for (char c : out) {
    high |= static_cast<unsigned char>(c) & 0x80;
    nul |= c == '\0';
  }
  if (!high && !nul) {
    return;
  }
  for (char& c : out) {
    if (static_cast<unsigned char>(c) >= 0x80 || c == '\0') {
      c = '*';
    }
  }
}

} // namespace

bool IsTaggedLog(std::FILE* log)
{
  LineReader reader(log);
  std::string_view line;
  bool endedByNewline = false;
  for (int i = 0; i < kLinesThatMakeALogTagged && reader.Next(line, endedByNewline); ++i) {
    if (!line.empty() && line.front() == '[') {
      return true;
    }
  }
  return false;
}

ParseOutcome ParseTaggedLog(std::FILE* log, const TagLineHandler& onLine)
{
  ParseOutcome outcome;
  LineReader reader(log);
  std::string_view line;
  bool endedByNewline = false;
  long lineNumber = 0;

  // Blank lines before the first tag are skipped.
  bool haveLine = false;
  while (reader.Next(line, endedByNewline)) {
    ++lineNumber;
    line = WithoutLineEnd(line, endedByNewline);
    if (!line.empty()) {
      haveLine = true;
      break;
    }
  }
  if (!haveLine || line.front() != '[') {
    outcome.result = 0;
    outcome.stoppedAtLine = haveLine ? lineNumber : 0;
    return outcome;
  }

  std::string text;
  for (;;) {
    ++outcome.taggedLines;
    // A tag runs to the first "]" of the line; a line without one has an unknown tag.
    const std::size_t close = line.find(']');
    const std::string_view tag = close == std::string_view::npos ? line : line.substr(0, close + 1);
    const TagIndex index = FindTag(tag);
    if (index == kFail) {
      ++outcome.failures;
    } else if (index == kPass) {
      ++outcome.passes;
    } else if (index == kWarn) {
      ++outcome.warnings;
    }
    if (index == kUnknownTag) {
      ++outcome.unknownTags;
    } else {
      Sanitise(line.substr(tag.size()), text);
      onLine(index, text);
    }
    if (!endedByNewline || reader.Peek() != '[') {
      break;
    }
    reader.Next(line, endedByNewline);
    ++lineNumber;
    line = WithoutLineEnd(line, endedByNewline);
  }
  if (endedByNewline && reader.Peek() != EOF) {
    outcome.stoppedAtLine = lineNumber + 1;
  }
  return outcome;
}

} // namespace tallow
