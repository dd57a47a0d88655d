// The marker texts of the harness's log and results lines.
#include "lineclassifier.h"

#include <array>

namespace parlo {
namespace {

// Component and harness errors, failed test statuses, tagged-log failures and severities.
constexpr std::array<QStringView, 7> kFailureMarkers = {
    u"ERROR", u"FAILED", u"[ Fail]", u"+TEST+SEV1", u"+TEST+SEV2", u"+TEST+SEV3", u"Severe error",
};

constexpr std::array<QStringView, 4> kWarningMarkers = {
    u"[ Warn]",
    u"+TEST+WARN",
    u"WARNING",
    u"Warning:",
};

template <std::size_t N>
bool ContainsAny(QStringView line, const std::array<QStringView, N>& markers)
{
  for (const QStringView marker : markers) {
    if (line.contains(marker))
      return true;
  }
  return false;
}

} // namespace

LineKind ClassifyLine(QStringView line)
{
  if (ContainsAny(line, kFailureMarkers))
    return LineKind::Failure;
  if (ContainsAny(line, kWarningMarkers))
    return LineKind::Warning;
  return LineKind::Normal;
}

} // namespace parlo
