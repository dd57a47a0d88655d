// Conversions between twips, points, tenths of a point and screen pixels for the Font command.
#pragma once

#include <QString>

#include <optional>

namespace parlo {

// number * numerator / denominator with a 64-bit intermediate, rounded half away from zero;
// -1 when the denominator is 0 or the result does not fit in an int.
int MulDiv(int number, int numerator, int denominator);

// The (negative) logical font height in pixels for a character height in twips.
int LogicalHeightFromTwips(int twips, int pixelsPerInch);
// The point size of a logical font height (its sign ignored); -1 for a bad resolution.
int PointSizeFromLogicalHeight(int logicalHeight, int pixelsPerInch);
// The font dialog reports tenths of a point; a point is 20 twips.
int TwipsFromTenthPoints(int tenthPoints);

// The character format the view applies to the whole text.
struct CharFormat
{
  QString faceName;
  int heightTwips = 200; // 10 points
  bool bold = false;     // weight 700 when set
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  std::optional<unsigned> colour; // 0xRRGGBB; nullopt is the automatic colour
};

} // namespace parlo
