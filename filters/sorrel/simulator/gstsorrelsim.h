// `sorrelsim`: a live capture source for tests and demonstrations. Like a capture driver it
// fills a small pool of recycled buffers, here with the analysis' own test patterns, and can
// drop samples on purpose or present the picture mirrored, flipped or field-swapped.
#pragma once

#include <gst/base/gstpushsrc.h>

G_BEGIN_DECLS

typedef enum {
  GST_SORREL_SIM_PATTERN_SMPTE = 0,
  GST_SORREL_SIM_PATTERN_SW2 = 1,
  GST_SORREL_SIM_PATTERN_FLAT = 2,
  GST_SORREL_SIM_PATTERN_SMPTE_THEN_SW2 = 3,
} GstSorrelSimPattern;

typedef enum {
  GST_SORREL_SIM_STANDARD_NTSC = 0,
  GST_SORREL_SIM_STANDARD_PAL = 1,
} GstSorrelSimStandard;

#define GST_TYPE_SORREL_SIM (gst_sorrel_sim_get_type())
G_DECLARE_FINAL_TYPE(GstSorrelSim, gst_sorrel_sim, GST, SORREL_SIM, GstPushSrc)

G_END_DECLS
