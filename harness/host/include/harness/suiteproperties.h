// The suite properties page's values and rules, without widgets: what the page starts with
// in "new" and "existing" mode, and what OK puts back into the suite.
#pragma once

#include "plinth/testsuite.h"

#include <cstddef>
#include <string>
#include <vector>

namespace harness {

// Modes: an existing suite; any other value is a new one.
inline constexpr int kSuitePropertiesExisting = 1;
inline constexpr int kSuitePropertiesNew = 0;
// What ShowSuiteProperties returns.
inline constexpr int kSuitePropertiesChanged = 1;
inline constexpr int kSuitePropertiesUnchanged = 2;

// Longest texts the page's controls take.
inline constexpr std::size_t kComponentTextMax = 254;
inline constexpr std::size_t kSuitePathMax = 254;
inline constexpr std::size_t kSuiteNameMax = 200;

struct SuitePropertiesValues
{
  std::string component;
  std::string path;
  std::string name;
  int existingSuite = 0; // 1 for an existing suite
  // The class names of the loaded components, in component list order.
  std::vector<std::string> componentChoices;

  // An existing suite keeps its name and component text; only its path can change.
  bool ComponentEditable() const { return existingSuite != 1; }
  bool NameEditable() const { return existingSuite != 1; }
};

// The class names of the components in _ComponentList, in list order.
std::vector<std::string> LoadedComponentClasses();

// The page's starting values; false for a new suite without test cases (no page is shown).
bool PrepareSuiteProperties(const CTestSuite& suite, int mode, const std::string& severalText,
                            SuitePropertiesValues& values);
// OK: the suite takes the page's path, name and component text, cut to the controls' limits.
void ApplySuiteProperties(const SuitePropertiesValues& values, CTestSuite& suite);

} // namespace harness
