/**
 * SECTION:element-sorrelalign
 * @title: sorrelalign
 *
 * Carries the private samples of sorrel's data-rate mode (`video/x-cait`, 117453 bytes) into
 * a file writer that takes only raw pictures, such as avimux. Capture writers align every
 * stored chunk to 2048 bytes, and the data-rate verdict counts on that: each sample is padded
 * with zeros to 118784 bytes (the sample itself first and whole) and labelled as an 8-bit
 * grey picture of 512x232, which is exactly that size. The frame rate and timestamps pass
 * through. A sample larger than the picture is refused with an error, since cutting it would
 * lose data.
 *
 * ## Example launch line
 * |[
 * gst-launch-1.0 -e sorrelsim num-buffers=300 ! sorrel ! video/x-cait ! sorrelalign
 *     ! avimux ! filesink location=out.avi
 * ]|
 */
#include "gstsorrelalign.h"

#include <algorithm>
#include <cstring>

GST_DEBUG_CATEGORY_STATIC(gst_sorrel_align_debug);
#define GST_CAT_DEFAULT gst_sorrel_align_debug

struct _GstSorrelAlign
{
  GstBaseTransform parent;
};

#define GST_SORREL_ALIGN_PICTURE_CAPS                                                              \
  "video/x-raw, format = (string) GRAY8, width = (int) 512, height = (int) 232"

static GstStaticPadTemplate gst_sorrel_align_sink_template =
    GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-cait"));

static GstStaticPadTemplate gst_sorrel_align_src_template = GST_STATIC_PAD_TEMPLATE(
    "src", GST_PAD_SRC, GST_PAD_ALWAYS,
    GST_STATIC_CAPS(GST_SORREL_ALIGN_PICTURE_CAPS ", framerate = (fraction) [ 0/1, MAX ]"));

G_DEFINE_TYPE(GstSorrelAlign, gst_sorrel_align, GST_TYPE_BASE_TRANSFORM);
GST_ELEMENT_REGISTER_DEFINE(sorrelalign, "sorrelalign", GST_RANK_NONE, GST_TYPE_SORREL_ALIGN);

// The other side's caps for each structure, with its frame rate when it has one.
static GstCaps* gst_sorrel_align_transform_caps(GstBaseTransform* trans, GstPadDirection direction,
                                                GstCaps* caps, GstCaps* filter)
{
  GstCaps* templ =
      gst_pad_get_pad_template_caps(direction == GST_PAD_SINK ? GST_BASE_TRANSFORM_SRC_PAD(trans)
                                                              : GST_BASE_TRANSFORM_SINK_PAD(trans));
  GstCaps* result = gst_caps_new_empty();
  const guint n = gst_caps_get_size(caps);
  for (guint i = 0; i < n; ++i) {
    GstCaps* other = gst_caps_copy(templ);
    if (const GValue* rate =
            gst_structure_get_value(gst_caps_get_structure(caps, i), "framerate")) {
      gst_caps_set_value(other, "framerate", rate);
    }
    result = gst_caps_merge(result, other);
  }
  if (gst_caps_is_any(caps)) {
    result = gst_caps_merge(result, gst_caps_ref(templ));
  }
  gst_caps_unref(templ);
  if (filter) {
    GstCaps* filtered = gst_caps_intersect_full(filter, result, GST_CAPS_INTERSECT_FIRST);
    gst_caps_unref(result);
    result = filtered;
  }
  return result;
}

static gboolean gst_sorrel_align_transform_size(GstBaseTransform* trans, GstPadDirection direction,
                                                GstCaps* caps, gsize size, GstCaps* othercaps,
                                                gsize* othersize)
{
  // Every sample becomes one picture; a picture holds at most one sample.
  *othersize = direction == GST_PAD_SINK ? GST_SORREL_ALIGN_PICTURE_SIZE
                                         : std::min<gsize>(size, GST_SORREL_ALIGN_PICTURE_SIZE);
  return TRUE;
}

static GstFlowReturn gst_sorrel_align_transform(GstBaseTransform* trans, GstBuffer* inbuf,
                                                GstBuffer* outbuf)
{
  GstSorrelAlign* self = GST_SORREL_ALIGN(trans);
  const gsize in_size = gst_buffer_get_size(inbuf);
  if (in_size > GST_SORREL_ALIGN_PICTURE_SIZE) {
    GST_ELEMENT_ERROR(self, STREAM, FORMAT,
                      ("A sample of %" G_GSIZE_FORMAT " bytes does not fit a picture of %d bytes.",
                       in_size, GST_SORREL_ALIGN_PICTURE_SIZE),
                      (nullptr));
    return GST_FLOW_ERROR;
  }
  GstMapInfo out_map;
  if (!gst_buffer_map(outbuf, &out_map, GST_MAP_WRITE)) {
    GST_ELEMENT_ERROR(self, STREAM, FAILED, ("Could not write an output picture."), (nullptr));
    return GST_FLOW_ERROR;
  }
  if (out_map.size < GST_SORREL_ALIGN_PICTURE_SIZE) {
    gst_buffer_unmap(outbuf, &out_map);
    GST_ELEMENT_ERROR(self, STREAM, FAILED, ("Output picture buffer is too small."),
                      ("%" G_GSIZE_FORMAT " bytes", out_map.size));
    return GST_FLOW_ERROR;
  }
  const gsize copied = gst_buffer_extract(inbuf, 0, out_map.data, in_size);
  std::memset(out_map.data + copied, 0, GST_SORREL_ALIGN_PICTURE_SIZE - copied);
  gst_buffer_unmap(outbuf, &out_map);
  gst_buffer_set_size(outbuf, GST_SORREL_ALIGN_PICTURE_SIZE);
  return copied == in_size ? GST_FLOW_OK : GST_FLOW_ERROR;
}

static void gst_sorrel_align_class_init(GstSorrelAlignClass* klass)
{
  GstElementClass* element_class = GST_ELEMENT_CLASS(klass);
  GstBaseTransformClass* trans_class = GST_BASE_TRANSFORM_CLASS(klass);

  GST_DEBUG_CATEGORY_INIT(gst_sorrel_align_debug, "sorrelalign", 0,
                          "Aligned storage of private samples");

  gst_element_class_set_static_metadata(
      element_class, "Aligned private samples", "Filter/Converter/Video",
      "Pads sorrel's private samples to whole 2048-byte chunks and labels them as 8-bit grey "
      "pictures that file writers take",
      "Halvex");
  gst_element_class_add_static_pad_template(element_class, &gst_sorrel_align_sink_template);
  gst_element_class_add_static_pad_template(element_class, &gst_sorrel_align_src_template);

  trans_class->transform_caps = GST_DEBUG_FUNCPTR(gst_sorrel_align_transform_caps);
  trans_class->transform_size = GST_DEBUG_FUNCPTR(gst_sorrel_align_transform_size);
  trans_class->transform = GST_DEBUG_FUNCPTR(gst_sorrel_align_transform);
  trans_class->passthrough_on_same_caps = FALSE;
}

static void gst_sorrel_align_init(GstSorrelAlign*) {}

static gboolean plugin_init(GstPlugin* plugin)
{
  return GST_ELEMENT_REGISTER(sorrelalign, plugin);
}

#define PACKAGE "halvex"
GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, sorrelalign,
                  "Aligned storage of sorrel's private samples", plugin_init, "0.1.0",
                  "Proprietary", "Halvex", "Halvex")
