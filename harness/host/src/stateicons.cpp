// The suite list's state icons.
#include "harness/stateicons.h"

namespace harness {

StateIcon StateIconAfterRun(std::uint32_t status)
{
  return status == kStatusPassed ? kIconPassed : kIconFailed;
}

} // namespace harness
