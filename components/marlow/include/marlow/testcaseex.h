// CTestcaseEx: the test case of an .ini definition. It starts the definition's test program
// and judges its tagged log (later); here: construction, copying and its place in .ts files.
#pragma once

#include "plinth/testcase.h"

#include "platform/files.h"

#include <cstdint>
#include <string>

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
  // Not available yet: kTestStatusNotRun, nothing shown.
  int Configure() override;
  CTestCase* Clone() const override;
  // Not available yet: kTestStatusNotRun, nothing run.
  uint32_t Execute() override;

  // The modification time of the log file in seconds, 0 when it cannot be read; refreshes
  // the status record.
  uint32_t ReadLogTimeStamp(const std::string& path);

  std::string m_strIniFileName;
  std::string m_strTestCaseName;
  std::string m_strReturnType;
  std::string m_strBatchState; // "Prebootbatch", "PreBoot", "BatchResume" or empty
  std::string m_strImage;
  std::string m_strCmdLine;
  std::string m_strMaxExecutionTime;
  std::string m_strLogFile;
  uint32_t m_dwLogTimeStamp = 0;
  platform::FileStatus m_FileStatus;
};

namespace marlow {
inline constexpr const char* kBatchStatePrebootbatch = "Prebootbatch";
}
