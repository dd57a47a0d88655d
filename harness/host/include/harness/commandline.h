// The command line: an optional suite file and the flag "run".
#pragma once

#include <string>
#include <vector>

namespace harness {

struct CommandLineInfo
{
  std::string m_strFileName; // first parameter that is not a flag
  bool m_bRunMode = false;   // "-run" or "/run" followed by another parameter
  bool m_bEmbedded = false;  // "-Embedding"
  bool m_bAutomated = false; // "-Automation"
  // "--junit FILE" and "--json FILE": the reports of this process's runs.
  std::string m_strJUnitPath;
  std::string m_strJsonPath;
};

// `args` without the program name. A flag starts with "-"; one starting with "/" is a flag
// only when it names a known flag, since "/" also starts every absolute path here.
CommandLineInfo ParseCommandLine(const std::vector<std::string>& args);

} // namespace harness
