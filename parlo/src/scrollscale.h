// Puts a 64-bit scroll position (rows of a file, pixels across its longest line) on a scroll
// bar, whose range is an int.
#pragma once

#include <QtGlobal>

namespace parlo {

// Positions map one to one while the range fits; beyond that each bar step stands for several.
class ScrollScale
{
public:
  static constexpr qint64 kBarMaximum = 1 << 30;

  void SetMaximum(qint64 maximum);
  qint64 Maximum() const { return m_nMaximum; }
  int BarMaximum() const { return ToBar(m_nMaximum); }
  int ToBar(qint64 position) const;
  // The position a bar value stands for; the bar's maximum is the range's maximum.
  qint64 FromBar(int value) const;

private:
  qint64 m_nMaximum = 0;
  qint64 m_nStep = 1;
};

} // namespace parlo
