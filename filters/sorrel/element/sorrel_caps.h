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

// Where the luma, Cb and Cr rows of a frame lie: the buffer's video meta when it has one of
// the frame's own format and size, else the layout GStreamer gives the caps.
sorrel::PlaneLayout PlaneLayoutOf(const GstVideoInfo& info, const GstVideoMeta* meta);

bool IsCaitCaps(const GstCaps* caps);
// The private caps offered for raw caps: the frame rate is kept when there is one.
GstCaps* CaitCapsFor(const GstCaps* raw);

} // namespace gst_sorrel
