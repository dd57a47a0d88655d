// CTestcaseEx: construction, copying and serialisation.
#include "marlow/testcaseex.h"

#include "skeleton/logmessage.h"
#include "skeleton/modelcomponent.h"

#include "plinth/archive.h"
#include "plinth/archive_format.h"
#include "plinth/component.h"

#include <strings.h>

PLINTH_IMPLEMENT_SERIAL(CTestcaseEx, CTestCase, plinth::archive_format::kSchema)

CTestcaseEx::CTestcaseEx()
{
  m_strClassName = "Marlow";
  m_strLabel = "TestcaseEx";
  m_strModelName = components::kDefaultModel;
}

CTestcaseEx::CTestcaseEx(CComponent* pComponent, const std::string& iniFileName,
                         const std::string& name, const std::string& returnType,
                         const std::string& image, const std::string& cmdLine,
                         const std::string& maxExecutionTime, const std::string& logFile)
    : CTestCase(pComponent, "", 1, 1, 0)
{
  if (pComponent == nullptr || !pComponent->IsKindOf(PLINTH_RUNTIME_CLASS(CComponent))) {
    components::LogMessage(components::kLogError,
                           "Invalid CComponent object used in CTestcaseEx().");
    return;
  }
  m_strClassName = pComponent->GetClassName();
  m_strLabel = name;
  m_strTestCaseName = name;
  m_strIniFileName = iniFileName;
  m_strReturnType = returnType;
  m_strLogFile = logFile;
  m_strCmdLine = cmdLine;
  m_strImage = image;
  m_strMaxExecutionTime = maxExecutionTime;
  // "DOS" and "DOSBatch" start out waiting for their batch file.
  if (returnType.size() >= 3 && strncasecmp(returnType.c_str(), "DOS", 3) == 0)
    m_strBatchState = marlow::kBatchStatePrebootbatch;
  m_dwLogTimeStamp = ReadLogTimeStamp(logFile);
}

uint32_t CTestcaseEx::ReadLogTimeStamp(const std::string& path)
{
  if (platform::GetFileStatus(path, m_FileStatus) != platform::kErrorSuccess)
    return 0;
  return static_cast<uint32_t>(m_FileStatus.modificationTime);
}

void CTestcaseEx::Serialize(CArchive& ar)
{
  CTestCase::Serialize(ar);
  if (ar.IsStoring()) {
    ar << m_strIniFileName << m_strTestCaseName << m_strReturnType << m_strBatchState << m_strImage
       << m_strCmdLine << m_strLogFile << m_dwLogTimeStamp << m_strMaxExecutionTime;
  } else {
    ar >> m_strIniFileName >> m_strTestCaseName >> m_strReturnType >> m_strBatchState >>
        m_strImage >> m_strCmdLine >> m_strLogFile >> m_dwLogTimeStamp >> m_strMaxExecutionTime;
  }
}

void CTestcaseEx::CopyFrom(const CTestCase* pOther)
{
  CTestCase::CopyFrom(pOther);
  if (pOther == nullptr || !pOther->IsKindOf(PLINTH_RUNTIME_CLASS(CTestcaseEx)))
    return;
  const auto* pSource = static_cast<const CTestcaseEx*>(pOther);
  m_strIniFileName = pSource->m_strIniFileName;
  m_strTestCaseName = pSource->m_strTestCaseName;
  m_strReturnType = pSource->m_strReturnType;
  m_strBatchState = pSource->m_strBatchState;
  m_strImage = pSource->m_strImage;
  m_strCmdLine = pSource->m_strCmdLine;
  m_strMaxExecutionTime = pSource->m_strMaxExecutionTime;
  m_strLogFile = pSource->m_strLogFile;
  m_dwLogTimeStamp = pSource->m_dwLogTimeStamp;
}

int CTestcaseEx::Configure()
{
  return static_cast<int>(kTestStatusNotRun);
}

CTestCase* CTestcaseEx::Clone() const
{
  auto* pClone = new CTestcaseEx;
  pClone->CopyFrom(this);
  return pClone;
}

uint32_t CTestcaseEx::Execute()
{
  return kTestStatusNotRun;
}
