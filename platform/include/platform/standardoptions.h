// The GNU standard options --help and --version, answered alike by every program.
#pragma once

#include "platform/version.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class StandardOption { None, Help, Version };

// The first "--help" or "--version" among the arguments (program name excluded) before a "--".
// As with GNU programs, every other argument is then ignored.
StandardOption FindStandardOption(const std::vector<std::string>& args);

// The help text followed by the lines for the two standard options.
std::string HelpText(std::string_view help);

// "PROGRAM (Halvex) 1.2.3.4" and the copyright line; "unknown" without an embedded version.
std::string VersionText(std::string_view program, const std::optional<FileVersion>& version);

// Answers --help or --version on standard output, the version read from the running program.
// Returns the exit code when one was asked for: 0, or 1 when standard output could not be
// written (said on standard error); nullopt when neither was asked for.
std::optional<int> AnswerStandardOption(const std::vector<std::string>& args,
                                        std::string_view program, std::string_view help);
std::optional<int> AnswerStandardOption(int argc, char** argv, std::string_view program,
                                        std::string_view help);

} // namespace platform
