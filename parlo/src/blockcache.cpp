// Least recently used blocks go first. A block read while the file was shorter is read again
// once bytes beyond it are asked for.
#include "blockcache.h"

#include "logfilereader.h"

#include <algorithm>

namespace parlo {

BlockCache::BlockCache(std::shared_ptr<const LogFileReader> reader) : m_pReader(std::move(reader))
{
}

const char* BlockCache::Bytes(qint64 offset, qsizetype* available)
{
  *available = 0;
  if (offset < 0)
    return nullptr;
  const qint64 index = offset / kBlockBytes;
  const qsizetype within = static_cast<qsizetype>(offset - index * kBlockBytes);
  auto block = std::find_if(m_blocks.begin(), m_blocks.end(),
                            [index](const Block& b) { return b.index == index; });
  if (block == m_blocks.end() || block->bytes.size() <= within) {
    if (block == m_blocks.end()) {
      if (m_blocks.size() < static_cast<size_t>(kBlocks)) {
        block = m_blocks.emplace(m_blocks.end());
      } else {
        block =
            std::min_element(m_blocks.begin(), m_blocks.end(),
                             [](const Block& a, const Block& b) { return a.lastUse < b.lastUse; });
      }
    }
    block->index = index;
    block->bytes.resize(kBlockBytes);
    const qint64 got =
        m_pReader->ReadAt(index * kBlockBytes, block->bytes.data(), kBlockBytes, nullptr);
    block->bytes.resize(std::max<qint64>(got, 0));
    if (block->bytes.size() <= within)
      return nullptr;
  }
  block->lastUse = ++m_nUses;
  *available = block->bytes.size() - within;
  return block->bytes.constData() + within;
}

void BlockCache::Clear()
{
  m_blocks.clear();
}

} // namespace parlo
