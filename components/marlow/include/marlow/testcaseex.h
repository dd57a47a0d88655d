// CTestcaseEx: the test case of an .ini definition. It starts the definition's test program,
// waits for it at most MaxExecutionTime, ends it with everything it started, and has its log
// judged by the translation library; and it has a read-only configuration dialog.
#pragma once

#include "plinth/testcase.h"

#include "platform/files.h"
#include "platform/stopsignal.h"

#include <cstdint>
#include <string>

class CIniComponent;

namespace marlow {
inline constexpr const char* kBatchStatePrebootbatch = "Prebootbatch";
inline constexpr const char* kBatchStateBatchResume = "BatchResume";
inline constexpr const char* kBatchStatePreBoot = "PreBoot";

// Texts of the "HALVEX Test Results Message".
inline constexpr const char* kStatusFailed = "TestStatus - FAILED";
inline constexpr const char* kStatusPreBootBatch = "TestStatus - PreBootBatch";
inline constexpr const char* kStatusNotRunYet = "TestStatus - TEST_NOT_RUN_YET";
inline constexpr const char* kStatusBatchResume = "TestStatus - BatchResume";
inline constexpr const char* kNoBatchItems = "No items in the Local Batch Run List";
inline constexpr const char* kInvalidTestcase =
    "Invalid Testcase. Check the syntax of the .ini file";
} // namespace marlow

class CTestcaseEx : public CTestCase
{
  PLINTH_DECLARE_SERIAL(CTestcaseEx)

public:
  // For loading from a .ts file: class name "Marlow", label "TestcaseEx", model "Default".
  CTestcaseEx();
  // From one definition of iniFileName (name and extension, no folder), owned by pComponent.
  CTestcaseEx(CComponent* pComponent, const std::string& iniFileName, const std::string& name,
              const std::string& returnType, const std::string& image, const std::string& cmdLine,
              const std::string& maxExecutionTime, const std::string& logFile);

  // Base fields, then .ini file name, test case name, return type, batch state, image,
  // command line, log file, log time stamp (32 bits), maximum execution time.
  void Serialize(CArchive& ar) override;
  void CopyFrom(const CTestCase* pOther) override;
  CTestCase* Clone() const override;

  // Any thread: a running Execute stops waiting at once and ends the program as at its time
  // limit; the log then decides. The request stands until ClearStatus.
  void Abort() override;
  void ClearStatus() override;

  // The read-only configuration dialog; 1 when closed with OK, 2 otherwise (also without a
  // QApplication to show it on, after a log line). User-interface thread.
  int Configure() override;

  // Runs the test once and returns its status: for "WINDOWS" the program's log decides (6
  // passed, 5 failed, also when the program does not start or the log is missing or was not
  // rewritten). The DOS kinds in batch state "Prebootbatch" write their batch files for the
  // DOS pass and return 2 (5 when they cannot); in "BatchResume" the log DOS left decides.
  // Sends its records, status texts and log lines to the calling thread's main window.
  uint32_t Execute() override;

  // Starts the command line, waits for it at most MaxExecutionTime or until Abort, then ends
  // it and everything it started. False, after the start-failure line, when it did not start.
  bool RunProcess(const std::string& commandLine);
  // The status the log at logPath earns: 5 with a log line when it is missing or not newer
  // than the time stamp, when the translation library is missing or fails; else its verdict.
  uint32_t TranslateLog(const std::string& logPath);
  // The version of the test program of a "WINDOWS" test case; "Unknown" without one.
  std::string GetImageVersion() const;

  // The modification time of the log file in seconds, 0 when it cannot be read; refreshes
  // the status record.
  uint32_t ReadLogTimeStamp(const std::string& path);
  // Takes the log time stamp (seconds for the suite file, the full time for this process).
  void TakeLogTimeStamp(const std::string& path);

  std::string m_strIniFileName;
  std::string m_strTestCaseName;
  std::string m_strReturnType;
  std::string m_strBatchState; // "Prebootbatch", "PreBoot", "BatchResume" or empty
  std::string m_strImage;
  std::string m_strCmdLine;
  std::string m_strMaxExecutionTime;
  std::string m_strLogFile;
  uint32_t m_dwLogTimeStamp = 0;
  // The stamp in nanoseconds while it was taken in this process (not in the suite file): a
  // log rewritten within the second the program started still counts as rewritten.
  int64_t m_llLogTimeStampNs = 0;
  bool m_bLogTimeStampPrecise = false;
  platform::FileStatus m_FileStatus;

private:
  // The DOS kinds: the test program runs under DOS after a restart. logFile is the Linux path
  // of the log, cmdLine the command line in its DOS form.
  uint32_t ExecuteDos(const std::string& logFile, const std::string& cmdLine,
                      const std::string& iniFolder);
  bool IsLogRewritten() const;
  // The component whose definitions folder the paths are resolved against.
  const CIniComponent* DefiningComponent() const;
  // The results file the translation appends to.
  std::string ResultsFilePath() const;

  platform::StopSignal m_stop;
};
