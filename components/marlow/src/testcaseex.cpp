// CTestcaseEx: construction, copying, serialisation, execution and configuration.
#include "marlow/testcaseex.h"

#include "marlow/commandlinerules.h"
#include "marlow/dosbatch.h"
#include "marlow/inicomponent.h"
#include "marlow/inisuite.h"
#include "marlow/testcaseexdialog.h"
#include "marlow/translationlibrary.h"

#include "skeleton/componentmodule.h"
#include "skeleton/logmessage.h"
#include "skeleton/modelcomponent.h"
#include "skeleton/strings.h"
#include "skeleton/testmessages.h"
#include "skeleton/versiontext.h"

#include "plinth/archive.h"
#include "plinth/archive_format.h"
#include "plinth/component.h"

#include "platform/process.h"
#include "platform/regkey.h"

#include <QApplication>

#include <strings.h>

using components::FormatText;
using components::kLogError;
using components::LogMessage;

namespace {

// The source name the information records carry.
constexpr const char* kRecordSource = "TestcaseEx";

bool SameText(const std::string& a, const char* b)
{
  return strcasecmp(a.c_str(), b) == 0;
}

} // namespace

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

void CTestcaseEx::TakeLogTimeStamp(const std::string& path)
{
  m_dwLogTimeStamp = ReadLogTimeStamp(path);
  m_llLogTimeStampNs = m_dwLogTimeStamp == 0 ? 0 : m_FileStatus.modificationTimeNs;
  m_bLogTimeStampPrecise = true;
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
    m_bLogTimeStampPrecise = false;
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
  m_llLogTimeStampNs = pSource->m_llLogTimeStampNs;
  m_bLogTimeStampPrecise = pSource->m_bLogTimeStampPrecise;
}

CTestCase* CTestcaseEx::Clone() const
{
  auto* pClone = new CTestcaseEx;
  pClone->CopyFrom(this);
  return pClone;
}

void CTestcaseEx::Abort()
{
  CTestCase::Abort();
  m_stop.Raise();
}

void CTestcaseEx::ClearStatus()
{
  CTestCase::ClearStatus();
  m_stop.Clear();
}

const CIniComponent* CTestcaseEx::DefiningComponent() const
{
  if (const auto* pOwner =
          dynamic_cast<const CIniComponent*>(components::FindComponent(m_strClassName)))
    return pOwner;
  return dynamic_cast<const CIniComponent*>(components::GetCurrentComponent());
}

std::string CTestcaseEx::ResultsFilePath() const
{
  // The harness hands its results file to the current component before a run; until it has,
  // its ResultsFilePath setting names the file.
  if (const auto* pCurrent = dynamic_cast<const CIniComponent*>(components::GetCurrentComponent());
      pCurrent != nullptr && !pCurrent->m_strResultsFilePath.empty())
    return pCurrent->m_strResultsFilePath;
  std::string path;
  const std::string rootKey = components::ReadHarnessRootKey();
  CRegKey root(CRegKey::ReadFailure::EmptyText);
  if (!rootKey.empty() &&
      root.Open(platform::HKEY_LOCAL_MACHINE, rootKey) == platform::ERROR_SUCCESS)
    root.ReadString("ResultsFilePath", path);
  return path;
}

uint32_t CTestcaseEx::Execute()
{
  // Called by the harness across the module boundary: nothing may leave as an exception.
  try {
    components::SendNtLogInformation(kRecordSource, __LINE__,
                                     "TestCaseName = " + m_strTestCaseName);
    components::SendNtLogInformation(kRecordSource, __LINE__,
                                     "Name of the .ini file: = " + m_strIniFileName);
    components::SendNtLogInformation(kRecordSource, __LINE__,
                                     "Test Case ReturnType = " + m_strReturnType);

    CIniSuite resolver;
    if (const CIniComponent* pComponent = DefiningComponent())
      resolver.m_strBaseFolder = pComponent->m_strIniFolder;
    std::string logFile = m_strLogFile;
    std::string cmdLine = m_strCmdLine;
    const bool bDosBoot = SameText(m_strBatchState, marlow::kBatchStatePrebootbatch);
    // A command line that cannot be prepared fully still runs as far as it was resolved; one
    // that DOS cannot reach would only fail after the restart.
    std::string noDosForm;
    resolver.PrepareCommandLine(m_strImage, bDosBoot, logFile, cmdLine, &noDosForm);

    if (SameText(m_strReturnType, marlow::kReturnWindows)) {
      TakeLogTimeStamp(logFile);
      if (!RunProcess(cmdLine)) {
        components::SendTestResultsText(marlow::kStatusFailed);
        return kTestStatusFailed;
      }
      return TranslateLog(logFile);
    }
    if (SameText(m_strReturnType, marlow::kReturnDos) ||
        SameText(m_strReturnType, marlow::kReturnDosBatch)) {
      if (!noDosForm.empty()) {
        components::SendTestResultsText(marlow::kStatusFailed);
        return kTestStatusFailed;
      }
      return ExecuteDos(logFile, cmdLine, resolver.m_strBaseFolder);
    }
    components::SendTestResultsText(marlow::kInvalidTestcase);
    return kTestStatusFailed;
  } catch (...) {
    LogMessage(kLogError, FormatText("ERROR (%s): The test case could not be run.",
                                     m_strTestCaseName.c_str()));
    return kTestStatusFailed;
  }
}

uint32_t CTestcaseEx::ExecuteDos(const std::string& logFile, const std::string& cmdLine,
                                 const std::string& iniFolder)
{
  if (SameText(m_strBatchState, marlow::kBatchStatePrebootbatch)) {
    components::SendTestResultsText(marlow::kStatusPreBootBatch);
    switch (marlow::ModuleDosBatch().WriteDosBatch(m_strTestCaseName, cmdLine, iniFolder)) {
    case marlow::DosBatchResult::EmptyCommandLine:
      components::SendTestResultsText(marlow::kNoBatchItems);
      return kTestStatusFailed;
    case marlow::DosBatchResult::FileError:
      components::SendTestResultsText(marlow::kStatusFailed);
      return kTestStatusFailed;
    case marlow::DosBatchResult::Written:
      break;
    }
    components::SendTestResultsText(marlow::kStatusNotRunYet);
    TakeLogTimeStamp(logFile);
    return kTestStatusPrepared;
  }
  if (SameText(m_strBatchState, marlow::kBatchStateBatchResume)) {
    components::SendTestResultsText(marlow::kStatusBatchResume);
    return TranslateLog(logFile);
  }
  components::SendTestResultsText(marlow::kInvalidTestcase);
  return kTestStatusFailed;
}

bool CTestcaseEx::RunProcess(const std::string& commandLine)
{
  platform::Process process;
  if (!process.Start(commandLine)) {
    components::SendLogText(components::FormatMessageText(
        components::LoadComponentString(components::kIdsProgramStartFailed),
        {std::to_string(process.LastError().windowsCode)}));
    return false;
  }
  // The exit code does not count, only the log; a stop ends the wait like the time limit.
  process.Wait(marlow::ParseMaxExecutionTime(m_strMaxExecutionTime), &m_stop);
  process.Terminate(0);
  return true;
}

bool CTestcaseEx::IsLogRewritten() const
{
  if (m_bLogTimeStampPrecise)
    return m_FileStatus.modificationTimeNs > m_llLogTimeStampNs;
  return m_FileStatus.modificationTime > static_cast<int64_t>(m_dwLogTimeStamp);
}

uint32_t CTestcaseEx::TranslateLog(const std::string& logPath)
{
  std::string text;
  if (platform::GetFileStatus(logPath, m_FileStatus) != platform::kErrorSuccess)
    text = FormatText("Log file: %s not Found\n", logPath.c_str());
  else if (!IsLogRewritten())
    text = FormatText("Unmodified Log file: %s\n", logPath.c_str());
  if (!text.empty()) {
    LogMessage(kLogError, text);
    components::SendTestResultsText(marlow::kStatusFailed);
    return kTestStatusFailed;
  }
  const std::string resultsPath = ResultsFilePath();
  if (resultsPath.empty()) {
    // The translation would write its output beside whatever the current folder is.
    LogMessage(kLogError, FormatText("No results file is set; the log %s is not translated.",
                                     logPath.c_str()));
    return kTestStatusFailed;
  }
  int32_t status = kTestStatusFailed;
  switch (marlow::TranslateWithLibrary(logPath, resultsPath, status)) {
  case marlow::TranslationResult::Translated:
    return static_cast<uint32_t>(status);
  case marlow::TranslationResult::LibraryMissing:
    LogMessage(kLogError,
               FormatText("Unable to Load the %s  Check the Path", marlow::kTranslationLibrary));
    return kTestStatusFailed;
  case marlow::TranslationResult::Failed:
    break;
  }
  LogMessage(kLogError, "Translation Library failure");
  return kTestStatusFailed;
}

std::string CTestcaseEx::GetImageVersion() const
{
  if (!SameText(m_strReturnType, marlow::kReturnWindows))
    return components::kUnknownVersion;
  CIniSuite resolver;
  if (const CIniComponent* pComponent = DefiningComponent())
    resolver.m_strBaseFolder = pComponent->m_strIniFolder;
  std::string logFile;
  std::string cmdLine = m_strCmdLine;
  resolver.PrepareCommandLine(
      m_strImage, SameText(m_strBatchState, marlow::kBatchStatePrebootbatch), logFile, cmdLine);
  const std::size_t imageAt = marlow::FindIgnoringCase(cmdLine, m_strImage);
  if (imageAt == std::string::npos)
    return components::kUnknownVersion;
  std::string program = cmdLine.substr(0, imageAt + m_strImage.size());
  const std::size_t begin = program.find_first_not_of(" \t\"");
  return components::FileVersionText(begin == std::string::npos ? program : program.substr(begin));
}

int CTestcaseEx::Configure()
{
  constexpr int kOk = 1;
  constexpr int kCancel = 2;
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    LogMessage(kLogError, "The test case configuration cannot be shown in a program without "
                          "windows.");
    return kCancel;
  }
  try {
    CTestcaseExDialog dialog({m_strIniFileName, m_strTestCaseName, m_strReturnType, m_strCmdLine,
                              m_strLogFile, GetImageVersion()},
                             QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
      return kCancel;
    const TestcaseExSettings settings = dialog.Settings();
    m_strIniFileName = settings.strIniFileName;
    m_strTestCaseName = settings.strTestCaseName;
    m_strReturnType = settings.strReturnType;
    m_strCmdLine = settings.strCmdLine;
    m_strLogFile = settings.strLogFile;
    return kOk;
  } catch (...) {
    return kCancel;
  }
}
