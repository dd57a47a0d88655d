// A few recently read blocks of a file, so that scans over the lines on the screen do not read
// the same bytes again and again.
#pragma once

#include <QByteArray>

#include <memory>
#include <vector>

namespace parlo {

class LogFileReader;

// User-interface thread only.
class BlockCache
{
public:
  static constexpr qint64 kBlockBytes = 64 * 1024;
  static constexpr int kBlocks = 32;

  explicit BlockCache(std::shared_ptr<const LogFileReader> reader);

  // The bytes from `offset` to the end of its block, or to the end of the file when that comes
  // first; nullptr when there are none (past the end, or a read error).
  const char* Bytes(qint64 offset, qsizetype* available);
  void Clear();

private:
  struct Block
  {
    qint64 index = -1;
    QByteArray bytes;
    quint64 lastUse = 0;
  };

  std::shared_ptr<const LogFileReader> m_pReader;
  std::vector<Block> m_blocks;
  quint64 m_nUses = 0;
};

} // namespace parlo
