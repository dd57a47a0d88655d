// Dropped-sample detection: every byte of a recycled capture buffer is replaced by a marker
// after it is read; a byte that still holds its marker (or 255) next time was never written.
#pragma once

#include "sorrel/frame_layout.h"

#include <cstddef>
#include <cstdint>

namespace sorrel {

// Per-frame summary bits: longest closed run, number of closed runs, a run over 16 closed.
constexpr uint32_t kSummaryLongestMask = 0x0000FFFF;
constexpr uint32_t kSummaryCountShift = 16;
constexpr uint32_t kSummaryCountMask = 0x7FFF0000;
constexpr uint32_t kSummaryLongRun = 0x80000000;
constexpr uint32_t kLongRunLimit = 16;

// Colour that marks dropped groups in error visualisation mode.
constexpr uint8_t kPaintLuma = 82;
constexpr uint8_t kPaintCb = 90;
constexpr uint8_t kPaintCr = 239;
constexpr uint8_t kDroppedByte = 255;

struct DropScanResult
{
  uint32_t dropped = 0; // dropped samples, in luma samples
  uint32_t summary = 0; // see the kSummary* bits
};

// Where the scan paints the groups with drops: a buffer holding the same picture, laid out by
// its own geometry (null: the scanned frame's). No data: nothing is painted.
struct PaintTarget
{
  const FrameGeometry* geometry = nullptr;
  uint8_t* data = nullptr;
  size_t size = 0;
};

// Which code scans packed layouts: the fastest the processor runs, or the portable one that
// every processor runs (tests compare the two).
enum class ScanPath { Best, Portable };

// Scans buffer in place and rewrites it with markers. Packed layouts without padded rows are
// scanned as one sequence of units over `size` bytes; padded rows are scanned row after row
// (the padding untouched, runs going on across rows); planar layouts scan the frame block row
// by block row. Both of the latter need size >= FrameSize(). The bytes of each group with a
// drop are painted into `paint` when it can hold them. Returns false, touching nothing, when
// the buffer is too short or the dimensions or strides don't fit the layout.
bool ScanFrame(const FrameGeometry& geometry, uint8_t* buffer, size_t size,
               const PaintTarget& paint, DropScanResult* result, ScanPath path = ScanPath::Best);

// Whether ScanFrame would take this buffer: dimensions and strides that fit the layout, a
// non-empty buffer, and a whole frame unless the layout is packed without padding.
bool ScanFits(const FrameGeometry& geometry, const uint8_t* buffer, size_t size);

// The marker the scan leaves at a byte offset of a clean frame (for tests and the renderer).
uint8_t MarkerAt(const FrameGeometry& geometry, size_t offset);

} // namespace sorrel
