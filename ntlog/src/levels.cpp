// Level words and their names in the file.
#include "levels.h"

#include "ntlog/ntlog.h"

namespace ntlog {

namespace {

struct KindRow
{
  std::uint32_t kind;
  std::string_view name;
};

// Worst first: the first kind bit found in a level word is its kind.
constexpr KindRow kKinds[] = {
    {TL_ABORT, "ABORT"}, {TL_SEV1, "FAIL1"}, {TL_SEV2, "FAIL2"}, {TL_SEV3, "FAIL3"},
    {TL_WARN, "WARN "},  {TL_PASS, "PASS "}, {TL_INFO, "INFO "},
};

} // namespace

std::uint32_t KindOf(std::uint32_t level)
{
  for (const auto& row : kKinds) {
    if (level & row.kind) {
      return row.kind;
    }
  }
  return TL_INFO;
}

std::string_view KindName(std::uint32_t kind)
{
  for (const auto& row : kKinds) {
    if (row.kind == kind) {
      return row.name;
    }
  }
  return "INFO ";
}

int Severity(std::uint32_t kind)
{
  switch (kind) {
  case TL_ABORT:
    return 6;
  case TL_SEV1:
    return 5;
  case TL_SEV2:
    return 4;
  case TL_SEV3:
    return 3;
  case TL_WARN:
    return 2;
  case TL_PASS:
    return 1;
  default:
    return 0;
  }
}

bool IsFailure(std::uint32_t kind)
{
  return Severity(kind) >= Severity(TL_SEV3);
}

} // namespace ntlog
