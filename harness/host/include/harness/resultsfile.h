// Reading the results file back: the lines a test case appended to it by itself (Marlow's DOS
// test cases judge their logs into it) are copied into the results window after the run.
#pragma once

#include <string>
#include <vector>

namespace harness {

// The file's text lines (CR LF or LF ends; a last line without an end counts), the file
// created when missing. 0 or the errno value.
int ReadResultLines(const std::string& path, std::vector<std::string>& lines);

// The lines that an execution appended, given the number of lines before it: of a short file
// (50 lines or fewer) those from line before + 5 on; of a longer one at most the last 51, and
// none before line before + 4 (lines counted from 1).
std::vector<std::string> NewResultLines(const std::vector<std::string>& lines, std::size_t before);

} // namespace harness
