// One capture graph of the video input test on GStreamer: the pipeline a graph file describes,
// the test filter found in it by name, the handshake through the filter's "query-vendor-info"
// signal, and the state changes of a run. One object per run, used from one thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;

namespace kestrel {

// What "query-vendor-info" returns besides the filter's own codes (gstsorrel.h): the element
// found by the name has no such signal, so it is not the test filter this module knows.
inline constexpr int kHandshakeMissing = -1;

class CCaptureGraph
{
public:
  enum class State { Stopped, Paused, Running, Intermediate, Failed };

  CCaptureGraph() = default;
  // Release().
  ~CCaptureGraph();
  CCaptureGraph(const CCaptureGraph&) = delete;
  CCaptureGraph& operator=(const CCaptureGraph&) = delete;

  // Starts GStreamer once per process and makes the installation's own plug-ins (the test
  // filter among them) known to it. False, with the reason, when GStreamer cannot start.
  static bool InitializeMedia(std::string* error);

  // The pipeline the description gives (a lone element is put in a pipeline of its own).
  // False, with GStreamer's reason, when it cannot be built.
  bool Build(const std::string& description, std::string* error);
  // The pipeline's message bus, through which the run is followed; false without one.
  bool HasControl() const { return m_pBus != nullptr; }
  // The element of that name anywhere in the pipeline; false when there is none.
  bool FindFilter(const std::string& name);

  // One results block from the filter: the filter's result code (GST_SORREL_OK with the block
  // filled) or kHandshakeMissing.
  int QueryVendorInfo(std::vector<uint8_t>* block);

  // Asks the pipeline to play; false when it refuses at once.
  bool Run();
  // The pipeline's state, waiting at most timeoutMs for a change under way.
  State GetState(int timeoutMs);
  // Holds the capture: sources stop delivering, nothing is lost downstream.
  void Pause();
  // Starts the stop: an end of stream into every source, the pipeline playing so that the
  // muxer and file writer can finish with it.
  void StopWhenReady();
  // Waits at most timeoutMs for the end of stream (or an error) to arrive; then the pipeline
  // is taken to its stopped state (READY). True once it is stopped.
  bool PollStopped(int timeoutMs);
  // Waits the whole time, handing every error the graph posts meanwhile to onError; notes a
  // stream that ends by itself.
  void Wait(int milliseconds, const std::function<void(const std::string&)>& onError);
  // The text of every error message the graph posted and nobody read yet ("" when none).
  std::string TakeErrors();

  // The filter, then the bus, then the pipeline (taken to NULL first).
  void Release();

private:
  std::string DescribeError(void* message) const;

  GstElement* m_pPipeline = nullptr;
  GstBus* m_pBus = nullptr;
  GstElement* m_pFilter = nullptr;
  bool m_bStopReached = false; // the end of stream (or an error) arrived while stopping
  bool m_bEnded = false;       // the stream ended by itself before the stop
  std::string m_strErrors;     // errors read while waiting for something else
};

} // namespace kestrel
