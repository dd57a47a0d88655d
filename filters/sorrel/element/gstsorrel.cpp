/**
 * SECTION:element-sorrel
 * @title: sorrel
 *
 * "Analog In Test": measures every frame that a capture source delivers (dropped samples,
 * frame rate, orientation, field order, levels and detail against test patterns) and hands
 * the verdicts out as a results block through the action signal "query-vendor-info".
 *
 * The source pad offers the private caps `video/x-cait` first and the input caps second.
 * What downstream takes decides the mode at the first buffer: `video/x-cait` gives data-rate
 * mode (each sample carries the first 117453 bytes of the frame, for a muxer and file sink
 * to store), raw video gives error-visualisation mode (the picture passes on with dropped
 * samples painted red).
 *
 * Drop detection writes markers into the input buffer, which must be a recycled capture
 * buffer that reaches the element writable. When it is not (a tee upstream, shared memory),
 * the element posts one warning and analyses the frames without drop detection. Rows are
 * found through the buffer's video meta (a driver's padded rows), else the caps' layout.
 * A frame that cannot be mapped at all is skipped: not analysed, not passed on, one warning.
 *
 * The media file of the data-rate check is removed by a results call only once the element
 * has stopped (state READY or below): while the graph runs, its writer still holds the file.
 * The frame rate is measured from the first frame to the last, less the time the graph stood
 * paused; a capture that stays quiet longer than two frame times before it pauses or ends (or
 * before a results call while it runs) has that quiet time counted too.
 *
 * At end of stream the element posts an element message whose structure is named "sorrel":
 * - "phase" (string): "configuration", "startup" or "full"
 * - "frames" (int): frames analysed
 * - "dropped-frames" (int): frames counted as dropped in the first three minutes
 * - "dropped-samples" (uint): dropped samples over all frames
 * - "assertion-G.I" (string), one per assertion of the snapshot: "passed", "warning",
 *   "failed" or "not-tested"
 * The summary looks at the media file without removing it.
 *
 * ## Example launch line
 * |[
 * gst-launch-1.0 sorrelsim num-buffers=1000 ! sorrel timing=stream ! fakesink
 * ]|
 */
#include "gstsorrel/gstsorrel.h"

#include "sorrel/analog_in_test.h"
#include "sorrel/media_type.h"
#include "sorrel/results_block.h"
#include "sorrel_caps.h"
#include "sorrel_summary.h"

#include <gst/video/video.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

GST_DEBUG_CATEGORY_STATIC(gst_sorrel_debug);
#define GST_CAT_DEFAULT gst_sorrel_debug

struct _GstSorrel
{
  GstBaseTransform parent;

  // Lives as long as the element, so any thread may read it; only its clock changes, while
  // no frame has been analysed (timing).
  sorrel::CAnalogInTest* core;
  GstSorrelTiming timing;
  gchar* results_location;

  // Streaming thread only.
  GstVideoInfo in_info;
  GstVideoInfo out_info; // raw output caps; unset (format unknown) for private samples
  gboolean analysable;
  gboolean warned_not_writable;
  gboolean warned_not_mappable;
};

enum {
  PROP_0,
  PROP_TIMING,
  PROP_RESULTS_LOCATION,
  PROP_MODE,
  PROP_FRAMES_ANALYSED,
};

enum {
  SIGNAL_QUERY_VENDOR_INFO,
  LAST_SIGNAL,
};

static guint gst_sorrel_signals[LAST_SIGNAL];

// Frames smaller than the analysis accepts are refused here, so such a link fails.
static GstStaticPadTemplate gst_sorrel_sink_template = GST_STATIC_PAD_TEMPLATE(
    "sink", GST_PAD_SINK, GST_PAD_ALWAYS,
    GST_STATIC_CAPS("video/x-raw, format = (string) " GST_SORREL_RAW_FORMATS
                    ", width = (int) [ 80, 32767 ], height = (int) [ 60, 32767 ], "
                    "framerate = (fraction) [ 0/1, MAX ]"));

static GstStaticPadTemplate gst_sorrel_src_template = GST_STATIC_PAD_TEMPLATE(
    "src", GST_PAD_SRC, GST_PAD_ALWAYS,
    GST_STATIC_CAPS(GST_SORREL_CAIT_CAPS_NAME
                    "; video/x-raw, format = (string) " GST_SORREL_RAW_FORMATS
                    ", width = (int) [ 80, 32767 ], height = (int) [ 60, 32767 ], "
                    "framerate = (fraction) [ 0/1, MAX ]"));

G_DEFINE_TYPE(GstSorrel, gst_sorrel, GST_TYPE_BASE_TRANSFORM);
GST_ELEMENT_REGISTER_DEFINE(sorrel, "sorrel", GST_RANK_NONE, GST_TYPE_SORREL);

GType gst_sorrel_mode_get_type(void)
{
  static GType type = 0;
  static const GEnumValue values[] = {
      {GST_SORREL_MODE_UNDECIDED, "Not decided yet (no frame seen)", "undecided"},
      {GST_SORREL_MODE_DATA_RATE, "Data rate: private samples for a file writer", "data-rate"},
      {GST_SORREL_MODE_ERROR_VISUALIZATION, "Error visualisation: picture with drops in red",
       "error-visualization"},
      {0, nullptr, nullptr},
  };
  if (g_once_init_enter(&type)) {
    g_once_init_leave(&type, g_enum_register_static("GstSorrelMode", values));
  }
  return type;
}

GType gst_sorrel_timing_get_type(void)
{
  static GType type = 0;
  static const GEnumValue values[] = {
      {GST_SORREL_TIMING_WALL, "Wall clock (live capture)", "wall"},
      {GST_SORREL_TIMING_STREAM, "Stream time of the frames (recorded or simulated video)",
       "stream"},
      {0, nullptr, nullptr},
  };
  if (g_once_init_enter(&type)) {
    g_once_init_leave(&type, g_enum_register_static("GstSorrelTiming", values));
  }
  return type;
}

static std::unique_ptr<sorrel::AnalysisClock> gst_sorrel_new_clock(GstSorrelTiming timing)
{
  return sorrel::MakeClock(timing == GST_SORREL_TIMING_STREAM ? sorrel::ClockSource::Stream
                                                              : sorrel::ClockSource::Wall);
}

// Before streaming starts the input is only linked, not negotiated (a live source negotiates
// when it starts playing). When upstream already offers one frame size and rate, the
// configuration snapshot judges that offer as negotiation would fixate it; negotiation later
// runs the same check on the real caps. Anything vaguer stays unknown.
static void gst_sorrel_preview_input(GstSorrel* self)
{
  GstPad* sinkpad = GST_BASE_TRANSFORM_SINK_PAD(self);
  if (self->core->Width() != -1 || !gst_pad_is_linked(sinkpad)) {
    return;
  }
  GstCaps* templ = gst_pad_get_pad_template_caps(sinkpad);
  GstCaps* offered = gst_pad_peer_query_caps(sinkpad, templ);
  gst_caps_unref(templ);
  const GstStructure* first = offered && !gst_caps_is_empty(offered) && !gst_caps_is_any(offered)
                                  ? gst_caps_get_structure(offered, 0)
                                  : nullptr;
  const bool settled = first && gst_structure_has_field(first, "framerate") &&
                       gst_structure_has_field(first, "width") &&
                       gst_structure_has_field(first, "height") &&
                       gst_value_is_fixed(gst_structure_get_value(first, "framerate")) &&
                       gst_value_is_fixed(gst_structure_get_value(first, "width")) &&
                       gst_value_is_fixed(gst_structure_get_value(first, "height"));
  if (!settled) {
    if (offered) {
      gst_caps_unref(offered);
    }
    return;
  }
  GstCaps* fixed = gst_caps_fixate(offered);
  GstVideoInfo info;
  sorrel::MediaType media;
  if (gst_video_info_from_caps(&info, fixed) && gst_sorrel::MediaTypeFromVideoInfo(info, &media)) {
    GST_INFO_OBJECT(self, "judging the offered input %" GST_PTR_FORMAT,
                    static_cast<gpointer>(fixed));
    self->core->CheckInputType(media);
  }
  gst_caps_unref(fixed);
}

static gint gst_sorrel_query_vendor_info(GstSorrel* self, gpointer out_block)
{
  guint8** block = static_cast<guint8**>(out_block);
  if (!block) {
    return GST_SORREL_E_POINTER;
  }
  guint8* data = static_cast<guint8*>(g_try_malloc(GST_SORREL_RESULTS_BLOCK_SIZE));
  if (!data) {
    return GST_SORREL_E_OUTOFMEMORY;
  }
  gst_sorrel_preview_input(self);
  GST_OBJECT_LOCK(self);
  const sorrel::FilterResult result =
      self->core->QueryVendorInfo(data, GST_SORREL_RESULTS_BLOCK_SIZE);
  GST_OBJECT_UNLOCK(self);
  if (result != sorrel::FilterResult::Ok) {
    g_free(data);
    return result == sorrel::FilterResult::Pointer ? GST_SORREL_E_POINTER
                                                   : GST_SORREL_E_OUTOFMEMORY;
  }
  *block = data;
  return GST_SORREL_OK;
}

static void gst_sorrel_write_results(GstSorrel* self, const std::vector<uint8_t>& block)
{
  GST_OBJECT_LOCK(self);
  gchar* location = g_strdup(self->results_location);
  GST_OBJECT_UNLOCK(self);
  if (!location) {
    return;
  }
  GError* error = nullptr;
  if (!g_file_set_contents(location, reinterpret_cast<const gchar*>(block.data()),
                           gssize(block.size()), &error)) {
    GST_ELEMENT_WARNING(self, RESOURCE, WRITE, ("Could not write the results to \"%s\".", location),
                        ("%s", error->message));
    g_error_free(error);
  }
  g_free(location);
}

static std::vector<uint8_t> gst_sorrel_snapshot(GstSorrel* self)
{
  GST_OBJECT_LOCK(self);
  std::vector<uint8_t> block = gst_sorrel::TakeSnapshot(*self->core);
  GST_OBJECT_UNLOCK(self);
  return block;
}

static void gst_sorrel_post_summary(GstSorrel* self, const std::vector<uint8_t>& block)
{
  GstStructure* s = gst_sorrel::SummaryFromBlock(block);
  if (!s) {
    return;
  }
  sorrel::CAnalogInTest& core = *self->core;
  const gint dropped_frames =
      core.DroppedInMinute(0) + core.DroppedInMinute(1) + core.DroppedInMinute(2);
  gst_structure_set(s, "frames", G_TYPE_INT, core.FrameIndex() + 1, "dropped-frames", G_TYPE_INT,
                    dropped_frames, "dropped-samples", G_TYPE_UINT, core.TotalDropped(), nullptr);
  gst_element_post_message(GST_ELEMENT(self), gst_message_new_element(GST_OBJECT(self), s));
}

static GstCaps* gst_sorrel_transform_caps(GstBaseTransform* trans, GstPadDirection direction,
                                          GstCaps* caps, GstCaps* filter)
{
  GstCaps* result = nullptr;
  if (direction == GST_PAD_SINK) {
    // Private samples first, so a sink that takes anything records the data rate.
    result = gst_sorrel::CaitCapsFor(caps);
    result = gst_caps_merge(result, gst_caps_copy(caps));
  } else {
    GstCaps* sink_caps = gst_static_pad_template_get_caps(&gst_sorrel_sink_template);
    result = gst_caps_new_empty();
    const guint n = gst_caps_get_size(caps);
    for (guint i = 0; i < n; ++i) {
      const GstStructure* s = gst_caps_get_structure(caps, i);
      if (!gst_structure_has_name(s, GST_SORREL_CAIT_CAPS_NAME)) {
        result = gst_caps_merge_structure(result, gst_structure_copy(s));
        continue;
      }
      // Any raw input makes private samples; keep a frame rate that downstream asks for.
      GstCaps* any_raw = gst_caps_copy(sink_caps);
      if (const GValue* rate = gst_structure_get_value(s, "framerate")) {
        gst_caps_set_value(any_raw, "framerate", rate);
      }
      result = gst_caps_merge(result, any_raw);
    }
    if (gst_caps_is_any(caps)) {
      result = gst_caps_merge(result, gst_caps_ref(sink_caps));
    }
    gst_caps_unref(sink_caps);
  }
  if (filter) {
    GstCaps* filtered = gst_caps_intersect_full(filter, result, GST_CAPS_INTERSECT_FIRST);
    gst_caps_unref(result);
    result = filtered;
  }
  GST_DEBUG_OBJECT(trans, "%s caps %" GST_PTR_FORMAT " -> %" GST_PTR_FORMAT,
                   direction == GST_PAD_SINK ? "sink" : "src", static_cast<gpointer>(caps),
                   static_cast<gpointer>(result));
  return result;
}

static gboolean gst_sorrel_set_caps(GstBaseTransform* trans, GstCaps* incaps, GstCaps* outcaps)
{
  GstSorrel* self = GST_SORREL(trans);
  GstVideoInfo info;
  sorrel::MediaType media;
  if (!gst_video_info_from_caps(&info, incaps) ||
      !gst_sorrel::MediaTypeFromVideoInfo(info, &media)) {
    GST_ELEMENT_ERROR(self, STREAM, FORMAT, ("Input is not raw video the analysis knows."),
                      ("caps %" GST_PTR_FORMAT, static_cast<gpointer>(incaps)));
    return FALSE;
  }
  if (self->core->CheckInputType(media) != sorrel::FilterResult::Ok) {
    GST_ELEMENT_ERROR(self, STREAM, FORMAT,
                      ("Input frames of %dx%d are refused by the analysis.",
                       GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info)),
                      ("caps %" GST_PTR_FORMAT, static_cast<gpointer>(incaps)));
    return FALSE;
  }
  self->in_info = info;
  gst_video_info_init(&self->out_info);
  if (!gst_sorrel::IsCaitCaps(outcaps) && !gst_video_info_from_caps(&self->out_info, outcaps)) {
    gst_video_info_init(&self->out_info);
  }
  sorrel::Layout layout;
  self->analysable = sorrel::LayoutForFormatCode(self->core->FormatCode(), &layout);
  GST_INFO_OBJECT(self, "input %s (%s), output %" GST_PTR_FORMAT, self->core->FormatName(),
                  self->analysable ? "analysed" : "not analysed", static_cast<gpointer>(outcaps));
  return TRUE;
}

static gboolean gst_sorrel_decide_allocation(GstBaseTransform* trans, GstQuery* query)
{
  GstSorrel* self = GST_SORREL(trans);
  GstCaps* outcaps = nullptr;
  gst_query_parse_allocation(query, &outcaps, nullptr);

  sorrel::AllocatorProperties request;
  if (self->core->DecideBufferSize(&request) != sorrel::FilterResult::Ok) {
    GST_ELEMENT_ERROR(self, CORE, NEGOTIATION, ("No output buffer size before the input is known."),
                      (nullptr));
    return FALSE;
  }
  guint size = guint(request.cbBuffer);
  GstVideoInfo out_info;
  if (outcaps && !gst_sorrel::IsCaitCaps(outcaps) && gst_video_info_from_caps(&out_info, outcaps)) {
    size = std::max<guint>(size, guint(GST_VIDEO_INFO_SIZE(&out_info)));
  }
  // Two buffers at least: a sink that keeps its last sample would stall a pool of one.
  const guint min_buffers = std::max<guint>(guint(request.cBuffers), 2);
  GstBufferPool* pool = gst_buffer_pool_new();
  GstStructure* config = gst_buffer_pool_get_config(pool);
  gst_buffer_pool_config_set_params(config, outcaps, size, min_buffers, 0);
  GstAllocationParams params;
  gst_allocation_params_init(&params);
  params.align = gsize(request.cbAlign - 1);
  params.prefix = gsize(request.cbPrefix);
  gst_buffer_pool_config_set_allocator(config, nullptr, &params);
  if (!gst_buffer_pool_set_config(pool, config)) {
    gst_object_unref(pool);
    GST_ELEMENT_ERROR(self, RESOURCE, SETTINGS, ("Output buffer pool refused its settings."),
                      (nullptr));
    return FALSE;
  }
  // What the pool really grants, judged by the analysis' own rule.
  config = gst_buffer_pool_get_config(pool);
  guint granted_size = 0, granted_min = 0, granted_max = 0;
  GstAllocationParams granted_params;
  gst_buffer_pool_config_get_params(config, nullptr, &granted_size, &granted_min, &granted_max);
  gst_buffer_pool_config_get_allocator(config, nullptr, &granted_params);
  gst_structure_free(config);
  sorrel::AllocatorProperties actual;
  actual.cBuffers = gint(granted_min);
  actual.cbBuffer = gint(granted_size);
  actual.cbAlign = gint(granted_params.align + 1);
  actual.cbPrefix = gint(granted_params.prefix);
  if (sorrel::CAnalogInTest::CheckAllocatorProperties(request, actual) !=
      sorrel::FilterResult::Ok) {
    gst_object_unref(pool);
    GST_ELEMENT_ERROR(self, RESOURCE, SETTINGS,
                      ("Output buffers are smaller or less aligned than asked."),
                      ("granted %u bytes, alignment %d", granted_size, actual.cbAlign));
    return FALSE;
  }
  while (gst_query_get_n_allocation_pools(query) > 0) {
    gst_query_remove_nth_allocation_pool(query, 0);
  }
  gst_query_add_allocation_pool(query, pool, size, min_buffers, 0);
  gst_object_unref(pool);
  return TRUE;
}

// Maps the input so that the scan's markers land in the buffer that upstream recycles.
// Returns the bytes to analyse (null when the input cannot be mapped); markers_reach says
// whether they are that recycled buffer. When they are not, drop detection is off: a copy's
// bytes say nothing about dropped samples.
static uint8_t* gst_sorrel_map_input(GstSorrel* self, GstBuffer* inbuf, GstMapInfo* map,
                                     size_t* size, bool* markers_reach)
{
  *markers_reach = false;
  bool mapped = false;
  if (gst_buffer_is_writable(inbuf)) {
    const guint n_before = gst_buffer_n_memory(inbuf);
    GstMemory* before = n_before == 1 ? gst_buffer_peek_memory(inbuf, 0) : nullptr;
    mapped = gst_buffer_map(inbuf, map, GST_MAP_READWRITE);
    // A map for writing swaps in a copy when the memory is shared; compare to know.
    *markers_reach = mapped && before && gst_buffer_n_memory(inbuf) == 1 &&
                     gst_buffer_peek_memory(inbuf, 0) == before;
  } else {
    mapped = gst_buffer_map(inbuf, map, GST_MAP_READ);
  }
  if (!mapped) {
    return nullptr;
  }
  *size = map->size;
  if (!*markers_reach && !self->warned_not_writable) {
    self->warned_not_writable = TRUE;
    GST_ELEMENT_WARNING(self, STREAM, FAILED,
                        ("Input buffers are shared, so dropped samples cannot be detected."),
                        ("The drop markers must reach the capture buffers that upstream "
                         "recycles; frames are analysed without drop detection."));
  }
  return map->data;
}

// The picture for error visualisation, into an output buffer laid out as the output caps
// say: row by row when the input's rows lie elsewhere (a driver's padding), else as bytes.
// Returns the bytes the output holds.
static size_t gst_sorrel_copy_picture(GstSorrel* self, const uint8_t* in, size_t in_size,
                                      const sorrel::PlaneLayout& in_planes, uint8_t* out,
                                      size_t out_size, const sorrel::PlaneLayout& out_planes)
{
  sorrel::Layout layout;
  if (in_planes == out_planes ||
      !gst_sorrel::LayoutForVideoFormat(GST_VIDEO_INFO_FORMAT(&self->in_info), &layout)) {
    const size_t copied = std::min(in_size, out_size);
    std::memcpy(out, in, copied);
    return copied;
  }
  const gint width = GST_VIDEO_INFO_WIDTH(&self->in_info);
  const gint height = GST_VIDEO_INFO_HEIGHT(&self->in_info);
  const sorrel::FrameGeometry from(layout, width, height, in_planes);
  const sorrel::FrameGeometry to(layout, width, height, out_planes);
  if (!from.StridesFit() || !to.StridesFit() || in_size < from.FrameSize() ||
      out_size < to.FrameSize()) {
    return 0;
  }
  sorrel::CopyRows(from, in, to, out);
  return std::min<size_t>(out_size, GST_VIDEO_INFO_SIZE(&self->out_info));
}

static GstFlowReturn gst_sorrel_transform(GstBaseTransform* trans, GstBuffer* inbuf,
                                          GstBuffer* outbuf)
{
  GstSorrel* self = GST_SORREL(trans);
  sorrel::CAnalogInTest& core = *self->core;
  if (core.Visualize() == -1) {
    GstCaps* outcaps = gst_pad_get_current_caps(GST_BASE_TRANSFORM_SRC_PAD(trans));
    const sorrel::Guid subtype = gst_sorrel::IsCaitCaps(outcaps)
                                     ? sorrel::MEDIASUBTYPE_CAIT
                                     : sorrel::FourccSubtype(core.InputFourcc());
    const sorrel::FilterResult decided = core.DecideMode(outcaps != nullptr, subtype);
    if (outcaps) {
      gst_caps_unref(outcaps);
    }
    if (decided != sorrel::FilterResult::Ok) {
      return GST_FLOW_NOT_NEGOTIATED;
    }
    GST_INFO_OBJECT(self, "mode %s", core.Visualize() ? "error visualisation" : "data rate");
    g_object_notify(G_OBJECT(self), "mode");
  }
  const bool visualize = core.Visualize() == 1;

  GstMapInfo in_map;
  size_t in_size = 0;
  bool markers_reach = false;
  uint8_t* frame = gst_sorrel_map_input(self, inbuf, &in_map, &in_size, &markers_reach);
  if (!frame) {
    // Like a capture sample whose buffer can't be read: skipped, and the stream goes on.
    if (!self->warned_not_mappable) {
      self->warned_not_mappable = TRUE;
      GST_ELEMENT_WARNING(self, STREAM, FAILED, ("An input frame could not be read; skipped."),
                          ("Frames whose memory cannot be mapped are neither analysed nor "
                           "passed on."));
    }
    return GST_BASE_TRANSFORM_FLOW_DROPPED;
  }
  GstMapInfo out_map;
  if (!gst_buffer_map(outbuf, &out_map, GST_MAP_WRITE)) {
    gst_buffer_unmap(inbuf, &in_map);
    GST_ELEMENT_ERROR(self, STREAM, FAILED, ("Could not write an output buffer."), (nullptr));
    return GST_FLOW_ERROR;
  }
  const sorrel::PlaneLayout in_planes =
      gst_sorrel::PlaneLayoutOf(self->in_info, gst_buffer_get_video_meta(inbuf));
  sorrel::PlaneLayout out_planes = in_planes;
  // The copy goes out before the scan rewrites the input with markers.
  size_t copied = 0;
  if (!visualize) {
    copied = sorrel::CAnalogInTest::DataRateCopyLength(in_size, out_map.size);
    std::memcpy(out_map.data, in_map.data, copied);
  } else {
    out_planes = gst_sorrel::PlaneLayoutOf(self->out_info, nullptr);
    copied = gst_sorrel_copy_picture(self, in_map.data, in_size, in_planes, out_map.data,
                                     out_map.size, out_planes);
  }

  if (self->analysable) {
    // Every frame is timed at its end, so N frames span N-1 frame times.
    gint64 end_ns = -1;
    if (GST_BUFFER_PTS_IS_VALID(inbuf)) {
      GstClockTime end = GST_BUFFER_PTS(inbuf);
      if (GST_BUFFER_DURATION_IS_VALID(inbuf)) {
        end += GST_BUFFER_DURATION(inbuf);
      }
      const GstClockTime stream_end =
          gst_segment_to_stream_time(&trans->segment, GST_FORMAT_TIME, end);
      if (GST_CLOCK_TIME_IS_VALID(stream_end)) {
        end_ns = gint64(stream_end);
      }
    }
    if (markers_reach) {
      const sorrel::FrameBytes paint{visualize ? out_map.data : nullptr, visualize ? copied : 0,
                                     &out_planes};
      core.AnalyzeFrame({frame, in_size, &in_planes}, paint, end_ns);
    } else {
      core.AnalyzeFrameWithoutDropScan(frame, in_size, end_ns, &in_planes);
    }
  }
  gst_buffer_unmap(outbuf, &out_map);
  gst_buffer_unmap(inbuf, &in_map);
  gst_buffer_set_size(outbuf, gssize(copied));
  return GST_FLOW_OK;
}

static gboolean gst_sorrel_sink_event(GstBaseTransform* trans, GstEvent* event)
{
  GstSorrel* self = GST_SORREL(trans);
  if (GST_EVENT_TYPE(event) == GST_EVENT_EOS) {
    self->core->MarkStreamStopped();
    const std::vector<uint8_t> block = gst_sorrel_snapshot(self);
    gst_sorrel_write_results(self, block);
    gst_sorrel_post_summary(self, block);
  }
  return GST_BASE_TRANSFORM_CLASS(gst_sorrel_parent_class)->sink_event(trans, event);
}

// A pause ends the measured span of the capture as its end of stream does; the time until
// the graph plays again is no capture time.
static GstStateChangeReturn gst_sorrel_change_state(GstElement* element, GstStateChange transition)
{
  if (transition == GST_STATE_CHANGE_PLAYING_TO_PAUSED)
    GST_SORREL(element)->core->MarkStreamStopped();
  else if (transition == GST_STATE_CHANGE_PAUSED_TO_PLAYING)
    GST_SORREL(element)->core->MarkStreamResumed();
  return GST_ELEMENT_CLASS(gst_sorrel_parent_class)->change_state(element, transition);
}

static gboolean gst_sorrel_start(GstBaseTransform* trans)
{
  GST_SORREL(trans)->core->SetStreaming(true);
  return TRUE;
}

static gboolean gst_sorrel_stop(GstBaseTransform* trans)
{
  GstSorrel* self = GST_SORREL(trans);
  self->core->SetStreaming(false);
  gst_sorrel_write_results(self, gst_sorrel_snapshot(self));
  return TRUE;
}

static void gst_sorrel_set_property(GObject* object, guint prop_id, const GValue* value,
                                    GParamSpec* pspec)
{
  GstSorrel* self = GST_SORREL(object);
  switch (prop_id) {
  case PROP_TIMING: {
    const GstSorrelTiming timing = GstSorrelTiming(g_value_get_enum(value));
    GST_OBJECT_LOCK(self);
    // The clock belongs to the measurement, so it can change only before it starts.
    const bool idle = GST_STATE(self) <= GST_STATE_READY && self->core->FrameIndex() == -1 &&
                      self->core->Width() == -1;
    // Results calls read the clock under this lock too.
    if (idle && timing != self->timing && self->core->SetClock(gst_sorrel_new_clock(timing))) {
      self->timing = timing;
    }
    GST_OBJECT_UNLOCK(self);
    if (!idle && timing != self->timing) {
      GST_WARNING_OBJECT(self, "timing can change only before the input is connected");
    }
    break;
  }
  case PROP_RESULTS_LOCATION:
    GST_OBJECT_LOCK(self);
    g_free(self->results_location);
    self->results_location = g_value_dup_string(value);
    GST_OBJECT_UNLOCK(self);
    break;
  default:
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, prop_id, pspec);
    break;
  }
}

static void gst_sorrel_get_property(GObject* object, guint prop_id, GValue* value,
                                    GParamSpec* pspec)
{
  GstSorrel* self = GST_SORREL(object);
  switch (prop_id) {
  case PROP_TIMING:
    GST_OBJECT_LOCK(self);
    g_value_set_enum(value, self->timing);
    GST_OBJECT_UNLOCK(self);
    break;
  case PROP_RESULTS_LOCATION:
    GST_OBJECT_LOCK(self);
    g_value_set_string(value, self->results_location);
    GST_OBJECT_UNLOCK(self);
    break;
  case PROP_MODE:
    g_value_set_enum(value, self->core->Visualize());
    break;
  case PROP_FRAMES_ANALYSED:
    g_value_set_int(value, self->core->FrameIndex() + 1);
    break;
  default:
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, prop_id, pspec);
    break;
  }
}

static void gst_sorrel_finalize(GObject* object)
{
  GstSorrel* self = GST_SORREL(object);
  delete self->core;
  g_free(self->results_location);
  G_OBJECT_CLASS(gst_sorrel_parent_class)->finalize(object);
}

static void gst_sorrel_class_init(GstSorrelClass* klass)
{
  GObjectClass* gobject_class = G_OBJECT_CLASS(klass);
  GstElementClass* element_class = GST_ELEMENT_CLASS(klass);
  GstBaseTransformClass* trans_class = GST_BASE_TRANSFORM_CLASS(klass);

  GST_DEBUG_CATEGORY_INIT(gst_sorrel_debug, "sorrel", 0, "Analog In Test");

  gobject_class->set_property = gst_sorrel_set_property;
  gobject_class->get_property = gst_sorrel_get_property;
  gobject_class->finalize = gst_sorrel_finalize;

  g_object_class_install_property(
      gobject_class, PROP_TIMING,
      g_param_spec_enum(
          "timing", "Timing", "Where the frame-rate measurement takes its time from",
          gst_sorrel_timing_get_type(), GST_SORREL_TIMING_WALL,
          GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_READY)));
  g_object_class_install_property(
      gobject_class, PROP_RESULTS_LOCATION,
      g_param_spec_string(
          "results-location", "Results location",
          "File that receives the last results block when the stream ends or "
          "the element stops (none when unset)",
          nullptr,
          GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_PLAYING)));
  g_object_class_install_property(
      gobject_class, PROP_MODE,
      g_param_spec_enum("mode", "Mode", "Fixed by what downstream takes at the first buffer",
                        gst_sorrel_mode_get_type(), GST_SORREL_MODE_UNDECIDED,
                        GParamFlags(G_PARAM_READABLE | G_PARAM_STATIC_STRINGS)));
  g_object_class_install_property(
      gobject_class, PROP_FRAMES_ANALYSED,
      g_param_spec_int("frames-analysed", "Frames analysed", "Frames analysed so far", 0, G_MAXINT,
                       0, GParamFlags(G_PARAM_READABLE | G_PARAM_STATIC_STRINGS)));

  // gint query_vendor_info (GstSorrel*, guint8** block): the block belongs to the caller.
  gst_sorrel_signals[SIGNAL_QUERY_VENDOR_INFO] = g_signal_new_class_handler(
      "query-vendor-info", G_TYPE_FROM_CLASS(klass),
      GSignalFlags(G_SIGNAL_RUN_LAST | G_SIGNAL_ACTION), G_CALLBACK(gst_sorrel_query_vendor_info),
      nullptr, nullptr, nullptr, G_TYPE_INT, 1, G_TYPE_POINTER);

  gst_element_class_set_static_metadata(
      element_class, "Analog In Test", "Filter/Analyzer/Video",
      "Measures captured frames (dropped samples, frame rate, orientation, field order, "
      "levels and detail) and reports verdicts as a results block",
      "Halvex");
  gst_element_class_add_static_pad_template(element_class, &gst_sorrel_sink_template);
  gst_element_class_add_static_pad_template(element_class, &gst_sorrel_src_template);
  element_class->change_state = GST_DEBUG_FUNCPTR(gst_sorrel_change_state);

  trans_class->transform_caps = GST_DEBUG_FUNCPTR(gst_sorrel_transform_caps);
  trans_class->set_caps = GST_DEBUG_FUNCPTR(gst_sorrel_set_caps);
  trans_class->decide_allocation = GST_DEBUG_FUNCPTR(gst_sorrel_decide_allocation);
  trans_class->transform = GST_DEBUG_FUNCPTR(gst_sorrel_transform);
  trans_class->sink_event = GST_DEBUG_FUNCPTR(gst_sorrel_sink_event);
  trans_class->start = GST_DEBUG_FUNCPTR(gst_sorrel_start);
  trans_class->stop = GST_DEBUG_FUNCPTR(gst_sorrel_stop);
  trans_class->passthrough_on_same_caps = FALSE;

  gst_type_mark_as_plugin_api(gst_sorrel_mode_get_type(), GstPluginAPIFlags(0));
  gst_type_mark_as_plugin_api(gst_sorrel_timing_get_type(), GstPluginAPIFlags(0));
}

static void gst_sorrel_init(GstSorrel* self)
{
  self->timing = GST_SORREL_TIMING_WALL;
  self->core = new sorrel::CAnalogInTest(gst_sorrel_new_clock(self->timing));
  self->results_location = nullptr;
  gst_video_info_init(&self->in_info);
  gst_video_info_init(&self->out_info);
  self->analysable = FALSE;
  self->warned_not_writable = FALSE;
  self->warned_not_mappable = FALSE;
}

static gboolean plugin_init(GstPlugin* plugin)
{
  return GST_ELEMENT_REGISTER(sorrel, plugin);
}

#define PACKAGE "halvex"
GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, sorrel, "Analog video capture test filter",
                  plugin_init, "0.1.0", "Proprietary", "Halvex", "Halvex")
