// Calls into Marlow's exports.
#include "harness/marlowexports.h"

namespace harness {

bool CallCheckForDosTestCases(platform::HMODULE marlow, void* list, void* document, unsigned flags,
                              int& result)
{
  if (marlow == nullptr)
    return false;
  auto check = reinterpret_cast<CheckForTestCasesFn>(
      platform::GetProcAddress(marlow, kCheckForDosTestCasesName));
  if (check == nullptr)
    return false;
  result = check(list, document, flags);
  return true;
}

} // namespace harness
