// Failure and warning lines of the harness's logs and results.
#include "lineclassifier.h"

#include <QString>

#include <gtest/gtest.h>

namespace parlo {
namespace {

TEST(LineClassifierTest, MarkersOfTheHarnessAndItsComponents)
{
  struct Case
  {
    const char16_t* line;
    LineKind expected;
  };
  const Case cases[] = {
      {u"ERROR: Unable to allocate the Marlow Component object.", LineKind::Failure},
      {u"ERROR (Video Input Tests): Could not open registry key X, Error# 2", LineKind::Failure},
      {u"TestStatus - FAILED", LineKind::Failure},
      {u"12:00:01 [ Fail] frame rate too low", LineKind::Failure},
      {u"step 3 +TEST+SEV2 timing", LineKind::Failure},
      {u"Severe error: Unable to access the WINDOWS startup registry key", LineKind::Failure},
      {u"12:00:02 [ Warn] levels near the limit", LineKind::Warning},
      {u"+TEST+WARN fallback used", LineKind::Warning},
      {u"WARNING: slow device", LineKind::Warning},
      {u"[ Warn] and then ERROR: both", LineKind::Failure},
      {u"TestStatus - TEST_NOT_RUN_YET", LineKind::Normal},
      {u"Passed runs: 3, failed runs: 0", LineKind::Normal},
      {u"error in lower case is prose", LineKind::Normal},
      {u"", LineKind::Normal},
  };
  for (const Case& c : cases) {
    const QString line = QString::fromUtf16(c.line);
    SCOPED_TRACE(line.toStdString());
    EXPECT_EQ(ClassifyLine(line), c.expected);
  }
}

} // namespace
} // namespace parlo
