// The element tests' GStreamer set-up (testsupport/gstenvironment.h) and small readers of
// results blocks and bus messages.
#pragma once

#include "gstsorrel/gstsorrel.h"
#include "sorrel/results_report.h"
#include "testsupport/gstenvironment.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sorrel_test {

// Emits "query-vendor-info"; decodes the block when the call succeeds.
inline gint QueryResults(GstElement* sorrel, sorrel::DecodedResults* results)
{
  guint8* block = nullptr;
  gint code = -1;
  g_signal_emit_by_name(sorrel, "query-vendor-info", &block, &code);
  if (code == GST_SORREL_OK) {
    std::string error;
    EXPECT_TRUE(block != nullptr);
    EXPECT_TRUE(sorrel::DecodeResultsBlock(block, GST_SORREL_RESULTS_BLOCK_SIZE, results, &error))
        << error;
  }
  g_free(block);
  return code;
}

// Status of assertion group.item in decoded results; -1 when the snapshot lacks it.
inline int StatusOf(const sorrel::DecodedResults& results, int group, int item)
{
  for (const sorrel::AssertionRecord& a : results.assertions) {
    if (a.group == group && a.item == item) {
      return a.status;
    }
  }
  return -1;
}

inline std::string StructureString(const GstStructure* s, const char* field)
{
  const gchar* value = gst_structure_get_string(s, field);
  return value ? value : "";
}

} // namespace sorrel_test
