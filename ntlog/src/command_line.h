// The log options a test program's command line may carry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ntlog {

struct CommandLineOptions
{
  std::string fileName;
  std::uint32_t flags = 0;
};

// "/NTLog:<file>" and "/NTLogFlags:<number>" ('-' or '/', any case); nullopt when no file is
// named or the flags are not a number.
std::optional<CommandLineOptions> ParseCommandLine(const std::string& commandLine);

} // namespace ntlog
