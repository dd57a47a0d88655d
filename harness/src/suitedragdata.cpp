// The drag data of the suite windows.
#include "suitedragdata.h"

#include "halvexview.h"

namespace harness {

CSuiteDragData::CSuiteDragData(CHalvexView* source, std::vector<std::size_t> rows)
    : m_source(source), m_rows(std::move(rows))
{
  setData(QString::fromLatin1(kMimeType),
          QByteArray::number(static_cast<qulonglong>(m_rows.size())));
}

} // namespace harness
