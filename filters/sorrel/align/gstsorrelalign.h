// `sorrelalign`: stores sorrel's private samples in a file writer that takes only pictures.
#pragma once

#include <gst/base/gstbasetransform.h>

G_BEGIN_DECLS

#define GST_TYPE_SORREL_ALIGN (gst_sorrel_align_get_type())
G_DECLARE_FINAL_TYPE(GstSorrelAlign, gst_sorrel_align, GST, SORREL_ALIGN, GstBaseTransform)

// Capture writers align each stored chunk to this many bytes.
#define GST_SORREL_ALIGN_CHUNK 2048
// The picture that carries one aligned sample: 8-bit grey, 512 x 232 = 118784 bytes, the
// 117453-byte sample rounded up to whole chunks.
#define GST_SORREL_ALIGN_WIDTH 512
#define GST_SORREL_ALIGN_HEIGHT 232
#define GST_SORREL_ALIGN_PICTURE_SIZE (GST_SORREL_ALIGN_WIDTH * GST_SORREL_ALIGN_HEIGHT)

GST_ELEMENT_REGISTER_DECLARE(sorrelalign);

G_END_DECLS
