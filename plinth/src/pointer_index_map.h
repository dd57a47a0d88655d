// A map from object and class addresses to archive indices for storing archives: open
// addressing over one flat array, because a node-based map spends most of a large store in
// cache misses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plinth {

class PointerIndexMap
{
public:
  // 0 when the key has no index yet (indices start at 1).
  uint32_t Find(const void* key) const
  {
    if (m_slots.empty()) {
      return 0;
    }
    for (size_t i = Slot(key);; i = (i + 1) & (m_slots.size() - 1)) {
      const Entry& e = m_slots[i];
      if (e.key == key) {
        return e.index;
      }
      if (e.key == nullptr) {
        return 0;
      }
    }
  }

  // The key must not be in the map yet, and must not be null.
  void Insert(const void* key, uint32_t index)
  {
    if ((m_nCount + 1) * 2 > m_slots.size()) {
      Grow();
    }
    Place(key, index);
    ++m_nCount;
  }

private:
  struct Entry
  {
    const void* key = nullptr;
    uint32_t index = 0;
  };

  size_t Slot(const void* key) const
  {
    // Objects stored one after another were mostly allocated one after another: keeping
    // neighbouring addresses in neighbouring slots lets the cache follow along. The higher
    // bits are folded in so that distant blocks do not pile onto the same slots.
    const uintptr_t a = reinterpret_cast<uintptr_t>(key) >> 4;
    return static_cast<size_t>(a ^ (a >> 20) * 0x9E3779B1u) & (m_slots.size() - 1);
  }

  void Place(const void* key, uint32_t index)
  {
    size_t i = Slot(key);
    while (m_slots[i].key != nullptr) {
      i = (i + 1) & (m_slots.size() - 1);
    }
    m_slots[i] = Entry{key, index};
  }

  void Grow()
  {
    std::vector<Entry> old;
    old.swap(m_slots);
    m_slots.resize(old.empty() ? 64 : old.size() * 2);
    for (const Entry& e : old) {
      if (e.key != nullptr) {
        Place(e.key, e.index);
      }
    }
  }

  std::vector<Entry> m_slots;
  size_t m_nCount = 0;
};

} // namespace plinth
