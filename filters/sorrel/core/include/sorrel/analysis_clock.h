// Where the analysis takes its "now" from: the wall clock (live capture, the default) or the
// stream's own time (each frame's end time), so that recorded video is judged offline.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace sorrel {

struct ClockReading
{
  int64_t wallSeconds; // whole seconds, the coarse fallback
  int64_t counter;     // high-resolution count, Frequency() per second
};

// Now() may be called from the streaming thread and the results caller at once.
class AnalysisClock
{
public:
  virtual ~AnalysisClock() = default;
  virtual ClockReading Now() const = 0;
  virtual int64_t Frequency() const = 0;
  // Told the end time of each analysed frame (ns of stream time; -1 when unknown).
  virtual void FrameEnded(int64_t endTimeNs) {}
};

class WallClock : public AnalysisClock
{
public:
  ClockReading Now() const override;
  int64_t Frequency() const override { return 1000000000; }
};

// Reads the end time of the last frame it was told about (0 before any).
class StreamClock : public AnalysisClock
{
public:
  ClockReading Now() const override;
  int64_t Frequency() const override { return 1000000000; }
  void FrameEnded(int64_t endTimeNs) override;

private:
  std::atomic<int64_t> m_lastEndNs{0};
};

enum class ClockSource { Wall, Stream };
std::unique_ptr<AnalysisClock> MakeClock(ClockSource source);

} // namespace sorrel
