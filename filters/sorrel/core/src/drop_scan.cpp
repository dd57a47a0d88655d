// The per-layout scan kernels. Clean stretches go through a chunk-at-a-time fast path that
// checks for marker or 255 bytes without branching per byte; chunks with a hit take the
// exact per-group path. Packed layouts use 32-byte vector compares where the processor has
// them, reading and marking each clean block in one pass.
#include "sorrel/drop_scan.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define SORREL_VECTOR_SCAN 1
#include <immintrin.h>
#endif

namespace sorrel {
namespace {

// True when no byte of the chunk holds its marker or 255. Written byte-wise so that the
// compiler turns it into vector compares.
template <size_t N> inline bool ChunkClean(const uint8_t* p, const uint8_t* markers)
{
  uint8_t hit = 0;
  for (size_t i = 0; i < N; ++i) {
    hit |= uint8_t(p[i] == markers[i]) | uint8_t(p[i] == kDroppedByte);
  }
  return hit == 0;
}

class RunTracker
{
public:
  // One chroma group: d luma samples found dropped, whether a chroma byte was dropped.
  void Group(uint32_t d, bool chromaDropped, uint32_t groupSize)
  {
    if (chromaDropped || d == groupSize) {
      m_dropped += groupSize;
      m_run += groupSize;
    } else if (d > 0) {
      m_dropped += d;
      m_run += d;
    } else {
      Clean();
    }
  }

  void Clean()
  {
    if (m_run == 0) {
      return;
    }
    if (m_run > kLongRunLimit) {
      m_longRun = true;
    }
    m_longest = std::max(m_longest, m_run);
    m_count += 1;
    m_run = 0;
  }

  DropScanResult Result() const
  {
    DropScanResult r;
    r.dropped = m_dropped;
    r.summary = std::min<uint32_t>(m_longest, kSummaryLongestMask) |
                (std::min<uint32_t>(m_count, kSummaryCountMask >> kSummaryCountShift)
                 << kSummaryCountShift) |
                (m_longRun ? kSummaryLongRun : 0);
    return r;
  }

private:
  uint32_t m_dropped = 0;
  uint32_t m_run = 0;
  uint32_t m_longest = 0;
  uint32_t m_count = 0;
  bool m_longRun = false;
};

// Reads a byte, leaves its marker (or 255 when dropped) and says whether it was dropped.
inline bool Take(uint8_t* p, uint8_t marker)
{
  const bool dropped = *p == marker || *p == kDroppedByte;
  *p = dropped ? kDroppedByte : marker;
  return dropped;
}

struct PackedFormat
{
  size_t unitSize;
  uint8_t markers[12];
  uint8_t paint[12];
  // Groups per unit: luma byte indexes, chroma byte indexes.
  size_t groups;
  uint8_t luma[2][4];
  uint8_t cb[2];
  uint8_t cr[2];
  uint32_t groupSize;
};

constexpr PackedFormat kYuy2{
    4, {1, 3, 2, 4}, {kPaintLuma, kPaintCb, kPaintLuma, kPaintCr}, 1, {{0, 2}}, {1}, {3}, 2};
constexpr PackedFormat kUyvy{
    4, {3, 1, 4, 2}, {kPaintCb, kPaintLuma, kPaintCr, kPaintLuma}, 1, {{1, 3}}, {0}, {2}, 2};
constexpr PackedFormat kY41p{12,
                             {3, 1, 4, 2, 3, 1, 4, 2, 1, 2, 3, 4},
                             {kPaintCb, kPaintLuma, kPaintCr, kPaintLuma, kPaintCb, kPaintLuma,
                              kPaintCr, kPaintLuma, kPaintLuma, kPaintLuma, kPaintLuma, kPaintLuma},
                             2,
                             {{1, 3, 5, 7}, {8, 9, 10, 11}},
                             {0, 4},
                             {2, 6},
                             4};

void ScanPackedUnit(const PackedFormat& f, uint8_t* unit, uint8_t* paint, RunTracker& runs)
{
  for (size_t g = 0; g < f.groups; ++g) {
    uint32_t d = 0;
    for (uint32_t k = 0; k < f.groupSize; ++k) {
      const uint8_t at = f.luma[g][k];
      d += Take(unit + at, f.markers[at]) ? 1 : 0;
    }
    const bool cb = Take(unit + f.cb[g], f.markers[f.cb[g]]);
    const bool cr = Take(unit + f.cr[g], f.markers[f.cr[g]]);
    const bool chroma = cb || cr;
    runs.Group(d, chroma, f.groupSize);
    if (paint && (d > 0 || chroma)) {
      for (uint32_t k = 0; k < f.groupSize; ++k) {
        paint[f.luma[g][k]] = kPaintLuma;
      }
      paint[f.cb[g]] = kPaintCb;
      paint[f.cr[g]] = kPaintCr;
    }
  }
}

// Clean chunks of `Chunk` bytes from `at` on; returns where the first chunk with a hit starts
// (or where too little is left).
template <size_t Chunk>
size_t SkipCleanChunks(uint8_t* buffer, size_t at, size_t end, const uint8_t* markers,
                       RunTracker& runs)
{
  for (; at + Chunk <= end; at += Chunk) {
    if (!ChunkClean<Chunk>(buffer + at, markers)) {
      break;
    }
    std::memcpy(buffer + at, markers, Chunk);
    runs.Clean();
  }
  return at;
}

#ifdef SORREL_VECTOR_SCAN
bool HasVectorScan()
{
  static const bool available = __builtin_cpu_supports("avx2");
  return available;
}

// Blocks of kVectors x 32 bytes (whole units: 128 bytes of 4-byte units, 96 of 12-byte
// units) from `at` on: each is compared against its markers and 255, and when no byte hits,
// its markers are stored at once. Returns where the first block with a hit starts (left
// untouched for the exact path) or where too little is left.
template <int kVectors>
__attribute__((target("avx2"))) size_t SkipCleanBlocksAvx2(uint8_t* buffer, size_t at, size_t end,
                                                           const uint8_t* markers, RunTracker& runs)
{
  constexpr size_t kBlock = 32 * kVectors;
  __m256i marker[kVectors];
  for (int i = 0; i < kVectors; ++i) {
    marker[i] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(markers + 32 * i));
  }
  const __m256i dropped = _mm256_set1_epi8(char(kDroppedByte));
  const size_t start = at;
  for (; at + kBlock <= end; at += kBlock) {
    __m256i hits = _mm256_setzero_si256();
    for (int i = 0; i < kVectors; ++i) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(buffer + at + 32 * i));
      hits = _mm256_or_si256(
          hits, _mm256_or_si256(_mm256_cmpeq_epi8(v, marker[i]), _mm256_cmpeq_epi8(v, dropped)));
    }
    if (!_mm256_testz_si256(hits, hits)) {
      break;
    }
    for (int i = 0; i < kVectors; ++i) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(buffer + at + 32 * i), marker[i]);
    }
  }
  // A clean block closes an open run; more of them change nothing.
  if (at != start) {
    runs.Clean();
  }
  return at;
}

void ScanPackedVector(const PackedFormat& f, uint8_t* buffer, size_t size, uint8_t* paint,
                      const uint8_t* markers, RunTracker& runs)
{
  const size_t block = f.unitSize == 4 ? 128 : 96;
  const size_t end = size / f.unitSize * f.unitSize;
  size_t at = 0;
  while (at < end) {
    at = f.unitSize == 4 ? SkipCleanBlocksAvx2<4>(buffer, at, end, markers, runs)
                         : SkipCleanBlocksAvx2<3>(buffer, at, end, markers, runs);
    // The block with the hit (or the short tail), unit by unit.
    const size_t stop = std::min(end, at + block);
    for (; at < stop; at += f.unitSize) {
      ScanPackedUnit(f, buffer + at, paint ? paint + at : nullptr, runs);
    }
  }
}
#endif

// One stretch of whole units; runs go on from the stretch before.
void ScanPacked(const PackedFormat& f, uint8_t* buffer, size_t size, uint8_t* paint, ScanPath path,
                RunTracker& runs)
{
  // Chunks hold whole units: 256 or 192 bytes for the long clean stretches, a 16-unit chunk
  // to get close to a hit, then unit by unit through the hit.
  uint8_t markers[256];
  for (size_t i = 0; i < sizeof markers; ++i) {
    markers[i] = f.markers[i % f.unitSize];
  }
#ifdef SORREL_VECTOR_SCAN
  if (path == ScanPath::Best && HasVectorScan()) {
    ScanPackedVector(f, buffer, size, paint, markers, runs);
    return;
  }
#else
  (void)path;
#endif
  const size_t end = size / f.unitSize * f.unitSize;
  const size_t small = 16 * f.unitSize;
  size_t at = 0;
  while (at < end) {
    at = f.unitSize == 4 ? SkipCleanChunks<256>(buffer, at, end, markers, runs)
                         : SkipCleanChunks<192>(buffer, at, end, markers, runs);
    at = f.unitSize == 4 ? SkipCleanChunks<64>(buffer, at, end, markers, runs)
                         : SkipCleanChunks<192>(buffer, at, end, markers, runs);
    const size_t stop = std::min(end, at + small);
    for (; at < stop; at += f.unitSize) {
      ScanPackedUnit(f, buffer + at, paint ? paint + at : nullptr, runs);
    }
  }
}

// Planar frames: blocks of n x n luma samples with one U and one V sample each.
struct PlanarPlanes
{
  uint8_t* luma;
  uint8_t* cb;
  uint8_t* cr;
  size_t lumaStride;
  size_t cbStride;
  size_t crStride;
};

PlanarPlanes Planes(const FrameGeometry& g, uint8_t* base)
{
  const PlaneLayout& p = g.planes();
  return {base + p.offset[0], base + p.offset[1], base + p.offset[2],
          p.stride[0],        p.stride[1],        p.stride[2]};
}

template <int N>
void ScanPlanarBlock(const PlanarPlanes& in, const PlanarPlanes* out, int bx, int by,
                     RunTracker& runs)
{
  uint32_t d = 0;
  for (int r = 0; r < N; ++r) {
    uint8_t* row = in.luma + size_t(by * N + r) * in.lumaStride + size_t(bx) * N;
    for (int c = 0; c < N; ++c) {
      // 2x2 blocks: 1 2 / 3 4; 4x4 blocks: 1 2 3 4 on every row.
      const uint8_t marker = N == 2 ? uint8_t(1 + c + 2 * r) : uint8_t(1 + c);
      d += Take(row + c, marker) ? 1 : 0;
    }
  }
  const bool cb = Take(in.cb + size_t(by) * in.cbStride + size_t(bx), 3);
  const bool cr = Take(in.cr + size_t(by) * in.crStride + size_t(bx), 4);
  runs.Group(d, cb || cr, N * N);
  if (out && (d > 0 || cb || cr)) {
    for (int r = 0; r < N; ++r) {
      std::memset(out->luma + size_t(by * N + r) * out->lumaStride + size_t(bx) * N, kPaintLuma, N);
    }
    out->cb[size_t(by) * out->cbStride + size_t(bx)] = kPaintCb;
    out->cr[size_t(by) * out->crStride + size_t(bx)] = kPaintCr;
  }
}

// Checks kChunkBlocks blocks of one block row at once and marks them when no byte is a hit.
template <int N, int kBlocks> bool PlanarChunkClean(const PlanarPlanes& in, int bx, int by)
{
  constexpr size_t kLumaBytes = size_t(kBlocks) * N;
  static const auto kRowMarkers = [] {
    std::array<std::array<uint8_t, kLumaBytes>, N> rows{};
    for (int r = 0; r < N; ++r) {
      for (size_t c = 0; c < kLumaBytes; ++c) {
        rows[r][c] = N == 2 ? uint8_t(1 + c % 2 + 2 * r) : uint8_t(1 + c % 4);
      }
    }
    return rows;
  }();
  static const auto kCbMarkers = [] {
    std::array<uint8_t, kBlocks> m{};
    m.fill(3);
    return m;
  }();
  static const auto kCrMarkers = [] {
    std::array<uint8_t, kBlocks> m{};
    m.fill(4);
    return m;
  }();
  uint8_t* cbAt = in.cb + size_t(by) * in.cbStride + size_t(bx);
  uint8_t* crAt = in.cr + size_t(by) * in.crStride + size_t(bx);
  bool clean =
      ChunkClean<kBlocks>(cbAt, kCbMarkers.data()) && ChunkClean<kBlocks>(crAt, kCrMarkers.data());
  for (int r = 0; r < N && clean; ++r) {
    const uint8_t* row = in.luma + size_t(by * N + r) * in.lumaStride + size_t(bx) * N;
    clean = ChunkClean<kLumaBytes>(row, kRowMarkers[r].data());
  }
  if (!clean) {
    return false;
  }
  for (int r = 0; r < N; ++r) {
    std::memcpy(in.luma + size_t(by * N + r) * in.lumaStride + size_t(bx) * N,
                kRowMarkers[r].data(), kLumaBytes);
  }
  std::memset(cbAt, 3, kBlocks);
  std::memset(crAt, 4, kBlocks);
  return true;
}

// One span of a plane row: true when no byte holds its marker (period 2 or 4) or 255.
bool SpanClean(const uint8_t* p, size_t length, const uint8_t* markers)
{
  // Markers repeat every 2 or 4 bytes, so every chunk starts on the same pattern.
  size_t at = 0;
  for (; at + 256 <= length; at += 256) {
    if (!ChunkClean<256>(p + at, markers)) {
      return false;
    }
  }
  for (; at + 64 <= length; at += 64) {
    if (!ChunkClean<64>(p + at, markers)) {
      return false;
    }
  }
  for (; at + 16 <= length; at += 16) {
    if (!ChunkClean<16>(p + at, markers)) {
      return false;
    }
  }
  for (; at < length; ++at) {
    if (p[at] == markers[at % 256] || p[at] == kDroppedByte) {
      return false;
    }
  }
  return true;
}

void SpanMark(uint8_t* p, size_t length, const uint8_t* markers)
{
  size_t at = 0;
  for (; at + 256 <= length; at += 256) {
    std::memcpy(p + at, markers, 256);
  }
  std::memcpy(p + at, markers, length - at);
}

// A whole block row at once (its N luma rows and two chroma rows), the common case of a
// frame without drops; false leaves it to the chunk and block paths.
template <int N> bool PlanarBlockRowClean(const PlanarPlanes& in, int by, int blocksX)
{
  static const auto kMarkers = [] {
    std::array<std::array<uint8_t, 256>, N + 2> m{};
    for (int r = 0; r < N; ++r) {
      for (size_t c = 0; c < 256; ++c) {
        m[r][c] = N == 2 ? uint8_t(1 + c % 2 + 2 * r) : uint8_t(1 + c % 4);
      }
    }
    m[N].fill(3);
    m[N + 1].fill(4);
    return m;
  }();
  const size_t lumaBytes = size_t(blocksX) * N;
  uint8_t* cbRow = in.cb + size_t(by) * in.cbStride;
  uint8_t* crRow = in.cr + size_t(by) * in.crStride;
  auto lumaRow = [&](int r) { return in.luma + size_t(by * N + r) * in.lumaStride; };
  for (int r = 0; r < N; ++r) {
    if (!SpanClean(lumaRow(r), lumaBytes, kMarkers[r].data())) {
      return false;
    }
  }
  if (!SpanClean(cbRow, size_t(blocksX), kMarkers[N].data()) ||
      !SpanClean(crRow, size_t(blocksX), kMarkers[N + 1].data())) {
    return false;
  }
  for (int r = 0; r < N; ++r) {
    SpanMark(lumaRow(r), lumaBytes, kMarkers[r].data());
  }
  SpanMark(cbRow, size_t(blocksX), kMarkers[N].data());
  SpanMark(crRow, size_t(blocksX), kMarkers[N + 1].data());
  return true;
}

template <int N>
DropScanResult ScanPlanar(const FrameGeometry& g, uint8_t* buffer, const PaintTarget& paint)
{
  RunTracker runs;
  const PlanarPlanes in = Planes(g, buffer);
  PlanarPlanes out{};
  if (paint.data) {
    out = Planes(*paint.geometry, paint.data);
  }
  // Fast-path chunks of 64 luma bytes a row, and of 16 near the end of a row or a hit.
  constexpr int kChunkBlocks = 64 / N;
  constexpr int kSmallBlocks = 16 / N;
  const int blocksX = g.width() / N;
  const int blocksY = g.height() / N;
  for (int by = 0; by < blocksY; ++by) {
    // For 4x4 blocks the chunk path checks six short spans per chunk; checking the whole
    // block row first is cheaper there (measured), not for 2x2 blocks.
    if (N == 4 && PlanarBlockRowClean<N>(in, by, blocksX)) {
      runs.Clean();
      continue;
    }
    int bx = 0;
    while (bx < blocksX) {
      if (bx + kChunkBlocks <= blocksX && PlanarChunkClean<N, kChunkBlocks>(in, bx, by)) {
        bx += kChunkBlocks;
      } else if (bx + kSmallBlocks <= blocksX && PlanarChunkClean<N, kSmallBlocks>(in, bx, by)) {
        bx += kSmallBlocks;
      } else {
        ScanPlanarBlock<N>(in, paint.data ? &out : nullptr, bx++, by, runs);
        continue;
      }
      runs.Clean();
    }
  }
  return runs.Result();
}

bool DimensionsFit(const FrameGeometry& g)
{
  if (!g.StridesFit()) {
    return false;
  }
  switch (g.layout()) {
  case Layout::YUY2:
  case Layout::UYVY:
    return g.width() % 2 == 0;
  case Layout::Y41P:
    return g.width() % 8 == 0;
  case Layout::IYUV:
  case Layout::YV12:
    return g.width() % 2 == 0 && g.height() % 2 == 0;
  case Layout::YVU9:
    return g.width() % 4 == 0 && g.height() % 4 == 0;
  }
  return false;
}

// Tight packed frames are one sequence of units over the whole buffer.
bool ScansWholeBuffer(const FrameGeometry& g)
{
  return g.IsPacked() && g.IsTight();
}

const PackedFormat& PackedFormatOf(Layout layout)
{
  return layout == Layout::UYVY ? kUyvy : layout == Layout::Y41P ? kY41p : kYuy2;
}

// The paint target when it can take every group the scan may paint, else none.
PaintTarget UsablePaint(const FrameGeometry& g, size_t scanned, const PaintTarget& paint)
{
  if (!paint.data) {
    return {};
  }
  const FrameGeometry& target = paint.geometry ? *paint.geometry : g;
  const bool sameFrame = target.layout() == g.layout() && target.width() == g.width() &&
                         target.height() == g.height() && target.StridesFit();
  const size_t needed = ScansWholeBuffer(g) && target.IsTight() ? scanned : target.FrameSize();
  if (!sameFrame || paint.size < needed) {
    return {};
  }
  return {&target, paint.data, paint.size};
}

} // namespace

bool ScanFits(const FrameGeometry& geometry, const uint8_t* buffer, size_t size)
{
  if (!buffer || size == 0 || !DimensionsFit(geometry)) {
    return false;
  }
  return ScansWholeBuffer(geometry) || size >= geometry.FrameSize();
}

bool ScanFrame(const FrameGeometry& geometry, uint8_t* buffer, size_t size,
               const PaintTarget& paintTarget, DropScanResult* result, ScanPath path)
{
  if (!ScanFits(geometry, buffer, size)) {
    return false;
  }
  const size_t scanned = ScansWholeBuffer(geometry) ? size : geometry.FrameSize();
  const PaintTarget paint = UsablePaint(geometry, scanned, paintTarget);
  switch (geometry.layout()) {
  case Layout::YUY2:
  case Layout::UYVY:
  case Layout::Y41P: {
    const PackedFormat& f = PackedFormatOf(geometry.layout());
    RunTracker runs;
    if (ScansWholeBuffer(geometry) && (!paint.data || paint.geometry->IsTight())) {
      ScanPacked(f, buffer, size, paint.data, path, runs);
    } else {
      // Padded rows: the units of each row, runs going on from one row to the next.
      const size_t rowBytes = geometry.RowBytes(0) / f.unitSize * f.unitSize;
      for (int y = 0; y < geometry.height(); ++y) {
        uint8_t* row =
            buffer + geometry.planes().offset[0] + size_t(y) * geometry.planes().stride[0];
        uint8_t* paintRow = paint.data ? paint.data + paint.geometry->planes().offset[0] +
                                             size_t(y) * paint.geometry->planes().stride[0]
                                       : nullptr;
        ScanPacked(f, row, rowBytes, paintRow, path, runs);
      }
    }
    *result = runs.Result();
    break;
  }
  case Layout::IYUV:
  case Layout::YV12:
    *result = ScanPlanar<2>(geometry, buffer, paint);
    break;
  case Layout::YVU9:
    *result = ScanPlanar<4>(geometry, buffer, paint);
    break;
  }
  return true;
}

uint8_t MarkerAt(const FrameGeometry& g, size_t offset)
{
  const PlaneLayout& p = g.planes();
  if (g.IsPacked()) {
    const size_t column = (offset - p.offset[0]) % p.stride[0];
    return PackedFormatOf(g.layout()).markers[column % PackedFormatOf(g.layout()).unitSize];
  }
  for (int c = 1; c < 3; ++c) {
    if (offset >= p.offset[c] && offset < p.offset[c] + p.stride[c] * size_t(g.ChromaHeight())) {
      return c == 1 ? 3 : 4;
    }
  }
  const size_t x = (offset - p.offset[0]) % p.stride[0];
  const size_t y = (offset - p.offset[0]) / p.stride[0];
  if (g.layout() == Layout::YVU9) {
    return uint8_t(1 + x % 4);
  }
  return uint8_t(1 + x % 2 + 2 * (y % 2));
}

} // namespace sorrel
