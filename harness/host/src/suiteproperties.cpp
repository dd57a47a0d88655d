// The suite properties page's rules.
#include "harness/suiteproperties.h"

#include "harness/halvexdoc.h"
#include "plinth/component.h"

namespace harness {

std::vector<std::string> LoadedComponentClasses()
{
  std::vector<std::string> names;
  for (const CComponent* component : _ComponentList)
    if (component != nullptr)
      names.push_back(component->GetClassName());
  return names;
}

bool PrepareSuiteProperties(const CTestSuite& suite, int mode, const std::string& severalText,
                            SuitePropertiesValues& values)
{
  values = {};
  if (mode == kSuitePropertiesExisting) {
    values.component = suite.GetComponent();
    values.existingSuite = 1;
  } else {
    if (suite.empty())
      return false;
    values.component = harness::ComponentTextOf(suite, severalText);
    values.existingSuite = 0;
  }
  values.path = suite.GetPath();
  values.name = suite.GetName();
  values.componentChoices = LoadedComponentClasses();
  return true;
}

void ApplySuiteProperties(const SuitePropertiesValues& values, CTestSuite& suite)
{
  suite.m_strPath = values.path.substr(0, kSuitePathMax);
  suite.m_strName = values.name.substr(0, kSuiteNameMax);
  suite.m_strComponent = values.component.substr(0, kComponentTextMax);
}

} // namespace harness
