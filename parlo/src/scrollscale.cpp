// One bar step stands for the smallest whole number of positions that keeps the bar in range.
#include "scrollscale.h"

#include <algorithm>

namespace parlo {

void ScrollScale::SetMaximum(qint64 maximum)
{
  m_nMaximum = std::max<qint64>(maximum, 0);
  m_nStep = m_nMaximum <= kBarMaximum ? 1 : (m_nMaximum + kBarMaximum - 1) / kBarMaximum;
}

int ScrollScale::ToBar(qint64 position) const
{
  position = std::clamp<qint64>(position, 0, m_nMaximum);
  return static_cast<int>((position + m_nStep - 1) / m_nStep);
}

qint64 ScrollScale::FromBar(int value) const
{
  if (value >= BarMaximum())
    return m_nMaximum;
  return std::clamp<qint64>(static_cast<qint64>(value) * m_nStep, 0, m_nMaximum);
}

} // namespace parlo
