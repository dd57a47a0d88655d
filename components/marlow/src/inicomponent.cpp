// CIniComponent construction.
#include "marlow/inicomponent.h"

#include "marlow/inisuite.h"
#include "marlow/testcaseex.h"

#include "skeleton/componentmodule.h"

CIniComponent::CIniComponent(platform::HMODULE hInstance, const std::string& iniPath)
    : CModelComponent(hInstance)
{
  const std::size_t slash = iniPath.rfind('/');
  m_strIniFolder = slash == std::string::npos ? std::string() : iniPath.substr(0, slash + 1);
  const std::string iniFileName = slash == std::string::npos ? iniPath : iniPath.substr(slash + 1);

  CIniSuite suite;
  if (suite.Parse(iniPath)) {
    m_strClassName = suite.m_strFriendlyName;
    for (const CIniTestDef& def : suite.m_TestDefs)
      m_TestCaseList.push_back(
          new CTestcaseEx(this, iniFileName, def.m_strName, def.m_strReturnType, def.m_strImage,
                          def.m_strCmdLine, def.m_strMaxExecutionTime, def.m_strLogFile));
  }
  m_dwStatus = components::kComponentConstructed;
  m_nIconId = marlow::kIniComponentIconId;
  m_strDllPath = components::ThisModulePath();
}
