/**
 * SECTION:element-sorrelsim
 * @title: sorrelsim
 *
 * A simulated analog capture: SMPTE bars, the SW2 pattern, a flat grey field, or bars that
 * change to SW2 at frame "sw2-from" (so that one run exercises both pattern searches), at
 * NTSC or PAL timing or any other rate, in YUY2, UYVY, YV12, I420 or YVU9, at a chosen size.
 * Like a capture driver it recycles a small pool of buffers and rewrites every byte of each
 * frame, except the samples it is told to drop ("drops", "drop-rate"). It paces frames in
 * real time when live, else delivers them as fast as it can with stream timestamps; the
 * frame count is "num-buffers".
 *
 * ## Example launch line
 * |[
 * gst-launch-1.0 sorrelsim num-buffers=300 drops="100:2000:400" ! sorrel ! fakesink
 * ]|
 */
#include "gstsorrelsim.h"

#include "drop_plan.h"
#include "sorrel/frame_layout.h"
#include "sorrel/pattern_renderer.h"

#include <gst/video/video.h>

#include <memory>
#include <string>
#include <vector>

GST_DEBUG_CATEGORY_STATIC(gst_sorrel_sim_debug);
#define GST_CAT_DEFAULT gst_sorrel_sim_debug

struct _GstSorrelSim
{
  GstPushSrc parent;

  // Properties (object lock).
  GstSorrelSimPattern pattern;
  GstSorrelSimStandard standard;
  gint width;
  gint height;
  gint rate_n;
  gint rate_d;
  gchar* drops;
  gdouble drop_rate;
  guint drop_length;
  guint seed;
  gboolean mirrored;
  gboolean flipped;
  gboolean fields_swapped;
  gboolean soft_edges;
  guint pool_size;
  guint64 sw2_from;

  // Streaming state.
  GstVideoInfo info;
  std::vector<uint8_t>* first_picture;
  std::vector<uint8_t>* second_picture;
  gst_sorrel_sim::DropPlan* drop_plan;
  guint64 frame_number;
};

enum {
  PROP_0,
  PROP_PATTERN,
  PROP_STANDARD,
  PROP_WIDTH,
  PROP_HEIGHT,
  PROP_FRAME_RATE,
  PROP_DROPS,
  PROP_DROP_RATE,
  PROP_DROP_LENGTH,
  PROP_SEED,
  PROP_MIRRORED,
  PROP_FLIPPED,
  PROP_FIELDS_SWAPPED,
  PROP_SOFT_EDGES,
  PROP_IS_LIVE,
  PROP_POOL_SIZE,
  PROP_SW2_FROM,
};

static GstStaticPadTemplate gst_sorrel_sim_src_template = GST_STATIC_PAD_TEMPLATE(
    "src", GST_PAD_SRC, GST_PAD_ALWAYS,
    GST_STATIC_CAPS("video/x-raw, format = (string) { YUY2, UYVY, YV12, I420, YVU9 }, "
                    "width = (int) [ 16, 4096 ], height = (int) [ 16, 4096 ], "
                    "framerate = (fraction) [ 1/1, 1000/1 ]"));

G_DEFINE_TYPE(GstSorrelSim, gst_sorrel_sim, GST_TYPE_PUSH_SRC);
GST_ELEMENT_REGISTER_DEFINE(sorrelsim, "sorrelsim", GST_RANK_NONE, GST_TYPE_SORREL_SIM);

static GType gst_sorrel_sim_pattern_get_type(void)
{
  static GType type = 0;
  static const GEnumValue values[] = {
      {GST_SORREL_SIM_PATTERN_SMPTE, "SMPTE colour bars", "smpte"},
      {GST_SORREL_SIM_PATTERN_SW2, "SW2 levels and detail pattern", "sw2"},
      {GST_SORREL_SIM_PATTERN_FLAT, "Flat grey", "flat"},
      {GST_SORREL_SIM_PATTERN_SMPTE_THEN_SW2, "SMPTE bars, then SW2 from frame sw2-from",
       "smpte-then-sw2"},
      {0, nullptr, nullptr},
  };
  if (g_once_init_enter(&type)) {
    g_once_init_leave(&type, g_enum_register_static("GstSorrelSimPattern", values));
  }
  return type;
}

static GType gst_sorrel_sim_standard_get_type(void)
{
  static GType type = 0;
  static const GEnumValue values[] = {
      {GST_SORREL_SIM_STANDARD_NTSC, "NTSC: 720x480 at 30000/1001", "ntsc"},
      {GST_SORREL_SIM_STANDARD_PAL, "PAL: 720x576 at 25/1", "pal"},
      {0, nullptr, nullptr},
  };
  if (g_once_init_enter(&type)) {
    g_once_init_leave(&type, g_enum_register_static("GstSorrelSimStandard", values));
  }
  return type;
}

// Size and rate: the properties where set, else the standard's.
static void gst_sorrel_sim_frame_shape(GstSorrelSim* self, gint* width, gint* height, gint* rate_n,
                                       gint* rate_d)
{
  const bool pal = self->standard == GST_SORREL_SIM_STANDARD_PAL;
  *width = self->width > 0 ? self->width : 720;
  *height = self->height > 0 ? self->height : (pal ? 576 : 480);
  if (self->rate_n > 0) {
    *rate_n = self->rate_n;
    *rate_d = self->rate_d;
  } else {
    *rate_n = pal ? 25 : 30000;
    *rate_d = pal ? 1 : 1001;
  }
}

static GstCaps* gst_sorrel_sim_get_caps(GstBaseSrc* src, GstCaps* filter)
{
  GstSorrelSim* self = GST_SORREL_SIM(src);
  gint width, height, rate_n, rate_d;
  GST_OBJECT_LOCK(self);
  gst_sorrel_sim_frame_shape(self, &width, &height, &rate_n, &rate_d);
  GST_OBJECT_UNLOCK(self);
  GstCaps* caps = gst_static_pad_template_get_caps(&gst_sorrel_sim_src_template);
  caps = gst_caps_make_writable(caps);
  gst_caps_set_simple(caps, "width", G_TYPE_INT, width, "height", G_TYPE_INT, height, "framerate",
                      GST_TYPE_FRACTION, rate_n, rate_d, nullptr);
  if (filter) {
    GstCaps* filtered = gst_caps_intersect_full(filter, caps, GST_CAPS_INTERSECT_FIRST);
    gst_caps_unref(caps);
    caps = filtered;
  }
  return caps;
}

static std::vector<uint8_t> gst_sorrel_sim_render(GstSorrelSim* self,
                                                  const sorrel::FrameGeometry& geometry,
                                                  GstSorrelSimPattern pattern)
{
  switch (pattern) {
  case GST_SORREL_SIM_PATTERN_SW2:
    return sorrel::RenderSw2(geometry).Pack();
  case GST_SORREL_SIM_PATTERN_FLAT:
    return sorrel::RenderFlat(geometry).Pack();
  default: {
    sorrel::SmpteOptions options;
    options.mirrored = self->mirrored;
    options.flipped = self->flipped;
    options.fieldsSwapped = self->fields_swapped;
    options.softEdges = self->soft_edges;
    return sorrel::RenderSmpte(geometry, options).Pack();
  }
  }
}

static gboolean gst_sorrel_sim_set_caps(GstBaseSrc* src, GstCaps* caps)
{
  GstSorrelSim* self = GST_SORREL_SIM(src);
  GstVideoInfo info;
  if (!gst_video_info_from_caps(&info, caps)) {
    GST_ELEMENT_ERROR(self, CORE, NEGOTIATION, ("Caps are not raw video."),
                      ("%" GST_PTR_FORMAT, static_cast<gpointer>(caps)));
    return FALSE;
  }
  sorrel::Layout layout;
  if (!sorrel::ParseLayoutName(GST_VIDEO_INFO_NAME(&info), &layout)) {
    GST_ELEMENT_ERROR(self, CORE, NEGOTIATION,
                      ("Format %s cannot be simulated.", GST_VIDEO_INFO_NAME(&info)), (nullptr));
    return FALSE;
  }
  const sorrel::FrameGeometry geometry(layout, GST_VIDEO_INFO_WIDTH(&info),
                                       GST_VIDEO_INFO_HEIGHT(&info));
  // A capture driver's frame has no padded rows; refuse sizes where GStreamer would pad.
  if (geometry.FrameSize() != GST_VIDEO_INFO_SIZE(&info)) {
    GST_ELEMENT_ERROR(self, CORE, NEGOTIATION,
                      ("A %dx%d %s frame would have padded rows; choose another size.",
                       geometry.width(), geometry.height(), GST_VIDEO_INFO_NAME(&info)),
                      (nullptr));
    return FALSE;
  }
  GST_OBJECT_LOCK(self);
  const GstSorrelSimPattern pattern = self->pattern;
  GST_OBJECT_UNLOCK(self);
  *self->first_picture = gst_sorrel_sim_render(
      self, geometry,
      pattern == GST_SORREL_SIM_PATTERN_SMPTE_THEN_SW2 ? GST_SORREL_SIM_PATTERN_SMPTE : pattern);
  if (pattern == GST_SORREL_SIM_PATTERN_SMPTE_THEN_SW2) {
    *self->second_picture = gst_sorrel_sim_render(self, geometry, GST_SORREL_SIM_PATTERN_SW2);
  } else {
    self->second_picture->clear();
  }
  self->info = info;
  return TRUE;
}

// A fixed pool, as a capture driver has: buffers come back and are written again.
static gboolean gst_sorrel_sim_decide_allocation(GstBaseSrc* src, GstQuery* query)
{
  GstSorrelSim* self = GST_SORREL_SIM(src);
  GstCaps* caps = nullptr;
  gst_query_parse_allocation(query, &caps, nullptr);
  const guint size = guint(GST_VIDEO_INFO_SIZE(&self->info));
  GST_OBJECT_LOCK(self);
  const guint count = self->pool_size;
  GST_OBJECT_UNLOCK(self);
  GstBufferPool* pool = gst_buffer_pool_new();
  GstStructure* config = gst_buffer_pool_get_config(pool);
  gst_buffer_pool_config_set_params(config, caps, size, count, count);
  if (!gst_buffer_pool_set_config(pool, config)) {
    gst_object_unref(pool);
    GST_ELEMENT_ERROR(self, RESOURCE, SETTINGS, ("Capture buffer pool refused its settings."),
                      (nullptr));
    return FALSE;
  }
  while (gst_query_get_n_allocation_pools(query) > 0) {
    gst_query_remove_nth_allocation_pool(query, 0);
  }
  gst_query_add_allocation_pool(query, pool, size, count, count);
  gst_object_unref(pool);
  return TRUE;
}

static gboolean gst_sorrel_sim_start(GstBaseSrc* src)
{
  GstSorrelSim* self = GST_SORREL_SIM(src);
  std::vector<gst_sorrel_sim::PlannedDrop> listed;
  std::string error;
  GST_OBJECT_LOCK(self);
  const std::string drops = self->drops ? self->drops : "";
  const double rate = self->drop_rate;
  const size_t length = self->drop_length;
  const uint32_t seed = self->seed;
  GST_OBJECT_UNLOCK(self);
  if (!gst_sorrel_sim::ParseDropList(drops, &listed, &error)) {
    GST_ELEMENT_ERROR(self, RESOURCE, SETTINGS, ("Invalid drop list: %s.", error.c_str()),
                      (nullptr));
    return FALSE;
  }
  delete self->drop_plan;
  self->drop_plan = new gst_sorrel_sim::DropPlan(std::move(listed), rate, length, seed);
  self->frame_number = 0;
  return TRUE;
}

static gboolean gst_sorrel_sim_stop(GstBaseSrc* src)
{
  GstSorrelSim* self = GST_SORREL_SIM(src);
  delete self->drop_plan;
  self->drop_plan = nullptr;
  return TRUE;
}

static void gst_sorrel_sim_get_times(GstBaseSrc* src, GstBuffer* buffer, GstClockTime* start,
                                     GstClockTime* end)
{
  // A live source waits for each frame's time; a non-live one runs free.
  if (gst_base_src_is_live(src) && GST_BUFFER_PTS_IS_VALID(buffer)) {
    *start = GST_BUFFER_PTS(buffer);
    *end = GST_BUFFER_DURATION_IS_VALID(buffer) ? *start + GST_BUFFER_DURATION(buffer)
                                                : GST_CLOCK_TIME_NONE;
  } else {
    *start = GST_CLOCK_TIME_NONE;
    *end = GST_CLOCK_TIME_NONE;
  }
}

static GstFlowReturn gst_sorrel_sim_fill(GstPushSrc* src, GstBuffer* buffer)
{
  GstSorrelSim* self = GST_SORREL_SIM(src);
  const guint64 n = self->frame_number;
  GST_OBJECT_LOCK(self);
  const bool second = !self->second_picture->empty() && n >= self->sw2_from;
  GST_OBJECT_UNLOCK(self);
  const std::vector<uint8_t>& picture = second ? *self->second_picture : *self->first_picture;

  GstMapInfo map;
  if (!gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
    GST_ELEMENT_ERROR(self, RESOURCE, WRITE, ("Could not write a capture buffer."), (nullptr));
    return GST_FLOW_ERROR;
  }
  sorrel::WriteFrame(picture, map.data, map.size, self->drop_plan->RangesFor(n, picture.size()));
  gst_buffer_unmap(buffer, &map);

  const gint rate_n = GST_VIDEO_INFO_FPS_N(&self->info);
  const gint rate_d = GST_VIDEO_INFO_FPS_D(&self->info);
  const GstClockTime pts = gst_util_uint64_scale(n, GST_SECOND * rate_d, rate_n);
  const GstClockTime next = gst_util_uint64_scale(n + 1, GST_SECOND * rate_d, rate_n);
  GST_BUFFER_PTS(buffer) = pts;
  GST_BUFFER_DTS(buffer) = GST_CLOCK_TIME_NONE;
  GST_BUFFER_DURATION(buffer) = next - pts;
  GST_BUFFER_OFFSET(buffer) = n;
  GST_BUFFER_OFFSET_END(buffer) = n + 1;
  if (n == 0) {
    GST_BUFFER_FLAG_SET(buffer, GST_BUFFER_FLAG_DISCONT);
  }
  self->frame_number = n + 1;
  return GST_FLOW_OK;
}

static void gst_sorrel_sim_set_property(GObject* object, guint prop_id, const GValue* value,
                                        GParamSpec* pspec)
{
  GstSorrelSim* self = GST_SORREL_SIM(object);
  if (prop_id == PROP_IS_LIVE) {
    gst_base_src_set_live(GST_BASE_SRC(self), g_value_get_boolean(value));
    return;
  }
  GST_OBJECT_LOCK(self);
  switch (prop_id) {
  case PROP_PATTERN:
    self->pattern = GstSorrelSimPattern(g_value_get_enum(value));
    break;
  case PROP_STANDARD:
    self->standard = GstSorrelSimStandard(g_value_get_enum(value));
    break;
  case PROP_WIDTH:
    self->width = g_value_get_int(value);
    break;
  case PROP_HEIGHT:
    self->height = g_value_get_int(value);
    break;
  case PROP_FRAME_RATE:
    self->rate_n = gst_value_get_fraction_numerator(value);
    self->rate_d = gst_value_get_fraction_denominator(value);
    break;
  case PROP_DROPS:
    g_free(self->drops);
    self->drops = g_value_dup_string(value);
    break;
  case PROP_DROP_RATE:
    self->drop_rate = g_value_get_double(value);
    break;
  case PROP_DROP_LENGTH:
    self->drop_length = g_value_get_uint(value);
    break;
  case PROP_SEED:
    self->seed = g_value_get_uint(value);
    break;
  case PROP_MIRRORED:
    self->mirrored = g_value_get_boolean(value);
    break;
  case PROP_FLIPPED:
    self->flipped = g_value_get_boolean(value);
    break;
  case PROP_FIELDS_SWAPPED:
    self->fields_swapped = g_value_get_boolean(value);
    break;
  case PROP_SOFT_EDGES:
    self->soft_edges = g_value_get_boolean(value);
    break;
  case PROP_POOL_SIZE:
    self->pool_size = g_value_get_uint(value);
    break;
  case PROP_SW2_FROM:
    self->sw2_from = g_value_get_uint64(value);
    break;
  default:
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, prop_id, pspec);
    break;
  }
  GST_OBJECT_UNLOCK(self);
}

static void gst_sorrel_sim_get_property(GObject* object, guint prop_id, GValue* value,
                                        GParamSpec* pspec)
{
  GstSorrelSim* self = GST_SORREL_SIM(object);
  if (prop_id == PROP_IS_LIVE) {
    g_value_set_boolean(value, gst_base_src_is_live(GST_BASE_SRC(self)));
    return;
  }
  GST_OBJECT_LOCK(self);
  switch (prop_id) {
  case PROP_PATTERN:
    g_value_set_enum(value, self->pattern);
    break;
  case PROP_STANDARD:
    g_value_set_enum(value, self->standard);
    break;
  case PROP_WIDTH:
    g_value_set_int(value, self->width);
    break;
  case PROP_HEIGHT:
    g_value_set_int(value, self->height);
    break;
  case PROP_FRAME_RATE:
    gst_value_set_fraction(value, self->rate_n, self->rate_d);
    break;
  case PROP_DROPS:
    g_value_set_string(value, self->drops);
    break;
  case PROP_DROP_RATE:
    g_value_set_double(value, self->drop_rate);
    break;
  case PROP_DROP_LENGTH:
    g_value_set_uint(value, self->drop_length);
    break;
  case PROP_SEED:
    g_value_set_uint(value, self->seed);
    break;
  case PROP_MIRRORED:
    g_value_set_boolean(value, self->mirrored);
    break;
  case PROP_FLIPPED:
    g_value_set_boolean(value, self->flipped);
    break;
  case PROP_FIELDS_SWAPPED:
    g_value_set_boolean(value, self->fields_swapped);
    break;
  case PROP_SOFT_EDGES:
    g_value_set_boolean(value, self->soft_edges);
    break;
  case PROP_POOL_SIZE:
    g_value_set_uint(value, self->pool_size);
    break;
  case PROP_SW2_FROM:
    g_value_set_uint64(value, self->sw2_from);
    break;
  default:
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, prop_id, pspec);
    break;
  }
  GST_OBJECT_UNLOCK(self);
}

static void gst_sorrel_sim_finalize(GObject* object)
{
  GstSorrelSim* self = GST_SORREL_SIM(object);
  g_free(self->drops);
  delete self->first_picture;
  delete self->second_picture;
  delete self->drop_plan;
  G_OBJECT_CLASS(gst_sorrel_sim_parent_class)->finalize(object);
}

static void gst_sorrel_sim_class_init(GstSorrelSimClass* klass)
{
  GObjectClass* gobject_class = G_OBJECT_CLASS(klass);
  GstElementClass* element_class = GST_ELEMENT_CLASS(klass);
  GstBaseSrcClass* basesrc_class = GST_BASE_SRC_CLASS(klass);
  GstPushSrcClass* pushsrc_class = GST_PUSH_SRC_CLASS(klass);

  GST_DEBUG_CATEGORY_INIT(gst_sorrel_sim_debug, "sorrelsim", 0, "Simulated analog capture");

  gobject_class->set_property = gst_sorrel_sim_set_property;
  gobject_class->get_property = gst_sorrel_sim_get_property;
  gobject_class->finalize = gst_sorrel_sim_finalize;

  const GParamFlags flags =
      GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_READY);
  g_object_class_install_property(gobject_class, PROP_PATTERN,
                                  g_param_spec_enum("pattern", "Pattern", "Test picture",
                                                    gst_sorrel_sim_pattern_get_type(),
                                                    GST_SORREL_SIM_PATTERN_SMPTE_THEN_SW2, flags));
  g_object_class_install_property(
      gobject_class, PROP_STANDARD,
      g_param_spec_enum("standard", "Standard", "Default size and frame rate",
                        gst_sorrel_sim_standard_get_type(), GST_SORREL_SIM_STANDARD_NTSC, flags));
  g_object_class_install_property(
      gobject_class, PROP_WIDTH,
      g_param_spec_int("width", "Width", "Frame width (0: the standard's)", 0, 4096, 0, flags));
  g_object_class_install_property(
      gobject_class, PROP_HEIGHT,
      g_param_spec_int("height", "Height", "Frame height (0: the standard's)", 0, 4096, 0, flags));
  g_object_class_install_property(gobject_class, PROP_FRAME_RATE,
                                  gst_param_spec_fraction("frame-rate", "Frame rate",
                                                          "Frame rate (0/1: the standard's)", 0, 1,
                                                          1000, 1, 0, 1, flags));
  g_object_class_install_property(
      gobject_class, PROP_DROPS,
      g_param_spec_string("drops", "Drops",
                          "Bytes left unwritten: frame:offset:length entries separated by ','",
                          nullptr, flags));
  g_object_class_install_property(
      gobject_class, PROP_DROP_RATE,
      g_param_spec_double("drop-rate", "Drop rate",
                          "Chance per frame of a drop of drop-length bytes at a random offset", 0.0,
                          1.0, 0.0, flags));
  g_object_class_install_property(gobject_class, PROP_DROP_LENGTH,
                                  g_param_spec_uint("drop-length", "Drop length",
                                                    "Bytes of each random drop", 1, G_MAXUINT, 256,
                                                    flags));
  g_object_class_install_property(
      gobject_class, PROP_SEED,
      g_param_spec_uint("seed", "Seed", "Seed of the random drops", 0, G_MAXUINT, 1, flags));
  g_object_class_install_property(
      gobject_class, PROP_MIRRORED,
      g_param_spec_boolean("mirrored", "Mirrored", "Bars left-right reversed", FALSE, flags));
  g_object_class_install_property(
      gobject_class, PROP_FLIPPED,
      g_param_spec_boolean("flipped", "Flipped", "Bars upside down", FALSE, flags));
  g_object_class_install_property(gobject_class, PROP_FIELDS_SWAPPED,
                                  g_param_spec_boolean("fields-swapped", "Fields swapped",
                                                       "Bars with the two fields exchanged", FALSE,
                                                       flags));
  g_object_class_install_property(gobject_class, PROP_SOFT_EDGES,
                                  g_param_spec_boolean("soft-edges", "Soft edges",
                                                       "Bars whose lower edge fades", FALSE,
                                                       flags));
  g_object_class_install_property(
      gobject_class, PROP_IS_LIVE,
      g_param_spec_boolean("is-live", "Is live",
                           "Pace frames in real time (else as fast as possible)", TRUE, flags));
  g_object_class_install_property(gobject_class, PROP_POOL_SIZE,
                                  g_param_spec_uint("pool-size", "Pool size",
                                                    "Capture buffers that are recycled", 2, 64, 4,
                                                    flags));
  g_object_class_install_property(
      gobject_class, PROP_SW2_FROM,
      g_param_spec_uint64("sw2-from", "SW2 from", "First SW2 frame of the smpte-then-sw2 pattern",
                          0, G_MAXUINT64, 345, flags));

  gst_element_class_set_static_metadata(element_class, "Simulated analog capture", "Source/Video",
                                        "Test patterns in recycled capture buffers, with drops "
                                        "and orientation faults on request",
                                        "Halvex");
  gst_element_class_add_static_pad_template(element_class, &gst_sorrel_sim_src_template);

  basesrc_class->get_caps = GST_DEBUG_FUNCPTR(gst_sorrel_sim_get_caps);
  basesrc_class->set_caps = GST_DEBUG_FUNCPTR(gst_sorrel_sim_set_caps);
  basesrc_class->decide_allocation = GST_DEBUG_FUNCPTR(gst_sorrel_sim_decide_allocation);
  basesrc_class->start = GST_DEBUG_FUNCPTR(gst_sorrel_sim_start);
  basesrc_class->stop = GST_DEBUG_FUNCPTR(gst_sorrel_sim_stop);
  basesrc_class->get_times = GST_DEBUG_FUNCPTR(gst_sorrel_sim_get_times);
  pushsrc_class->fill = GST_DEBUG_FUNCPTR(gst_sorrel_sim_fill);

  gst_type_mark_as_plugin_api(gst_sorrel_sim_pattern_get_type(), GstPluginAPIFlags(0));
  gst_type_mark_as_plugin_api(gst_sorrel_sim_standard_get_type(), GstPluginAPIFlags(0));
}

static void gst_sorrel_sim_init(GstSorrelSim* self)
{
  self->pattern = GST_SORREL_SIM_PATTERN_SMPTE_THEN_SW2;
  self->standard = GST_SORREL_SIM_STANDARD_NTSC;
  self->width = 0;
  self->height = 0;
  self->rate_n = 0;
  self->rate_d = 1;
  self->drops = nullptr;
  self->drop_rate = 0.0;
  self->drop_length = 256;
  self->seed = 1;
  self->mirrored = FALSE;
  self->flipped = FALSE;
  self->fields_swapped = FALSE;
  self->soft_edges = FALSE;
  self->pool_size = 4;
  self->sw2_from = 345;
  gst_video_info_init(&self->info);
  self->first_picture = new std::vector<uint8_t>();
  self->second_picture = new std::vector<uint8_t>();
  self->drop_plan = nullptr;
  self->frame_number = 0;
  gst_base_src_set_live(GST_BASE_SRC(self), TRUE);
  gst_base_src_set_format(GST_BASE_SRC(self), GST_FORMAT_TIME);
}

static gboolean plugin_init(GstPlugin* plugin)
{
  return GST_ELEMENT_REGISTER(sorrelsim, plugin);
}

#define PACKAGE "halvex"
GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, sorrelsim, "Simulated analog capture",
                  plugin_init, "0.1.0", "Proprietary", "Halvex", "Halvex")
