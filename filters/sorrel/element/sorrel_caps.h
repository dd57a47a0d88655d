// Between GStreamer caps and the media types the analysis core understands.
#pragma once

#include "sorrel/frame_layout.h"
#include "sorrel/media_type.h"

#include <gst/video/video.h>

namespace gst_sorrel {

// The raw layouts the element takes, as a caps format list (YUY2 first).
#define GST_SORREL_RAW_FORMATS "{ YUY2, UYVY, YV12, I420, YVU9 }"

// FOURCC of a raw format the element takes; false for any other format.
bool FourccForVideoFormat(GstVideoFormat format, uint32_t* fourcc);
bool LayoutForVideoFormat(GstVideoFormat format, sorrel::Layout* layout);

// The media type a capture filter would have offered for these negotiated caps.
bool MediaTypeFromVideoInfo(const GstVideoInfo& info, sorrel::MediaType* out);

// True when GStreamer lays the frame out exactly as the analysis expects (no padded rows).
bool HasTightLayout(const GstVideoInfo& info, sorrel::Layout layout);

bool IsCaitCaps(const GstCaps* caps);
// The private caps offered for raw caps: the frame rate is kept when there is one.
GstCaps* CaitCapsFor(const GstCaps* raw);

} // namespace gst_sorrel
