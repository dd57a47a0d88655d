// The .ini definition parser.
#include "marlow/inisuite.h"

#include "marlow/commandlinerules.h"

#include "skeleton/logmessage.h"
#include "skeleton/strings.h"

#include "platform/files.h"
#include "platform/profile.h"
#include "platform/system.h"
#include "platform/volumes.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <strings.h>

using components::FormatMessageText;
using components::FormatText;
using components::LoadComponentString;
using components::LogMessage;

namespace {

bool IsBlank(char c)
{
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A value as the profile reader hands it over: cut to the buffer, trimmed; "" when absent.
std::string ReadValue(const platform::ProfileText& profile, const std::string& section,
                      const char* key)
{
  const std::string* found = profile.Find(section, key);
  if (found == nullptr)
    return {};
  std::string value = found->substr(0, marlow::kValueBufferSize - 1);
  std::size_t begin = 0;
  while (begin < value.size() && IsBlank(value[begin]))
    ++begin;
  std::size_t end = value.size();
  while (end > begin && IsBlank(value[end - 1]))
    --end;
  return value.substr(begin, end - begin);
}

// Leading digits with an optional sign, as the profile reader's integers; 0 for none.
int32_t ReadInteger(const std::string& text)
{
  if (text.empty())
    return 0;
  return static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10));
}

// "" for anything but a regular file: a pipe or device named *.ini in the definition folder
// would otherwise block the harness's start-up on the read.
std::string ReadFileText(const std::string& path)
{
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    return {};
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

} // namespace

bool CIniSuite::Parse(const std::string& iniPath)
{
  return ParseText(iniPath, ReadFileText(iniPath));
}

bool CIniSuite::ParseText(const std::string& iniPath, std::string_view text)
{
  m_strIniPath = iniPath;
  const platform::ProfileText profile(text);

  m_strFriendlyName = ReadValue(profile, marlow::kSuiteSection, "FriendlyName");
  m_strSummaryLog = ReadValue(profile, marlow::kSuiteSection, "SummaryLog");
  m_strLogEditor = ReadValue(profile, marlow::kSuiteSection, "LogEditor");
  if (m_strFriendlyName.empty() || m_strFriendlyName.find('\\') != std::string::npos ||
      m_strSummaryLog.empty() || m_strLogEditor.empty()) {
    LogMessage(components::kLogError,
               FormatMessageText(LoadComponentString(components::kIdsInvalidTestSuite), {iniPath}));
    return false;
  }
  m_nDebugLevel = ReadInteger(ReadValue(profile, marlow::kSuiteSection, "DebugLevel"));

  for (int n = 1;; ++n) {
    const std::string section = FormatText(marlow::kTestCaseSectionFormat, n);
    CIniTestDef def;
    def.m_strName = ReadValue(profile, section, "FriendlyName");
    if (def.m_strName.empty()) {
      if (n == 1)
        LogMessage(
            components::kLogError,
            FormatMessageText(LoadComponentString(components::kIdsInvalidTestCase), {iniPath}));
      break;
    }
    bool duplicate = false;
    for (const CIniTestDef& earlier : m_TestDefs)
      duplicate = duplicate || earlier.m_strName == def.m_strName;
    if (duplicate) {
      LogMessage(
          components::kLogError,
          FormatMessageText(LoadComponentString(components::kIdsInvalidTestCase), {iniPath}));
      break;
    }
    def.m_strReturnType = ReadValue(profile, section, "Return");
    if (def.m_strReturnType.empty())
      def.m_strReturnType = marlow::kReturnWindows;
    def.m_strImage = ReadValue(profile, section, "Image");
    def.m_strLogFile = ReadValue(profile, section, "Logfile");
    def.m_strCmdLine = ReadValue(profile, section, "Cmdline");
    if (def.m_strImage.empty() || def.m_strLogFile.empty() || def.m_strCmdLine.empty())
      continue;
    if (strcasecmp(def.m_strReturnType.c_str(), marlow::kReturnWindows) == 0) {
      def.m_strMaxExecutionTime = ReadValue(profile, section, "MaxExecutionTime");
      if (def.m_strMaxExecutionTime.empty()) {
        LogMessage(components::kLogError,
                   FormatText("Invalid MaxExecutionTime Value for the [%s] with FriendlyName "
                              "'%s' in .ini file: %s",
                              section.c_str(), def.m_strName.c_str(), iniPath.c_str()));
        continue;
      }
    }
    m_TestDefs.push_back(std::move(def));
    ++m_nTestDefs;
  }
  return true;
}

std::string CIniSuite::ResolvePath(const std::string& path) const
{
  return marlow::ResolveInFolder(path, m_strBaseFolder);
}

namespace {

// Puts the DOS form of each Linux path in its place in the command line.
bool ToDosForm(std::string& cmdLine, const std::vector<std::string>& paths, std::string* pNoDosForm)
{
  for (const std::string& path : paths) {
    std::string dosPath;
    if (platform::DosPathFromLinux(path, dosPath) != platform::kErrorSuccess) {
      LogMessage(components::kLogError,
                 FormatText("DOS cannot reach %s: it must lie below %s and have DOS names (8.3).",
                            path.c_str(), platform::SystemRootFolder().c_str()));
      if (pNoDosForm != nullptr)
        *pNoDosForm = path;
      return false;
    }
    cmdLine = marlow::ReplaceInCommandLine(cmdLine, path, dosPath);
  }
  return true;
}

} // namespace

bool CIniSuite::PrepareCommandLine(const std::string& image, bool bDosBoot, std::string& logFile,
                                   std::string& cmdLine, std::string* pNoDosForm) const
{
  const std::string writtenLog = logFile;
  logFile = ResolvePath(writtenLog);
  cmdLine = marlow::ReplaceInCommandLine(cmdLine, writtenLog, logFile);
  std::string program;
  const bool prepared = ResolveProgram(image, cmdLine, program);
  std::vector<std::string> linuxPaths;
  if (prepared)
    linuxPaths.push_back(program);
  linuxPaths.push_back(logFile);
  if (bDosBoot && !ToDosForm(cmdLine, linuxPaths, pNoDosForm))
    return false;
  return prepared;
}

bool CIniSuite::ResolveProgram(const std::string& image, std::string& cmdLine,
                               std::string& program) const
{
  const std::size_t imageAt = marlow::FindIgnoringCase(cmdLine, image);
  if (imageAt == std::string::npos) {
    LogMessage(components::kLogError, "Invalid Image Value");
    return false;
  }
  // The program as written: everything before the image, and the image, without the quote
  // that opens a quoted program path.
  std::size_t programAt = 0;
  while (programAt < imageAt && (cmdLine[programAt] == ' ' || cmdLine[programAt] == '\t'))
    ++programAt;
  if (programAt < imageAt && cmdLine[programAt] == '"')
    ++programAt;
  const std::string writtenProgram = cmdLine.substr(programAt, imageAt + image.size() - programAt);
  if (platform::GetShortPathName(ResolvePath(writtenProgram), program) != platform::kErrorSuccess) {
    LogMessage(components::kLogError, "Invalid Cmd Line Path");
    return false;
  }
  cmdLine = marlow::ReplaceInCommandLine(cmdLine, writtenProgram, program);
  return true;
}
