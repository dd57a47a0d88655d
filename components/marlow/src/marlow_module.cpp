// Marlow's entry points: attach turns every valid .ini file of the definition folder into a
// registered component; detach lets go of them; the four DOS exports take part in the passes
// of a run with DOS test cases.
#include "marlow/batchexports.h"
#include "marlow/inicomponent.h"
#include "marlow/inisuite.h"

#include "skeleton/componentmodule.h"
#include "skeleton/logmessage.h"
#include "skeleton/strings.h"

#include "platform/files.h"

#include <new>

using components::FormatText;
using components::kLogError;
using components::LogMessage;

namespace {

constexpr const char* kDisplayName = "Marlow";

bool Attach()
{
  if (!components::BeginAttach(kDisplayName))
    return false;
  std::string folder;
  if (!components::GetIniFolder(folder))
    return false;

  const std::string pattern = folder + "/*.ini";
  platform::FileFinder finder;
  platform::FindData found;
  if (finder.FindFirstFile(pattern, found) != platform::kErrorSuccess) {
    LogMessage(kLogError, FormatText(".ini files are not found in the <%s> directory. Check the "
                                     "InstallationFolder key in rgistry",
                                     pattern.c_str()));
    return false;
  }
  do {
    CIniSuite suite;
    if (!suite.Parse(found.path))
      continue;
    auto* pComponent = new (std::nothrow) CIniComponent(nullptr, found.path);
    if (pComponent == nullptr) {
      LogMessage(kLogError,
                 FormatText("ERROR: Unable to allocate the %s Component object.", kDisplayName));
      return false;
    }
    components::SetCurrentComponent(pComponent);
    pComponent->m_nDebugLevel = suite.m_nDebugLevel;
    if (!components::RegisterComponent(pComponent))
      return false;
  } while (finder.FindNextFile(found) == platform::kErrorSuccess);
  finder.FindClose();
  return true;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int halvex_module_attach()
{
  return components::RunAttach(kDisplayName, Attach);
}

extern "C" __attribute__((visibility("default"))) void halvex_module_detach()
{
  components::EndDetach();
}

// The harness calls these across the module boundary: nothing may leave as an exception.
#define MARLOW_EXPORT extern "C" __attribute__((visibility("default")))

MARLOW_EXPORT int CheckForDosTestCases(const CSuiteItemList* list, CTestSuite* /*suite*/,
                                       unsigned flags)
{
  try {
    return marlow::CheckForDosTestCases(list, flags);
  } catch (...) {
    return 0;
  }
}

MARLOW_EXPORT int CheckForWindowsTestCases(const CSuiteItemList* list, CTestSuite* /*suite*/,
                                           unsigned flags)
{
  try {
    return marlow::CheckForWindowsTestCases(list, flags);
  } catch (...) {
    return 0;
  }
}

MARLOW_EXPORT int PrepareBatchComponentList(const CSuiteItemList* list, CTestSuite* /*suite*/,
                                            std::string* resultsFilePath, CBatchCodeList* codes,
                                            unsigned flags, int* kind, int preparationPass)
{
  try {
    return marlow::PrepareBatchComponentList(list, resultsFilePath, codes, flags, kind,
                                             preparationPass);
  } catch (...) {
    return 1;
  }
}

MARLOW_EXPORT int GetSuiteDebugLevel(std::string className)
{
  try {
    return marlow::GetSuiteDebugLevel(className);
  } catch (...) {
    return 0;
  }
}
