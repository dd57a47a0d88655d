// Font height arithmetic, kept free of widgets so it can be checked exactly.
#include "fontarithmetic.h"

#include <climits>
#include <cstdint>
#include <cstdlib>

namespace parlo {

int MulDiv(int number, int numerator, int denominator)
{
  if (denominator == 0)
    return -1;
  const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  std::int64_t magnitude = std::llabs(product);
  const std::int64_t divisor = std::llabs(static_cast<std::int64_t>(denominator));
  std::int64_t quotient = (magnitude + divisor / 2) / divisor;
  if ((product < 0) != (denominator < 0))
    quotient = -quotient;
  if (quotient > INT_MAX || quotient < INT_MIN)
    return -1;
  return static_cast<int>(quotient);
}

int LogicalHeightFromTwips(int twips, int pixelsPerInch)
{
  if (pixelsPerInch <= 0)
    return 0;
  // 1440 twips to the inch: 72 points of 20 twips each.
  return -MulDiv(twips, pixelsPerInch, 72 * 20);
}

int PointSizeFromLogicalHeight(int logicalHeight, int pixelsPerInch)
{
  if (pixelsPerInch <= 0)
    return -1;
  return MulDiv(std::abs(logicalHeight), 72, pixelsPerInch);
}

int TwipsFromTenthPoints(int tenthPoints)
{
  return tenthPoints * 2;
}

} // namespace parlo
