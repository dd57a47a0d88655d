// The .ini test definition file: the parsed suite (CIniSuite) and its test definitions
// (CIniTestDef). doc/ini_format.md describes the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace marlow {

inline constexpr const char* kSuiteSection = "test suite";
inline constexpr const char* kTestCaseSectionFormat = "test case%d";
inline constexpr const char* kReturnWindows = "WINDOWS";
inline constexpr const char* kReturnDos = "DOS";
inline constexpr const char* kReturnDosBatch = "DOSBatch";
// Values are read as into a buffer of this many characters, terminator included.
inline constexpr std::size_t kValueBufferSize = 2000;

} // namespace marlow

class CIniTestDef
{
public:
  std::string m_strName;             // FriendlyName
  std::string m_strReturnType;       // Return
  std::string m_strImage;            // Image
  std::string m_strCmdLine;          // Cmdline
  std::string m_strMaxExecutionTime; // MaxExecutionTime; empty for the DOS kinds
  std::string m_strLogFile;          // Logfile
};

class CIniSuite
{
public:
  // Reads the file; false when the "test suite" section lacks one of its required keys.
  // Test-case sections stop at the first gap in their numbering, at a missing first section
  // and at a repeated name; sections missing Image, Logfile or Cmdline are skipped. Reasons
  // go to the harness log at level 0. A FriendlyName holding a backslash is refused like a
  // missing one: as a registry key name it would split into nested keys.
  bool Parse(const std::string& iniPath);
  // The same over text already read; iniPath only names the file in messages.
  bool ParseText(const std::string& iniPath, std::string_view text);

  // As a path-resolution object (m_strBaseFolder set): logFile and cmdLine in, resolved out.
  // The log path is resolved (ResolvePath) and put in its place in the command line; then
  // the program (the command line up to and including image, compared ignoring case) is
  // resolved against the base folder and must exist. False after "Invalid Image Value" or
  // "Invalid Cmd Line Path" at level 0; the buffers then hold what was resolved up to there.
  // A resolved path holding a blank is quoted in the command line. bDosBoot says the command
  // line is for a DOS boot: the resolved program and log path in it are then given in their
  // DOS form (C:\...); logFile stays the Linux path. A path that has none (outside the system
  // drive folder, or not a DOS name) is logged at level 0, named in *pNoDosForm, and the result
  // is false.
  bool PrepareCommandLine(const std::string& image, bool bDosBoot, std::string& logFile,
                          std::string& cmdLine, std::string* pNoDosForm = nullptr) const;
  // A path that starts with "." below the base folder; other paths as they are.
  std::string ResolvePath(const std::string& path) const;

  std::vector<CIniTestDef> m_TestDefs;
  int m_nTestDefs = 0;
  std::string m_strIniPath;
  std::string m_strFriendlyName;
  std::string m_strSummaryLog;
  std::string m_strLogEditor;
  std::string m_strBaseFolder; // set by whoever resolves relative paths
  int32_t m_nDebugLevel = 0;

private:
  // The program of the command line (up to and including image) resolved, existing and put in
  // its place; false after the log line.
  bool ResolveProgram(const std::string& image, std::string& cmdLine, std::string& program) const;
};
