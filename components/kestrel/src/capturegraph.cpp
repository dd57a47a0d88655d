// The capture graph on GStreamer.
#include "kestrel/capturegraph.h"

#include "gstsorrel/gstsorrel.h"
#include "skeleton/componentmodule.h"

#include <gst/gst.h>

#include <chrono>
#include <mutex>
#include <thread>

namespace kestrel {

namespace {

constexpr const char* kHandshakeSignal = "query-vendor-info";
// How long the stop waits for a paused graph to play again before it ends the stream.
constexpr GstClockTime kResumeWait = 5 * GST_SECOND;

GstClockTime Milliseconds(int ms)
{
  return GstClockTime(ms > 0 ? ms : 0) * GST_MSECOND;
}

// The signal this module calls: gint (gpointer block_out).
bool HasHandshake(GstElement* element)
{
  const guint id = g_signal_lookup(kHandshakeSignal, G_OBJECT_TYPE(element));
  if (id == 0)
    return false;
  GSignalQuery query;
  g_signal_query(id, &query);
  return query.return_type == G_TYPE_INT && query.n_params == 1 &&
         query.param_types[0] == G_TYPE_POINTER;
}

} // namespace

CCaptureGraph::~CCaptureGraph()
{
  Release();
}

bool CCaptureGraph::InitializeMedia(std::string* error)
{
  static std::once_flag once;
  static bool started = false;
  static std::string reason;
  std::call_once(once, [] {
    GError* failure = nullptr;
    started = gst_init_check(nullptr, nullptr, &failure);
    if (!started) {
      reason = failure ? failure->message : "GStreamer did not start";
    } else {
      // The installation's plug-ins lie beside this module's folder.
      const std::string module = components::ThisModulePath();
      const std::string plugins = module.substr(0, module.rfind('/')) + "/../gstreamer-1.0";
      gst_registry_scan_path(gst_registry_get(), plugins.c_str());
    }
    if (failure)
      g_error_free(failure);
  });
  if (!started && error)
    *error = reason;
  return started;
}

bool CCaptureGraph::Build(const std::string& description, std::string* error)
{
  Release();
  GError* failure = nullptr;
  GstElement* parsed =
      gst_parse_launch_full(description.c_str(), nullptr, GST_PARSE_FLAG_FATAL_ERRORS, &failure);
  if (parsed)
    gst_object_ref_sink(parsed);
  if (!parsed || failure) {
    *error = failure ? failure->message : "no pipeline";
    if (failure)
      g_error_free(failure);
    if (parsed)
      gst_object_unref(parsed);
    return false;
  }
  if (!GST_IS_PIPELINE(parsed)) {
    GstElement* pipeline = gst_pipeline_new(nullptr);
    gst_object_ref_sink(pipeline);
    gst_bin_add(GST_BIN(pipeline), parsed); // takes the reference
    parsed = pipeline;
  }
  m_pPipeline = parsed;
  m_pBus = gst_element_get_bus(m_pPipeline);
  return true;
}

bool CCaptureGraph::FindFilter(const std::string& name)
{
  if (m_pFilter) {
    gst_object_unref(m_pFilter);
    m_pFilter = nullptr;
  }
  if (m_pPipeline)
    m_pFilter = gst_bin_get_by_name(GST_BIN(m_pPipeline), name.c_str());
  return m_pFilter != nullptr;
}

int CCaptureGraph::QueryVendorInfo(std::vector<uint8_t>* block)
{
  if (!m_pFilter || !HasHandshake(m_pFilter))
    return kHandshakeMissing;
  guint8* data = nullptr;
  gint code = kHandshakeMissing;
  g_signal_emit_by_name(m_pFilter, kHandshakeSignal, &data, &code);
  if (code == GST_SORREL_OK) {
    if (data)
      block->assign(data, data + GST_SORREL_RESULTS_BLOCK_SIZE);
    else
      code = kHandshakeMissing;
  }
  g_free(data);
  return code;
}

bool CCaptureGraph::Run()
{
  return m_pPipeline &&
         gst_element_set_state(m_pPipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

CCaptureGraph::State CCaptureGraph::GetState(int timeoutMs)
{
  if (!m_pPipeline)
    return State::Failed;
  GstState state = GST_STATE_NULL;
  switch (gst_element_get_state(m_pPipeline, &state, nullptr, Milliseconds(timeoutMs))) {
  case GST_STATE_CHANGE_FAILURE:
    return State::Failed;
  case GST_STATE_CHANGE_ASYNC:
    return State::Intermediate;
  default:
    break;
  }
  return state == GST_STATE_PLAYING  ? State::Running
         : state == GST_STATE_PAUSED ? State::Paused
                                     : State::Stopped;
}

void CCaptureGraph::Pause()
{
  if (m_pPipeline)
    gst_element_set_state(m_pPipeline, GST_STATE_PAUSED);
}

void CCaptureGraph::StopWhenReady()
{
  if (!m_pPipeline)
    return;
  // A graph whose stream ended by itself has nothing left to finish.
  m_bStopReached = m_bEnded;
  if (m_bEnded) {
    gst_element_set_state(m_pPipeline, GST_STATE_READY);
    return;
  }
  // Playing first: a paused sink may hold a source's streaming thread in its preroll, and the
  // end of stream can only enter the source once that thread is free. The change must have
  // completed before the event goes in: sending it holds the pipeline's state lock while it
  // waits for that streaming thread, and the sink is only let go by the rest of the change,
  // which needs the same lock.
  gst_element_set_state(m_pPipeline, GST_STATE_PLAYING);
  gst_element_get_state(m_pPipeline, nullptr, nullptr, kResumeWait);
  gst_element_send_event(m_pPipeline, gst_event_new_eos());
}

bool CCaptureGraph::PollStopped(int timeoutMs)
{
  if (!m_pPipeline || !m_pBus)
    return false;
  if (!m_bStopReached) {
    GstMessage* message = gst_bus_timed_pop_filtered(
        m_pBus, Milliseconds(timeoutMs), GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    if (!message)
      return false;
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR)
      m_strErrors += (m_strErrors.empty() ? "" : "; ") + DescribeError(message);
    gst_message_unref(message);
    m_bStopReached = true;
    gst_element_set_state(m_pPipeline, GST_STATE_READY);
  }
  return GetState(timeoutMs) == State::Stopped;
}

void CCaptureGraph::Wait(int milliseconds, const std::function<void(const std::string&)>& onError)
{
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  if (!m_pBus) {
    std::this_thread::sleep_until(deadline);
    return;
  }
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
      return;
    GstMessage* message = gst_bus_timed_pop_filtered(
        m_pBus, Milliseconds(int(left)), GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_EOS));
    if (!message)
      continue;
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS)
      m_bEnded = true;
    else
      onError(DescribeError(message));
    gst_message_unref(message);
  }
}

std::string CCaptureGraph::TakeErrors()
{
  std::string errors;
  errors.swap(m_strErrors);
  while (m_pBus) {
    GstMessage* message = gst_bus_pop_filtered(m_pBus, GST_MESSAGE_ERROR);
    if (!message)
      break;
    errors += (errors.empty() ? "" : "; ") + DescribeError(message);
    gst_message_unref(message);
  }
  return errors;
}

std::string CCaptureGraph::DescribeError(void* message) const
{
  GError* error = nullptr;
  gst_message_parse_error(static_cast<GstMessage*>(message), &error, nullptr);
  const gchar* source = GST_MESSAGE_SRC_NAME(static_cast<GstMessage*>(message));
  std::string text = std::string(source ? source : "graph") + ": " +
                     (error && error->message ? error->message : "unknown error");
  if (error)
    g_error_free(error);
  return text;
}

void CCaptureGraph::Release()
{
  if (m_pFilter) {
    gst_object_unref(m_pFilter);
    m_pFilter = nullptr;
  }
  if (m_pPipeline)
    gst_element_set_state(m_pPipeline, GST_STATE_NULL);
  if (m_pBus) {
    gst_object_unref(m_pBus);
    m_pBus = nullptr;
  }
  if (m_pPipeline) {
    gst_object_unref(m_pPipeline);
    m_pPipeline = nullptr;
  }
  m_bStopReached = false;
  m_bEnded = false;
}

} // namespace kestrel
