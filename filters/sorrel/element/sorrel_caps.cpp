// Caps to media types for the sorrel element.
#include "sorrel_caps.h"

#include "gstsorrel/gstsorrel.h"

#include <algorithm>

namespace gst_sorrel {

namespace {

struct FormatEntry
{
  GstVideoFormat format;
  uint32_t fourcc;
  sorrel::Layout layout;
};

constexpr FormatEntry kFormats[] = {
    {GST_VIDEO_FORMAT_YUY2, sorrel::kFourccYUY2, sorrel::Layout::YUY2},
    {GST_VIDEO_FORMAT_UYVY, sorrel::kFourccUYVY, sorrel::Layout::UYVY},
    {GST_VIDEO_FORMAT_YV12, sorrel::kFourccYV12, sorrel::Layout::YV12},
    {GST_VIDEO_FORMAT_I420, sorrel::kFourccI420, sorrel::Layout::IYUV},
    {GST_VIDEO_FORMAT_YVU9, sorrel::kFourccYVU9, sorrel::Layout::YVU9},
};

const FormatEntry* FindFormat(GstVideoFormat format)
{
  for (const FormatEntry& entry : kFormats) {
    if (entry.format == format) {
      return &entry;
    }
  }
  return nullptr;
}

} // namespace

bool FourccForVideoFormat(GstVideoFormat format, uint32_t* fourcc)
{
  const FormatEntry* entry = FindFormat(format);
  if (entry) {
    *fourcc = entry->fourcc;
  }
  return entry != nullptr;
}

bool LayoutForVideoFormat(GstVideoFormat format, sorrel::Layout* layout)
{
  const FormatEntry* entry = FindFormat(format);
  if (entry) {
    *layout = entry->layout;
  }
  return entry != nullptr;
}

bool MediaTypeFromVideoInfo(const GstVideoInfo& info, sorrel::MediaType* out)
{
  uint32_t fourcc = 0;
  if (!FourccForVideoFormat(GST_VIDEO_INFO_FORMAT(&info), &fourcc)) {
    return false;
  }
  // Frame time in 100 ns units; an unknown rate (0/1) gives 0, which no standard accepts.
  int64_t avgTimePerFrame = 0;
  if (GST_VIDEO_INFO_FPS_N(&info) > 0) {
    avgTimePerFrame = int64_t(gst_util_uint64_scale_int_round(10000000, GST_VIDEO_INFO_FPS_D(&info),
                                                              GST_VIDEO_INFO_FPS_N(&info)));
  }
  *out =
      sorrel::MakeVideoMediaType(fourcc, GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info),
                                 avgTimePerFrame, uint32_t(GST_VIDEO_INFO_SIZE(&info)));
  return true;
}

sorrel::PlaneLayout PlaneLayoutOf(const GstVideoInfo& info, const GstVideoMeta* meta)
{
  const bool useMeta = meta && meta->format == GST_VIDEO_INFO_FORMAT(&info) &&
                       int(meta->width) == GST_VIDEO_INFO_WIDTH(&info) &&
                       int(meta->height) == GST_VIDEO_INFO_HEIGHT(&info);
  sorrel::PlaneLayout planes;
  // Components, not planes: YV12 and YVU9 keep V before U.
  static constexpr int kComponents[3] = {GST_VIDEO_COMP_Y, GST_VIDEO_COMP_U, GST_VIDEO_COMP_V};
  for (int c = 0; c < 3; ++c) {
    const guint plane = GST_VIDEO_INFO_COMP_PLANE(&info, kComponents[c]);
    planes.offset[c] = useMeta ? meta->offset[plane] : GST_VIDEO_INFO_PLANE_OFFSET(&info, plane);
    planes.stride[c] = size_t(
        std::max(useMeta ? meta->stride[plane] : GST_VIDEO_INFO_PLANE_STRIDE(&info, plane), 0));
  }
  return planes;
}

bool IsCaitCaps(const GstCaps* caps)
{
  if (!caps || gst_caps_is_empty(caps) || gst_caps_is_any(caps)) {
    return false;
  }
  return gst_structure_has_name(gst_caps_get_structure(caps, 0), GST_SORREL_CAIT_CAPS_NAME);
}

GstCaps* CaitCapsFor(const GstCaps* raw)
{
  GstCaps* result = gst_caps_new_empty();
  const guint n = gst_caps_get_size(raw);
  for (guint i = 0; i < n; ++i) {
    const GstStructure* s = gst_caps_get_structure(raw, i);
    GstStructure* cait = gst_structure_new_empty(GST_SORREL_CAIT_CAPS_NAME);
    if (const GValue* rate = gst_structure_get_value(s, "framerate")) {
      gst_structure_set_value(cait, "framerate", rate);
    }
    result = gst_caps_merge_structure(result, cait);
  }
  if (n == 0 || gst_caps_is_any(raw)) {
    result = gst_caps_merge_structure(result, gst_structure_new_empty(GST_SORREL_CAIT_CAPS_NAME));
  }
  return result;
}

} // namespace gst_sorrel
