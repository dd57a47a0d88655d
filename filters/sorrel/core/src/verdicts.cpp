// Statuses and diagnostic lines of the three snapshots.
#include "sorrel/verdicts.h"

#include "sorrel/assertion_table.h"
#include "sorrel/drop_scan.h"
#include "sorrel/pattern_search.h"
#include "sorrel/results_block.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace sorrel {
namespace {

using namespace block;

class SnapshotWriter
{
public:
  explicit SnapshotWriter(uint8_t* block) : m_block(block) {}

  // Copies table row `row` into the next assertion record; returns the record index.
  size_t Add(int row)
  {
    const AssertionRow& r = AssertionTable[row];
    const size_t index = m_assertions++;
    const size_t at = AssertionOffset(index);
    WriteInt32(m_block, at + kRecordOffsetGroup, r.group);
    WriteInt32(m_block, at + kRecordOffsetItem, r.item);
    WriteInt32(m_block, at + kAssertionOffsetStatus,
               r.item == kTextLineItem ? STATUS_TEXT : STATUS_NOT_TESTED);
    WriteText(m_block, at + kAssertionOffsetText, kTextSize, r.text);
    m_rowOf[index] = row;
    return index;
  }

  // Heading lines of a group, then its assertions, as the table orders them.
  void AddTextLines(int group)
  {
    for (size_t row = 1; row < kAssertionTableRows; ++row) {
      if (AssertionTable[row].group == group && AssertionTable[row].item == kTextLineItem) {
        Add(int(row));
      }
    }
  }

  void Pass(size_t index) { SetStatus(index, STATUS_PASSED); }
  void Warn(size_t index) { SetStatus(index, STATUS_WARNING); }
  // A failed check: failed for a MUST row, a warning for a SHOULD row.
  void Fail(size_t index)
  {
    SetStatus(index, AssertionTable[m_rowOf[index]].severity == SEVERITY_SHOULD ? STATUS_WARNING
                                                                                : STATUS_FAILED);
  }
  void Judge(size_t index, bool passed) { passed ? Pass(index) : Fail(index); }
  int32_t Status(size_t index) const
  {
    return ReadInt32(m_block, AssertionOffset(index) + kAssertionOffsetStatus);
  }

  // A diagnostic line under the assertion of record `index`; at most 79 characters.
  void Line(size_t index, const char* format, ...) __attribute__((format(printf, 3, 4)))
  {
    if (m_diagnostics >= kDiagnosticCount) {
      return;
    }
    char text[kTextSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    const AssertionRow& r = AssertionTable[m_rowOf[index]];
    const size_t at = DiagnosticOffset(m_diagnostics++);
    WriteInt32(m_block, at + kRecordOffsetGroup, r.group);
    WriteInt32(m_block, at + kRecordOffsetItem, r.item);
    WriteText(m_block, at + kDiagnosticOffsetText, kTextSize, text);
  }

private:
  void SetStatus(size_t index, int32_t status)
  {
    WriteInt32(m_block, AssertionOffset(index) + kAssertionOffsetStatus, status);
  }

  uint8_t* m_block;
  size_t m_assertions = 0;
  size_t m_diagnostics = 0;
  int m_rowOf[kAssertionCount] = {};
};

enum class Standard { Ntsc, Pal, Unknown };

Standard StandardOf(const Measurements& m)
{
  return m.frameTimeMs == kFrameTimeNtscMs  ? Standard::Ntsc
         : m.frameTimeMs == kFrameTimePalMs ? Standard::Pal
                                            : Standard::Unknown;
}

void JudgeRate(SnapshotWriter& w, size_t index, float rate, const RateBand& band)
{
  if (rate < band.failMin || rate > band.failMax) {
    w.Fail(index);
  } else if (rate < band.passMin || rate > band.passMax) {
    w.Warn(index);
  } else {
    w.Pass(index);
  }
}

void JudgeMediaFile(SnapshotWriter& w, size_t index, const Measurements& m,
                    const MediaFileCheck& media)
{
  if (m.visualize == 1) {
    w.Line(index, "\tError visualization mode precludes disk data rate %s", "testing");
    return;
  }
  struct stat info
  {
  };
  if (::stat(media.path.c_str(), &info) != 0) {
    w.Line(index, "\tUnable to determine size of media file - %s", "please check configuration");
    return;
  }
  const long long size = static_cast<long long>(info.st_size);
  w.Judge(index, size >= kMediaFileMinBytes);
  if (media.removeAfterCheck && ::unlink(media.path.c_str()) != 0) {
    w.Line(index, "\tUnable to remove output media file.  Please remove manually");
  }
  w.Line(index, "\tMedia file averaged %.2fMB/s", double(size) * kMegabytesPerSecondPerByte);
  w.Line(index, "\tMedia file size was %lld bytes", size);
}

} // namespace

int32_t FramesPerMinuteFor(int32_t frameTimeMs)
{
  if (frameTimeMs == kFrameTimeNtscMs) {
    return kFramesPerMinuteNtsc;
  }
  if (frameTimeMs == kFrameTimePalMs) {
    return kFramesPerMinutePal;
  }
  constexpr int32_t kMillisecondsPerMinute = 60000;
  return frameTimeMs > 0 ? kMillisecondsPerMinute / frameTimeMs : -1;
}

float MeasuredRate(const Measurements& m)
{
  if (m.frameIndex < 1 || m.frameSpanSeconds <= 0) {
    return 0.0f;
  }
  return float(double(m.frameIndex) / m.frameSpanSeconds);
}

uint8_t WriteConfigurationSnapshot(const Measurements& m, uint8_t* block)
{
  SnapshotWriter w(block);
  uint8_t flags = FLAG_CONFIG_OK;
  w.AddTextLines(1);
  const size_t a11 = w.Add(FindAssertionRow(1, 1));
  const size_t a12 = w.Add(FindAssertionRow(1, 2));
  const size_t a13 = w.Add(FindAssertionRow(1, 3));
  const size_t a14 = w.Add(FindAssertionRow(1, 4));

  w.Judge(a11, m.fourcc == "YUY2" || m.fourcc == "UYVY");
  const Standard standard = StandardOf(m);
  if (standard == Standard::Unknown) {
    flags &= uint8_t(~FLAG_CONFIG_OK);
    w.Fail(a13);
    if (m.height != kHeightNtsc && m.height != kHeightPal) {
      w.Fail(a12);
    }
  } else {
    const bool heightOk = m.height == (standard == Standard::Ntsc ? kHeightNtsc : kHeightPal);
    w.Judge(a12, heightOk);
    if (!heightOk) {
      flags &= uint8_t(~FLAG_CONFIG_OK);
    }
    w.Pass(a13);
  }
  bool widthOk = false;
  for (int32_t width : kStandardWidths) {
    widthOk = widthOk || m.width == width;
  }
  w.Judge(a14, widthOk);
  flags |= PHASE_CONFIGURATION;
  block[kOffsetFlags] = flags;
  return flags;
}

uint8_t WriteStartupSnapshot(const Measurements& m, uint8_t* block)
{
  SnapshotWriter w(block);
  w.AddTextLines(2);
  const size_t a21 = w.Add(FindAssertionRow(2, 1));
  const float rate = MeasuredRate(m);
  switch (StandardOf(m)) {
  case Standard::Ntsc:
    w.Judge(a21, rate >= kStartupRateNtscMin && rate <= kStartupRateNtscMax);
    break;
  case Standard::Pal:
    w.Judge(a21, rate >= kStartupRatePalMin && rate <= kStartupRatePalMax);
    break;
  case Standard::Unknown:
    w.Fail(a21);
    break;
  }
  w.Line(a21, "\tStartup frame rate was %.3ffps", double(rate));
  const uint8_t flags = FLAG_CONFIG_OK | FLAG_STREAMING | PHASE_STARTUP;
  block[kOffsetFlags] = flags;
  return flags;
}

uint8_t WriteFullSnapshot(const Measurements& m, const MediaFileCheck& media, uint8_t* block)
{
  SnapshotWriter w(block);
  size_t a[8] = {};
  for (int item = 2; item <= 8; ++item) {
    a[item - 1] = w.Add(FindAssertionRow(2, item));
  }
  w.AddTextLines(3);
  const size_t a31 = w.Add(FindAssertionRow(3, 1));
  w.AddTextLines(4);
  const size_t a41 = w.Add(FindAssertionRow(4, 1));
  const size_t a42 = w.Add(FindAssertionRow(4, 2));
  const size_t a43 = w.Add(FindAssertionRow(4, 3));
  const size_t a44 = w.Add(FindAssertionRow(4, 4));
  w.AddTextLines(5);
  const size_t a51 = w.Add(FindAssertionRow(5, 1));
  const size_t a52 = w.Add(FindAssertionRow(5, 2));

  // 2.2 delivered frame rate
  const float rate = MeasuredRate(m);
  switch (StandardOf(m)) {
  case Standard::Ntsc:
    JudgeRate(w, a[1], rate, kRateBandNtsc);
    break;
  case Standard::Pal:
    JudgeRate(w, a[1], rate, kRateBandPal);
    break;
  case Standard::Unknown:
    w.Fail(a[1]);
    break;
  }
  w.Line(a[1], "\tMeasured frame rate during test was %.3ffps", double(rate));

  // 2.3 longest run, 2.4 worst frame
  w.Judge(a[2], m.maxRun <= kLongRunLimit);
  w.Line(a[2], "\tFrames with this defect are considered dropped.");
  w.Line(a[2], "\tMaximum contiguous pixels dropped %u.",
         m.maxRun == 0 && m.maxDroppedInFrame != 0 ? 1u : m.maxRun);
  w.Judge(a[3], m.maxDroppedInFrame <= kDroppedSamplesPerFrameLimit);
  w.Line(a[3], "\tFrames with this defect are considered dropped.");
  w.Line(a[3], "\tMaximum pixels dropped in one frame %u.", m.maxDroppedInFrame);

  // 2.5 half-second bursts
  w.Judge(a[4], m.halfSecondEvents == 0);
  w.Line(a[4], "\tFrames dropped within one half second %d times", m.halfSecondEvents);

  // 2.6 per minute, 2.7 whole run
  bool minutesOk = true;
  long long sum = 0;
  for (int i = 0; i < kMinutesCounted; ++i) {
    minutesOk = minutesOk && m.droppedPerMinute[i] <= m.maxPerMinute[i];
    sum += m.droppedPerMinute[i];
  }
  w.Judge(a[5], minutesOk);
  if (sum != 0) {
    w.Line(a[5], "\tDrops in each of %d intervals: %d %d %d", kMinutesCounted,
           m.droppedPerMinute[0], m.droppedPerMinute[1], m.droppedPerMinute[2]);
  }
  w.Judge(a[6], sum <= m.maxDroppedTotal);
  w.Line(a[6], "\tDrops during full test run were %lld", sum);
  w.Line(a[6], "\tMaximum allowed drops in test run is %d", m.maxDroppedTotal);

  // 2.8 pixel error rate
  const double pixels = double(m.frameIndex + 1) * double(m.height) * double(m.width);
  const double errorRate = pixels > 0 ? double(m.totalDropped) / pixels * 100.0 : 0.0;
  w.Judge(a[7], errorRate <= kPixelErrorPercentLimit);
  w.Line(a[7], "\tPixel error rate was %.3f%%", errorRate);

  JudgeMediaFile(w, a31, m, media);

  w.Judge(a41, m.height >= 0);
  w.Judge(a42, m.height == kHeightNtsc || m.height == kHeightPal);

  const bool smptePresent = SmptePresent(m.smpteResult);
  const bool smpteFound = smptePresent && (m.smpteResult & SMPTE_FOUND) != 0;
  if (smpteFound) {
    w.Judge(a43, (m.smpteResult & SMPTE_FLIPPED) == 0);
  } else if (smptePresent) {
    w.Fail(a43);
    if (m.smpteResult & SMPTE_NO_EDGE) {
      w.Line(a43, "\tSMPTE BARS not found, horizontal edge not detected, please check pattern.");
    } else {
      w.Line(a43, "\tNo SMPTE BARS pattern was detected during testing");
    }
  }

  if (smpteFound) {
    if (m.smpteResult & SMPTE_FIELDS_SWAPPED) {
      w.Fail(a44);
      w.Line(a44, "\tSMPTE BARS pattern was found, fields in wrong order");
    } else {
      w.Pass(a44);
      w.Line(a44, "\tSMPTE BARS pattern was found, and was presented in correct field order");
    }
    if (m.smpteResult & SMPTE_SOFT_EDGES) {
      w.Line(a44, "\tHorizontal edges were soft, possibly indicating a problem");
    }
  } else {
    w.Fail(a44);
    w.Line(a44, smptePresent ? "\tNo SMPTE BARS pattern was detected during testing"
                             : "\tNo search for SMPTE BARS pattern was attempted during testing");
  }
  const bool imageOrderPassed = w.Status(a44) == STATUS_PASSED;

  const uint32_t sw2 = m.sw2Result;
  const bool sw2Present = Sw2Present(sw2);
  const bool sw2Found = sw2Present && (sw2 & SW2_FOUND) != 0;
  if (sw2Found) {
    w.Judge(a51, (sw2 & SW2_DETAIL_FAIL) == 0);
    if (sw2 & SW2_CHECK_FRAME) {
      w.Line(a51, "\tPlease check to insure correct frame number for SW2 pattern");
    } else if (!(sw2 & SW2_COLOR_COARSE_OK)) {
      w.Line(a51, "\tFound large errors in color details");
    } else if (!(sw2 & SW2_COLOR_FINE_OK)) {
      w.Line(a51, "\tFound errors in color details");
    } else if (!(sw2 & SW2_BW_COARSE_OK)) {
      w.Line(a51, "\tFound large errors in b/w details");
    } else if (!(sw2 & SW2_BW_FINE_OK)) {
      w.Line(a51, "\tFound errors in b/w details");
    } else if (!(sw2 & SW2_DETAIL_OK)) {
      w.Line(a51, "\tImage lacks correct details");
    }
  } else {
    w.Fail(a51);
    if (sw2Present) {
      w.Line(a51, "\tNo SW2 pattern was detected during testing");
      w.Line(a51, "\tLarge displacement of image edges could cause this");
    } else {
      if (!imageOrderPassed) {
        w.Line(a51, "\tRunning this test requires passing prior image order test");
      }
      w.Line(a51, "\tNo search for SW2 pattern was attempted during testing");
    }
  }

  if (sw2Found) {
    const bool levelsOk = (sw2 & SW2_LEVEL_FAIL) == 0;
    w.Judge(a52, levelsOk);
    if (!(sw2 & SW2_COLOR_FINE_OK)) {
      w.Line(a52, levelsOk ? "\tColored areas differ slightly from reference, check decoder color"
                           : "\tColored areas differ from reference, check decoder color");
    }
    if (!(sw2 & SW2_BW_FINE_OK)) {
      w.Line(a52, levelsOk ? "\tB/W areas differ slightly from reference, check decoder lightness"
                           : "\tB/W areas differ from reference, check decoder lightness");
    }
  } else {
    w.Fail(a52);
    w.Line(a52, sw2Present ? "\tNo SW2 pattern was detected during testing"
                           : "\tNo search for SW2 pattern was attempted during testing");
  }

  const uint8_t flags = FLAG_CONFIG_OK | FLAG_STREAMING | PHASE_FULL;
  block[kOffsetFlags] = flags;
  return flags;
}

} // namespace sorrel
