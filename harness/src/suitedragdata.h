// What a drag out of a suite window carries: the window and the rows selected when the drag
// began. Read back only inside this program.
#pragma once

#include <QMimeData>
#include <QPointer>

#include <cstddef>
#include <vector>

namespace harness {

class CHalvexView;

class CSuiteDragData : public QMimeData
{
  Q_OBJECT

public:
  static constexpr const char* kMimeType = "application/x-halvex-suite-rows";

  CSuiteDragData(CHalvexView* source, std::vector<std::size_t> rows);

  // The window the rows come from; null once it is closed.
  CHalvexView* Source() const { return m_source; }
  const std::vector<std::size_t>& Rows() const { return m_rows; }

private:
  QPointer<CHalvexView> m_source;
  std::vector<std::size_t> m_rows;
};

} // namespace harness
