// Reading a tagged log: which logs are tagged, and the tag and text of each line.
#pragma once

#include "tag_table.h"

#include <cstdio>
#include <functional>
#include <string>

namespace tallow {

struct ParseOutcome
{
  int result = 1; // 0: the first non-blank character of the log is not "["
  int passes = 0;
  int failures = 0;
  int warnings = 0;
  long taggedLines = 0;   // lines read as tagged lines, unknown tags included
  long unknownTags = 0;   // of those, lines whose tag is not in the table (logged nowhere)
  long stoppedAtLine = 0; // line number where reading stopped with text left; 0: read to the end
};

// Called for every line with a known tag; text is the rest of the line without its line end,
// NUL-terminated, with every byte of 0x80 or above (and every NUL) replaced by "*".
using TagLineHandler = std::function<void(TagIndex tag, const std::string& text)>;

// True when one of the first five lines begins with "[".
bool IsTaggedLog(std::FILE* log);

// Reads tagged lines from the stream's start until a line does not begin with "[". Lines may be
// of any length; "\r\n" counts as a line end.
ParseOutcome ParseTaggedLog(std::FILE* log, const TagLineHandler& onLine);

} // namespace tallow
