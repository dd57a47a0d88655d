// CIniComponent: the component made from one .ini definition file, with one CTestcaseEx
// prototype per test definition.
#pragma once

#include "skeleton/modelcomponent.h"

#include <cstdint>
#include <string>

namespace marlow {
inline constexpr int kIniComponentIconId = 134;
}

class CIniComponent : public CModelComponent
{
public:
  // Parses iniPath again; when it parses, the class name is its FriendlyName and the prototypes
  // are its definitions in file order. DllPath is the module's own path.
  CIniComponent(platform::HMODULE hInstance, const std::string& iniPath);

  std::string m_strResultsFilePath; // handed over by the harness before a run
  std::string m_strIniFolder;       // folder of the .ini file, ending in a separator
  int32_t m_nDebugLevel = 0;
};
