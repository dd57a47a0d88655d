// The measuring filter's state and operations, free of any media framework: input type
// acceptance, output offers, buffer sizing, per-frame analysis and the results block.
//
// Threads: CheckInputType, GetMediaType, DecideBufferSize and DecideMode run while pins
// connect; AnalyzeFrame runs on the streaming thread, one frame at a time; QueryVendorInfo
// and the counter getters may run on any thread at the same time as AnalyzeFrame (every
// shared field is an atomic word; a reader may see a frame half accounted for).
#pragma once

#include "sorrel/analysis_clock.h"
#include "sorrel/drop_scan.h"
#include "sorrel/media_type.h"
#include "sorrel/verdicts.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace sorrel {

// A frame's bytes as they lie in memory; `planes` null means rows without padding.
struct FrameBytes
{
  uint8_t* data = nullptr;
  size_t size = 0;
  const PlaneLayout* planes = nullptr;
};

class CAnalogInTest
{
public:
  // The clock defaults to the wall clock.
  explicit CAnalogInTest(std::unique_ptr<AnalysisClock> clock = nullptr);

  // Accepts YUY2, UYVY, YV12, IYUV, I420, Y41P, YVU9 of at least 80 x 60 with a video info
  // format block of at least 88 bytes; names the format (or "----") and takes the minute
  // length from the frame time.
  FilterResult CheckInputType(const MediaType& mtIn);
  FilterResult CheckTransform(const MediaType&, const MediaType&) const { return FilterResult::Ok; }
  // Output offers: 0 the private CAIT type, 1 the input type. `input` is null while the
  // input pin is unconnected.
  FilterResult GetMediaType(int iPosition, const MediaType* input, MediaType* pmt) const;
  // One buffer of |2 x height x width| bytes, alignment 64.
  FilterResult DecideBufferSize(AllocatorProperties* request) const;
  // What the allocator granted against what was asked.
  static FilterResult CheckAllocatorProperties(const AllocatorProperties& request,
                                               const AllocatorProperties& actual);

  // First sample: data-rate mode when the output carries CAIT samples, else error
  // visualisation mode. Unexpected (mode still open) while the output is unconnected.
  FilterResult DecideMode(bool outputConnected, const Guid& outputSubtype);
  int Visualize() const { return m_nVisualize.load(); }
  // Bytes to copy into a data-rate sample: 117453, bounded by both buffers.
  static size_t DataRateCopyLength(size_t inputLength, size_t outputCapacity);

  // One captured frame, after the caller copied it downstream. Runs the pattern search when
  // it is due, then scans the frame in place (it must be the recycled capture buffer) and
  // books it. paint, when it has data, is the output frame to mark dropped groups in.
  // endTimeNs is the frame's end in stream time (-1 unknown), used by a stream clock; every
  // frame must be timed at the same point of it. Returns false when the frame was not
  // analysed (unnamed format, empty or short buffer, strides that don't hold a row).
  bool AnalyzeFrame(const FrameBytes& frame, const FrameBytes& paint = {}, int64_t endTimeNs = -1);
  // A frame that is not the recycled capture buffer (a copy): searched and booked like any
  // other, but without a drop scan, since a copy's bytes say nothing about dropped samples.
  bool AnalyzeFrameWithoutDropScan(const uint8_t* data, size_t size, int64_t endTimeNs = -1,
                                   const PlaneLayout* planes = nullptr);

  // Fills a 16384-byte results block with a fresh snapshot. Pointer when block is null,
  // OutOfMemory when size is below 16384 (nothing written in both cases).
  FilterResult QueryVendorInfo(uint8_t* block, size_t size);
  // The same snapshot for an onlooker: the media file is looked at but not removed.
  FilterResult PeekResults(uint8_t* block, size_t size);

  // The capture stopped delivering: the graph paused, or its stream ended. The first call after
  // a frame counts, the next frame withdraws it. Any thread. Until then a results call takes
  // its own moment as the end of the measured span, so a capture that stalled shows it.
  void MarkStreamStopped();
  // The graph plays again after a pause. The time it stood paused was no capture time: once a
  // frame comes after it, it leaves the measured span. Any thread.
  void MarkStreamResumed();

  void SetMediaFileCheck(const MediaFileCheck& check) { m_mediaFileCheck = check; }
  // While the graph streams, its writer still holds the media file open, so a full snapshot
  // judges the file but leaves it; the results call after the graph stopped removes it.
  // Off until told otherwise.
  void SetStreaming(bool streaming) { m_bStreaming = streaming; }
  // Replaces the clock (null: the wall clock) while no frame has been analysed; afterwards it
  // belongs to the measurement and the call returns false. Not while a results call runs.
  bool SetClock(std::unique_ptr<AnalysisClock> clock);

  // Readings of the live state (any thread).
  int32_t FrameTimeMs() const { return m_nFrameTimeMs.load(); }
  int32_t Width() const { return m_nWidth.load(); }
  int32_t Height() const { return m_nHeight.load(); }
  int32_t BytesPerPixel() const { return m_nBytesPerPixel.load(); }
  uint32_t InputFourcc() const { return m_inputSubtypeWord.load(); }
  uint32_t FormatCode() const { return m_dwFormatCode.load(); }
  const char* FormatName() const { return m_pszFormatName.load(); }
  int32_t FrameIndex() const { return m_nFrameIndex.load(); }
  int32_t FramesPerMinute() const { return m_nFramesPerMinute.load(); }
  uint32_t TotalDropped() const { return m_nTotalDropped.load(); }
  uint32_t MaxDroppedInFrame() const { return m_nMaxDroppedInFrame.load(); }
  uint32_t MaxRun() const { return m_nMaxRun.load(); }
  int32_t DroppedInMinute(int minute) const { return m_anDroppedPerMinute[minute].load(); }
  int32_t HalfSecondEvents() const { return m_nHalfSecondEvents.load(); }
  uint32_t SmpteResult() const { return m_dwSmpteResult.load(); }
  uint32_t Sw2Result() const { return m_dwSw2Result.load(); }
  // The measurements a results call at this moment would judge.
  Measurements ReadMeasurements();

private:
  // The frame as the analysis sees it: the input's size and format with the given rows.
  bool GeometryFor(const PlaneLayout* planes, FrameGeometry* geometry) const;
  void SearchPatterns(const FrameGeometry& geometry, const uint8_t* data, size_t size);
  // The frame after `index`: its drop scan (null for none) into the counters.
  void BookFrame(int32_t index, const DropScanResult* scan, int64_t endTimeNs);
  // A dropped frame at `now`: a half-second event when it is the third within half a second.
  void BookDroppedFrame(int32_t frameIndex, const ClockReading& now);
  // Seconds between two readings, by the counter when its frequency suits, else whole seconds.
  double SecondsBetween(const ClockReading& from, const ClockReading& to) const;
  FilterResult WriteResults(uint8_t* block, size_t size, const MediaFileCheck& media);

  std::unique_ptr<AnalysisClock> m_clock;
  MediaFileCheck m_mediaFileCheck;

  std::atomic<int32_t> m_nFrameTimeMs{-1};
  std::atomic<int32_t> m_nWidth{-1};
  std::atomic<int32_t> m_nHeight{-1};
  std::atomic<int32_t> m_nBytesPerPixel{-1};
  std::atomic<uint32_t> m_inputSubtypeWord{0}; // first word of the accepted subtype
  std::atomic<uint32_t> m_dwFormatCode{0xCAFE};
  std::atomic<const char*> m_pszFormatName{"None"};
  std::atomic<int> m_nVisualize{-1};

  std::atomic<int32_t> m_nFrameIndex{-1};
  std::atomic<int32_t> m_nFramesPerMinute{-1}; // -1 while the frame time is unknown
  std::atomic<uint32_t> m_nTotalDropped{0};
  std::atomic<uint32_t> m_nMaxDroppedInFrame{0};
  const uint32_t m_nDropThreshold = kDroppedSamplesPerFrameLimit;
  std::atomic<int32_t> m_anDroppedPerMinute[3] = {0, 0, 0};
  const int32_t m_anMaxPerMinute[3] = {kMaxDroppedPerMinute, kMaxDroppedPerMinute,
                                       kMaxDroppedPerMinute};
  const int32_t m_nMaxDroppedTotal = kMaxDroppedInRun;
  std::atomic<uint32_t> m_nMaxRun{0};
  std::atomic<int32_t> m_nHalfSecondEvents{0};
  // Times of the dropped frames since the last half-second event (streaming thread only).
  ClockReading m_recentDrops[kDroppedFramesPerHalfSecondLimit] = {};
  int m_nRecentDrops = 0;
  std::atomic<bool> m_bStreaming{false};
  std::atomic<uint32_t> m_dwSmpteResult{0};
  std::atomic<uint32_t> m_dwSw2Result{0};
  std::atomic<int64_t> m_tFirst{0};
  std::atomic<int64_t> m_tNow{0};
  std::atomic<int64_t> m_qpcFirst{0};
  std::atomic<int64_t> m_qpcNow{0};
  // When the last analysed frame was booked: with the first, the span the rate is measured on.
  std::atomic<int64_t> m_tLast{0};
  std::atomic<int64_t> m_qpcLast{0};
  // When the capture stopped delivering after the last frame (kNotStopped: it has not).
  static constexpr int64_t kNotStopped = INT64_MIN;
  std::atomic<int64_t> m_tStopped{kNotStopped};
  std::atomic<int64_t> m_qpcStopped{kNotStopped};
  // Time the graph stood paused between the first frame and the last (both clocks), and since
  // the last frame (taken into the span by the next frame).
  std::atomic<int64_t> m_tPaused{0};
  std::atomic<int64_t> m_qpcPaused{0};
  std::atomic<int64_t> m_tPausedSinceLast{0};
  std::atomic<int64_t> m_qpcPausedSinceLast{0};
};

} // namespace sorrel
