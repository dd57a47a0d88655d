// Turns one reading of the filter's measurements into the records of a results block.
#pragma once

#include <cstdint>
#include <string>

namespace sorrel {

// Frame times (ms) and heights of the two standards.
constexpr int32_t kFrameTimeNtscMs = 33;
constexpr int32_t kFrameTimePalMs = 40;
constexpr int32_t kHeightNtsc = 480;
constexpr int32_t kHeightPal = 576;
constexpr int32_t kFramesPerMinuteNtsc = 1798;
constexpr int32_t kFramesPerMinutePal = 1500;
// Widths a capture may deliver (assertion 1.4).
constexpr int32_t kStandardWidths[] = {352, 360, 480, 512, 640, 704, 720};

// Streaming snapshots before this many seconds judge the startup (assertion 2.1), later
// ones everything else.
constexpr double kStartupSeconds = 30.0;
// Frames per second: the startup window, 20% around the standard's rate.
constexpr float kStartupRateNtscMin = 23.976f;
constexpr float kStartupRateNtscMax = 35.964f;
constexpr float kStartupRatePalMin = 20.0f;
constexpr float kStartupRatePalMax = 30.0f;
// The delivered rate (assertion 2.2): outside `fail` fails, outside `pass` warns.
struct RateBand
{
  float failMin, passMin, passMax, failMax;
};
constexpr RateBand kRateBandNtsc{29.91006f, 29.94003f, 29.99997f, 30.02994f};
constexpr RateBand kRateBandPal{24.95f, 24.975f, 25.025f, 25.05f};

// A frame with more dropped samples than this counts as dropped (assertion 2.4); so does a
// run of more than kLongRunLimit samples (assertion 2.3, drop_scan.h).
constexpr uint32_t kDroppedSamplesPerFrameLimit = 100;
// More dropped frames than this within one half second of capture make an event
// (assertion 2.5).
constexpr int kDroppedFramesPerHalfSecondLimit = 2;
constexpr double kHalfSecond = 0.5;
constexpr int kMinutesCounted = 3;              // the 180-second run
constexpr int32_t kMaxDroppedPerMinute = 3;     // assertion 2.6
constexpr int32_t kMaxDroppedInRun = 6;         // assertion 2.7
constexpr double kPixelErrorPercentLimit = 0.1; // assertion 2.8
// The media file of a 180-second run must hold 3.7 MB/s (assertion 3.1); one byte in MB/s
// over that run.
constexpr long long kMediaFileMinBytes = 666000000LL;
constexpr double kMegabytesPerSecondPerByte = 5.5555556e-9;

// The measurements at the moment of a results call, copied out of the live counters.
struct Measurements
{
  int32_t frameTimeMs = -1;
  int32_t width = -1;
  int32_t height = -1;
  std::string fourcc; // the input subtype's first word as text
  int32_t frameIndex = -1;
  uint32_t totalDropped = 0;
  uint32_t maxDroppedInFrame = 0;
  uint32_t maxRun = 0;
  int32_t halfSecondEvents = 0;
  int32_t droppedPerMinute[kMinutesCounted] = {0, 0, 0};
  int32_t maxPerMinute[kMinutesCounted] = {kMaxDroppedPerMinute, kMaxDroppedPerMinute,
                                           kMaxDroppedPerMinute};
  int32_t maxDroppedTotal = kMaxDroppedInRun;
  uint32_t smpteResult = 0;
  uint32_t sw2Result = 0;
  int visualize = -1;          // 1 error visualisation, 0 data-rate, -1 undecided
  double elapsedSeconds = 0;   // from the first analysed frame to the results call
  double frameSpanSeconds = 0; // from the first analysed frame to the last, and any stall
};

// The data-rate check of the media file that the graph writes in data-rate mode.
struct MediaFileCheck
{
  std::string path = "./vb test media output.avi";
  bool removeAfterCheck = true;
};

// Frames that make a minute of capture at this frame time: the standards' own counts, else
// what the frame time gives; -1 for an unknown frame time.
int32_t FramesPerMinuteFor(int32_t frameTimeMs);

// The rate the frames were delivered at: frames after the first over the span they were
// measured on (N frames span N-1 frame times); 0 before two frames have spanned any time.
float MeasuredRate(const Measurements& m);

// Each writes the records and the phase and streaming bits into a cleared block whose header
// is already filled, and returns the flags byte it stored.
uint8_t WriteConfigurationSnapshot(const Measurements& m, uint8_t* block);
uint8_t WriteStartupSnapshot(const Measurements& m, uint8_t* block);
uint8_t WriteFullSnapshot(const Measurements& m, const MediaFileCheck& media, uint8_t* block);

} // namespace sorrel
