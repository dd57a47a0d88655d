// Command-line parsing.
#include "harness/commandline.h"

#include <strings.h>

namespace harness {

namespace {

// "--name" or "-name".
bool IsReportOption(const std::string& arg, const char* name)
{
  return arg == std::string("--") + name || arg == std::string("-") + name;
}

bool IsKnownFlag(const std::string& word)
{
  return word == "run" || strcasecmp(word.c_str(), "Embedding") == 0 ||
         strcasecmp(word.c_str(), "Automation") == 0;
}

bool IsFlag(const std::string& arg)
{
  if (arg.size() < 2)
    return false;
  if (arg[0] == '-')
    return true;
  return arg[0] == '/' && IsKnownFlag(arg.substr(1));
}

} // namespace

CommandLineInfo ParseCommandLine(const std::vector<std::string>& args)
{
  CommandLineInfo info;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (IsReportOption(arg, "junit") || IsReportOption(arg, "json")) {
      // The file follows; an option at the end names none.
      std::string& path = IsReportOption(arg, "junit") ? info.m_strJUnitPath : info.m_strJsonPath;
      if (i + 1 < args.size())
        path = args[++i];
      continue;
    }
    if (!IsFlag(arg)) {
      if (info.m_strFileName.empty())
        info.m_strFileName = arg;
      continue;
    }
    std::string word = arg.substr(1);
    if (word == "run") // compared case-sensitively; counts only with a parameter after it
      info.m_bRunMode = info.m_bRunMode || i + 1 < args.size();
    else if (strcasecmp(word.c_str(), "Embedding") == 0)
      info.m_bEmbedded = true;
    else if (strcasecmp(word.c_str(), "Automation") == 0)
      info.m_bAutomated = true;
  }
  return info;
}

} // namespace harness
