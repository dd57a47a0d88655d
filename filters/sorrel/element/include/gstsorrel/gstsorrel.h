// The `sorrel` GStreamer element: a transform that measures every captured frame with the
// analysis core and hands its verdicts out through the action signal "query-vendor-info".
//
// Callers:
//   guint8* block = NULL; gint result = 0;
//   g_signal_emit_by_name (element, "query-vendor-info", &block, &result);
//   ... block holds GST_SORREL_RESULTS_BLOCK_SIZE bytes when result is GST_SORREL_OK;
//   g_free (block);
// The signal may be emitted from any thread, also while the element streams.
#pragma once

#include <gst/base/gstbasetransform.h>

G_BEGIN_DECLS

// Result codes of "query-vendor-info", with the values of the codes they stand for.
#define GST_SORREL_OK 0
#define GST_SORREL_E_POINTER ((gint)0x80004003u)
#define GST_SORREL_E_OUTOFMEMORY ((gint)0x8007000Eu)
#define GST_SORREL_RESULTS_BLOCK_SIZE 16384

// Value of the read-only "mode" property.
typedef enum {
  GST_SORREL_MODE_UNDECIDED = -1,
  GST_SORREL_MODE_DATA_RATE = 0,
  GST_SORREL_MODE_ERROR_VISUALIZATION = 1,
} GstSorrelMode;

// Value of the "timing" property: where the analysis takes "now" from.
typedef enum {
  GST_SORREL_TIMING_WALL = 0,
  GST_SORREL_TIMING_STREAM = 1,
} GstSorrelTiming;

#define GST_TYPE_SORREL (gst_sorrel_get_type())
G_DECLARE_FINAL_TYPE(GstSorrel, gst_sorrel, GST, SORREL, GstBaseTransform)

GType gst_sorrel_mode_get_type(void);
GType gst_sorrel_timing_get_type(void);

// The private caps of data-rate samples.
#define GST_SORREL_CAIT_CAPS_NAME "video/x-cait"

G_END_DECLS
