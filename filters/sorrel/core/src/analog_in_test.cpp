// Input acceptance, offers, buffer sizing, the per-frame work and the results call.
#include "sorrel/analog_in_test.h"

#include "sorrel/drop_scan.h"
#include "sorrel/frame_layout.h"
#include "sorrel/pattern_search.h"
#include "sorrel/results_block.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace sorrel {

namespace {
// Input frames smaller than this are refused.
constexpr int32_t kMinWidth = 80;
constexpr int32_t kMinHeight = 60;
// Every accepted type is sized as two bytes a pixel for the output buffer.
constexpr int32_t kBytesPerPixel = 2;
constexpr int32_t kBufferAlignment = 64;
// 100 ns units of the format's frame duration in a millisecond.
constexpr int64_t kFormatUnitsPerMs = 10000;
// The pattern search looks at every 30th frame once the first 300 have gone by.
constexpr int32_t kPatternSearchAfter = 300;
constexpr int32_t kPatternSearchEvery = 30;
// A counter slower than this times too coarsely; whole seconds of the wall clock serve then.
constexpr int64_t kMinCounterFrequency = 100;

bool PatternSearchDue(int32_t index)
{
  return index > kPatternSearchAfter && index % kPatternSearchEvery == kPatternSearchEvery - 1;
}
} // namespace

CAnalogInTest::CAnalogInTest(std::unique_ptr<AnalysisClock> clock)
    : m_clock(clock ? std::move(clock) : MakeClock(ClockSource::Wall))
{
}

bool CAnalogInTest::SetClock(std::unique_ptr<AnalysisClock> clock)
{
  if (m_nFrameIndex != -1) {
    return false;
  }
  m_clock = clock ? std::move(clock) : MakeClock(ClockSource::Wall);
  return true;
}

FilterResult CAnalogInTest::CheckInputType(const MediaType& mtIn)
{
  static constexpr uint32_t kAccepted[] = {kFourccYUY2, kFourccUYVY, kFourccYV12, kFourccIYUV,
                                           kFourccI420, kFourccY41P, kFourccYVU9};
  const Guid& subtype = mtIn.subtype;
  const bool accepted =
      IsFourccSubtype(subtype) &&
      std::find(std::begin(kAccepted), std::end(kAccepted), subtype.data1) != std::end(kAccepted);
  if (!accepted) {
    return FilterResult::False;
  }
  // The format block must really be a video info header before any field of it is read.
  int64_t avgTimePerFrame = 0;
  int32_t width = 0, height = 0;
  if (!(mtIn.formattype == FORMAT_VideoInfo) || mtIn.format.size() < kVideoInfoHeaderSize ||
      !ReadFormatInt64(mtIn.format, kOffsetAvgTimePerFrame, &avgTimePerFrame) ||
      !ReadFormatInt32(mtIn.format, kOffsetBitmapInfo + kBmiWidth, &width) ||
      !ReadFormatInt32(mtIn.format, kOffsetBitmapInfo + kBmiHeight, &height)) {
    return FilterResult::False;
  }
  m_nBytesPerPixel = kBytesPerPixel;
  const int32_t frameTimeMs = int32_t(uint32_t(uint64_t(avgTimePerFrame))) / kFormatUnitsPerMs;
  m_nFrameTimeMs = frameTimeMs;
  m_nHeight = height;
  m_nWidth = width;
  if (width < kMinWidth || height < kMinHeight) {
    return FilterResult::False;
  }
  // Dropped frames are counted per minute from the first frame on, so the minute length
  // comes with the input, not with a results call that may never come before streaming.
  m_nFramesPerMinute = FramesPerMinuteFor(frameTimeMs);
  m_inputSubtypeWord = subtype.data1;

  const uint32_t s = subtype.data1;
  uint32_t code = kFormatCodeUnnamed;
  const char* name = "----";
  if (s == kFourccYUY2 && width % 2 == 0) {
    code = kFourccYUY2, name = "YUY2";
  } else if (s == kFourccUYVY && width % 2 == 0) {
    code = kFourccUYVY, name = "UYVY";
  } else if (s == kFourccY41P && width % 8 == 0) {
    code = kFourccY41P, name = "Y41P";
  } else if ((s == kFourccI420 || s == kFourccIYUV) && width % 2 == 0 && height % 2 == 0) {
    code = kFourccIYUV, name = "IYUV/I420";
  } else if (s == kFourccYV12 && width % 2 == 0 && height % 2 == 0) {
    code = kFourccYV12, name = "YV12";
  } else if (s == kFourccYVU9 && width % 4 == 0 && height % 4 == 0) {
    code = kFourccYVU9, name = "YVU9";
  }
  m_dwFormatCode = code;
  m_pszFormatName = name;
  return FilterResult::Ok;
}

FilterResult CAnalogInTest::GetMediaType(int iPosition, const MediaType* input,
                                         MediaType* pmt) const
{
  if (!input) {
    return FilterResult::Unexpected;
  }
  if (!pmt) {
    return FilterResult::Pointer;
  }
  if (iPosition < 0 || iPosition > 1) {
    return FilterResult::NoMoreItems;
  }
  MediaType out;
  out.format.assign(kVideoInfoSize, 0);
  const size_t bmi = kOffsetBitmapInfo;
  WriteFormatInt32(out.format, bmi + kBmiSize, int32_t(kBitmapInfoSize));
  WriteFormatInt16(out.format, bmi + kBmiPlanes, 1);
  WriteFormatInt16(out.format, bmi + kBmiBitCount, 24);
  WriteFormatInt32(out.format, bmi + kBmiCompression, int32_t(kFourccCAIT));
  WriteFormatInt32(out.format, bmi + kBmiSizeImage, int32_t(kCaitSampleSize));
  out.majortype = MEDIATYPE_Video;
  out.formattype = FORMAT_VideoInfo;
  out.bTemporalCompression = false;
  if (iPosition == 0) {
    out.subtype = MEDIASUBTYPE_CAIT;
    out.bFixedSizeSamples = true;
    out.lSampleSize = kCaitSampleSize;
    *pmt = std::move(out);
    return FilterResult::Ok;
  }
  out.subtype = input->subtype;
  WriteFormatInt32(out.format, bmi + kBmiCompression,
                   IsFourccSubtype(input->subtype) ? int32_t(input->subtype.data1) : 0);
  out.bFixedSizeSamples = input->bFixedSizeSamples;
  out.lSampleSize = input->bFixedSizeSamples ? input->lSampleSize : 0;
  if (input->format.empty() || !(input->formattype == FORMAT_VideoInfo) ||
      input->format.size() < bmi + kBitmapInfoSize) {
    return FilterResult::False;
  }
  std::memcpy(out.format.data() + bmi, input->format.data() + bmi, kBitmapInfoSize);
  *pmt = std::move(out);
  return FilterResult::Ok;
}

FilterResult CAnalogInTest::DecideBufferSize(AllocatorProperties* request) const
{
  const int64_t width = m_nWidth, height = m_nHeight, bytesPerPixel = m_nBytesPerPixel;
  if (width == -1 || height == -1 || bytesPerPixel == -1) {
    return FilterResult::Unexpected;
  }
  const int64_t size = std::llabs(bytesPerPixel * height * width);
  if (!request || size > INT32_MAX) {
    return FilterResult::Fail;
  }
  request->cBuffers = 1;
  request->cbBuffer = int32_t(size);
  request->cbAlign = kBufferAlignment;
  request->cbPrefix = 0;
  return FilterResult::Ok;
}

FilterResult CAnalogInTest::CheckAllocatorProperties(const AllocatorProperties& request,
                                                     const AllocatorProperties& actual)
{
  if (actual.cbBuffer < request.cbBuffer || actual.cBuffers < 1 ||
      actual.cbAlign != kBufferAlignment) {
    return FilterResult::Fail;
  }
  return FilterResult::Ok;
}

FilterResult CAnalogInTest::DecideMode(bool outputConnected, const Guid& outputSubtype)
{
  if (m_nVisualize != -1) {
    return FilterResult::Ok;
  }
  if (!outputConnected) {
    return FilterResult::Unexpected;
  }
  m_nVisualize = outputSubtype == MEDIASUBTYPE_CAIT ? 0 : 1;
  return FilterResult::Ok;
}

size_t CAnalogInTest::DataRateCopyLength(size_t inputLength, size_t outputCapacity)
{
  return std::min<size_t>({kCaitSampleSize, inputLength, outputCapacity});
}

bool CAnalogInTest::GeometryFor(const PlaneLayout* planes, FrameGeometry* geometry) const
{
  Layout layout;
  if (!LayoutForFormatCode(m_dwFormatCode, &layout)) {
    return false;
  }
  *geometry = planes ? FrameGeometry(layout, m_nWidth, m_nHeight, *planes)
                     : FrameGeometry(layout, m_nWidth, m_nHeight);
  return true;
}

void CAnalogInTest::SearchPatterns(const FrameGeometry& geometry, const uint8_t* data, size_t size)
{
  if (geometry.height() != kPatternHeight || geometry.width() < kPatternMinWidth ||
      !geometry.StridesFit() || size < geometry.FrameSize()) {
    return;
  }
  const FrameView frame{geometry, data};
  const uint32_t smpte = m_dwSmpteResult;
  if (!SmptePresent(smpte) || !(smpte & SMPTE_FOUND)) {
    m_dwSmpteResult = SearchSmpte(frame);
    return;
  }
  if (smpte & (SMPTE_MIRRORED | SMPTE_FLIPPED | SMPTE_FIELDS_SWAPPED)) {
    return;
  }
  const uint32_t sw2 = m_dwSw2Result;
  if (Sw2Present(sw2) && (sw2 & SW2_FOUND)) {
    if (sw2 & SW2_CHECK_FRAME) {
      const uint32_t again = SearchSw2(frame);
      if ((again & SW2_FOUND) && !(again & SW2_CHECK_FRAME)) {
        m_dwSw2Result = again;
      }
    }
    return;
  }
  m_dwSw2Result = SearchSw2(frame);
}

bool CAnalogInTest::AnalyzeFrame(const FrameBytes& frame, const FrameBytes& paint,
                                 int64_t endTimeNs)
{
  const int32_t index = m_nFrameIndex;
  FrameGeometry geometry(Layout::YUY2, 0, 0);
  if (!frame.data || frame.size == 0 || !GeometryFor(frame.planes, &geometry)) {
    return false;
  }
  if (PatternSearchDue(index)) {
    SearchPatterns(geometry, frame.data, frame.size);
  }
  FrameGeometry paintGeometry(Layout::YUY2, 0, 0);
  PaintTarget target;
  if (paint.data && GeometryFor(paint.planes, &paintGeometry)) {
    target = {&paintGeometry, paint.data, paint.size};
  }
  DropScanResult scan;
  if (!ScanFrame(geometry, frame.data, frame.size, target, &scan)) {
    return false;
  }
  BookFrame(index, &scan, endTimeNs);
  return true;
}

bool CAnalogInTest::AnalyzeFrameWithoutDropScan(const uint8_t* data, size_t size, int64_t endTimeNs,
                                                const PlaneLayout* planes)
{
  const int32_t index = m_nFrameIndex;
  FrameGeometry geometry(Layout::YUY2, 0, 0);
  if (!data || size == 0 || !GeometryFor(planes, &geometry)) {
    return false;
  }
  if (PatternSearchDue(index)) {
    SearchPatterns(geometry, data, size);
  }
  if (!ScanFits(geometry, data, size)) {
    return false;
  }
  BookFrame(index, nullptr, endTimeNs);
  return true;
}

void CAnalogInTest::BookFrame(int32_t index, const DropScanResult* scan, int64_t endTimeNs)
{
  m_clock->FrameEnded(endTimeNs);
  const ClockReading now = m_clock->Now();

  const int32_t frameIndex = index + 1;
  if (frameIndex == 0) {
    m_tFirst = now.wallSeconds;
    m_qpcFirst = now.counter;
  } else {
    m_tPaused += m_tPausedSinceLast;
    m_qpcPaused += m_qpcPausedSinceLast;
  }
  m_tPausedSinceLast = 0;
  m_qpcPausedSinceLast = 0;
  m_tLast = now.wallSeconds;
  m_qpcLast = now.counter;
  m_tStopped = kNotStopped;
  m_qpcStopped = kNotStopped;
  if (scan) {
    m_nTotalDropped.fetch_add(scan->dropped, std::memory_order_relaxed);
    m_nMaxDroppedInFrame = std::max<uint32_t>(m_nMaxDroppedInFrame, scan->dropped);
    m_nMaxRun = std::max<uint32_t>(m_nMaxRun, scan->summary & kSummaryLongestMask);
    if (scan->dropped > m_nDropThreshold || (scan->summary & kSummaryLongRun)) {
      BookDroppedFrame(frameIndex, now);
    }
  }
  // Published last, so a reader that sees the frame counted sees its first-frame times.
  m_nFrameIndex = frameIndex;
}

void CAnalogInTest::MarkStreamStopped()
{
  const ClockReading now = m_clock->Now();
  int64_t unset = kNotStopped;
  m_tStopped.compare_exchange_strong(unset, now.wallSeconds);
  unset = kNotStopped;
  m_qpcStopped.compare_exchange_strong(unset, now.counter);
}

void CAnalogInTest::MarkStreamResumed()
{
  const int64_t stoppedCounter = m_qpcStopped.exchange(kNotStopped);
  const int64_t stoppedWall = m_tStopped.exchange(kNotStopped);
  if (stoppedCounter == kNotStopped || stoppedWall == kNotStopped || m_nFrameIndex < 0)
    return;
  const ClockReading now = m_clock->Now();
  m_tPausedSinceLast += now.wallSeconds - stoppedWall;
  m_qpcPausedSinceLast += now.counter - stoppedCounter;
}

void CAnalogInTest::BookDroppedFrame(int32_t frameIndex, const ClockReading& now)
{
  // Without a frame time there is no minute to tell; the drops all count against the first.
  const int32_t framesPerMinute = m_nFramesPerMinute;
  const int32_t minute = framesPerMinute > 0 ? frameIndex / framesPerMinute : 0;
  if (minute >= 0 && minute < kMinutesCounted) {
    m_anDroppedPerMinute[minute].fetch_add(1, std::memory_order_relaxed);
  }
  // The oldest of the drops kept is the one that, with this one and those between, makes a
  // drop too many within half a second. An event starts the count afresh.
  if (m_nRecentDrops == kDroppedFramesPerHalfSecondLimit &&
      SecondsBetween(m_recentDrops[0], now) < kHalfSecond) {
    m_nHalfSecondEvents.fetch_add(1, std::memory_order_relaxed);
    m_nRecentDrops = 0;
    return;
  }
  if (m_nRecentDrops == kDroppedFramesPerHalfSecondLimit) {
    std::copy(m_recentDrops + 1, m_recentDrops + m_nRecentDrops, m_recentDrops);
    --m_nRecentDrops;
  }
  m_recentDrops[m_nRecentDrops++] = now;
}

double CAnalogInTest::SecondsBetween(const ClockReading& from, const ClockReading& to) const
{
  const int64_t frequency = m_clock->Frequency();
  if (frequency >= kMinCounterFrequency && frequency <= int64_t(UINT32_MAX)) {
    return double(to.counter - from.counter) / double(frequency);
  }
  return double(to.wallSeconds - from.wallSeconds);
}

Measurements CAnalogInTest::ReadMeasurements()
{
  const ClockReading now = m_clock->Now();
  m_tNow = now.wallSeconds;
  m_qpcNow = now.counter;
  Measurements m;
  m.frameTimeMs = m_nFrameTimeMs;
  m.width = m_nWidth;
  m.height = m_nHeight;
  const uint32_t word = m_inputSubtypeWord;
  char fourcc[5] = {char(word), char(word >> 8), char(word >> 16), char(word >> 24), 0};
  m.fourcc = fourcc;
  m.frameIndex = m_nFrameIndex;
  m.totalDropped = m_nTotalDropped;
  m.maxDroppedInFrame = m_nMaxDroppedInFrame;
  m.maxRun = m_nMaxRun;
  m.halfSecondEvents = m_nHalfSecondEvents;
  for (int i = 0; i < kMinutesCounted; ++i) {
    m.droppedPerMinute[i] = m_anDroppedPerMinute[i];
    m.maxPerMinute[i] = m_anMaxPerMinute[i];
  }
  m.maxDroppedTotal = m_nMaxDroppedTotal;
  m.smpteResult = m_dwSmpteResult;
  m.sw2Result = m_dwSw2Result;
  m.visualize = m_nVisualize;
  if (m.frameIndex >= 0) {
    const ClockReading first{m_tFirst, m_qpcFirst};
    const ClockReading last{m_tLast, m_qpcLast};
    m.elapsedSeconds = SecondsBetween(first, now);
    // N frames span N-1 frame times from the first to the last, less the time the graph
    // stood paused. A capture that went quiet while it should have delivered (longer than two
    // frame times before it stopped, or before now while it still runs) adds that quiet time,
    // so a stall lowers the rate.
    const int64_t stoppedCounter = m_qpcStopped;
    const ClockReading end =
        stoppedCounter != kNotStopped ? ClockReading{m_tStopped, stoppedCounter} : now;
    const ClockReading none{0, 0};
    const double paused = SecondsBetween(none, {m_tPaused, m_qpcPaused});
    const double pausedSinceLast = SecondsBetween(none, {m_tPausedSinceLast, m_qpcPausedSinceLast});
    const double allowed = 2 * std::max(0, int(m.frameTimeMs)) / 1000.0;
    m.frameSpanSeconds = SecondsBetween(first, last) - paused +
                         std::max(0.0, SecondsBetween(last, end) - pausedSinceLast - allowed);
  }
  return m;
}

FilterResult CAnalogInTest::QueryVendorInfo(uint8_t* out, size_t size)
{
  MediaFileCheck check = m_mediaFileCheck;
  check.removeAfterCheck = check.removeAfterCheck && !m_bStreaming;
  return WriteResults(out, size, check);
}

FilterResult CAnalogInTest::PeekResults(uint8_t* out, size_t size)
{
  MediaFileCheck lookOnly = m_mediaFileCheck;
  lookOnly.removeAfterCheck = false;
  return WriteResults(out, size, lookOnly);
}

FilterResult CAnalogInTest::WriteResults(uint8_t* out, size_t size, const MediaFileCheck& media)
{
  using namespace block;
  if (!out) {
    return FilterResult::Pointer;
  }
  if (size < kBlockSize) {
    return FilterResult::OutOfMemory;
  }
  const Measurements m = ReadMeasurements();
  std::memset(out, 0, kBlockSize);
  WriteInt32(out, kOffsetVersion, kVersion);
  WriteInt32(out, kOffsetFrameTimeMs, m.frameTimeMs);
  WriteText(out, kOffsetStandardName, kStandardNameSize,
            m.frameTimeMs == kFrameTimeNtscMs  ? "NTSC"
            : m.frameTimeMs == kFrameTimePalMs ? "PAL/SECAM"
                                               : "UNKNOWN");
  WriteInt32(out, kOffsetWidth, m.width);
  WriteInt32(out, kOffsetHeight, m.height);
  std::memcpy(out + kOffsetFourcc, m.fourcc.data(), m.fourcc.size());
  out[kOffsetFlags] = FLAG_CONFIG_OK;
  if (m.frameIndex == -1) {
    WriteConfigurationSnapshot(m, out);
  } else if (m.elapsedSeconds < kStartupSeconds) {
    WriteStartupSnapshot(m, out);
  } else {
    WriteFullSnapshot(m, media, out);
  }
  return FilterResult::Ok;
}

} // namespace sorrel
