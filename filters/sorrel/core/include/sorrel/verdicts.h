// Turns one reading of the filter's measurements into the records of a results block.
#pragma once

#include <cstdint>
#include <string>

namespace sorrel {

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
  int32_t droppedPerMinute[3] = {0, 0, 0};
  int32_t maxPerMinute[3] = {3, 3, 3};
  int32_t maxDroppedTotal = 6;
  uint32_t smpteResult = 0;
  uint32_t sw2Result = 0;
  int visualize = -1; // 1 error visualisation, 0 data-rate, -1 undecided
  double elapsedSeconds = 0;
};

// The data-rate check of the media file that the graph writes in data-rate mode.
struct MediaFileCheck
{
  std::string path = "./vb test media output.avi";
  bool removeAfterCheck = true;
};

constexpr int32_t kFramesPerMinuteNtsc = 1798;
constexpr int32_t kFramesPerMinutePal = 1500;
constexpr double kStartupSeconds = 30.0;

// Each writes the records and the phase and streaming bits into a cleared block whose header
// is already filled, and returns the flags byte it stored. The configuration snapshot also
// says how many frames make a minute (unchanged for an unknown frame time).
uint8_t WriteConfigurationSnapshot(const Measurements& m, uint8_t* block, int32_t* framesPerMinute);
uint8_t WriteStartupSnapshot(const Measurements& m, uint8_t* block);
uint8_t WriteFullSnapshot(const Measurements& m, const MediaFileCheck& media, uint8_t* block);

} // namespace sorrel
