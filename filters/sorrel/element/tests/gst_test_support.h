// GStreamer set-up for the element tests: the build's plug-ins, a private registry, and
// small readers of results blocks and bus messages.
#pragma once

#include "gstsorrel/gstsorrel.h"
#include "sorrel/results_report.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace sorrel_test {

// Plug-ins come from the build tree; sanitizer builds of them can't go through the plain
// scanner process, so plug-ins are scanned in-process into a registry of our own.
class GstEnvironment : public ::testing::Environment
{
public:
  void SetUp() override
  {
    const char* build = std::getenv("HALVEX_BUILD_DIR");
    const std::string plugins = std::string(build ? build : ".") + "/lib/halvex/gstreamer-1.0";
    setenv("GST_PLUGIN_PATH", plugins.c_str(), 1);
    setenv("GST_REGISTRY_FORK", "no", 0);
    if (!std::getenv("GST_REGISTRY")) {
      m_registry = std::string(g_get_tmp_dir()) + "/halvex-sorrel-test-" +
                   std::to_string(getpid()) + ".registry";
      setenv("GST_REGISTRY", m_registry.c_str(), 1);
    }
    // A first scan of every installed plug-in makes GLib grow its quark table, which by
    // design leaves the old table behind; a child process does that scan, so the registry
    // this process loads is already up to date.
    const pid_t child = fork();
    if (child == 0) {
      gst_init(nullptr, nullptr);
      _exit(0);
    }
    if (child > 0) {
      int status = 0;
      waitpid(child, &status, 0);
    }
    gst_init(nullptr, nullptr);
  }

  void TearDown() override
  {
    if (!m_registry.empty()) {
      unlink(m_registry.c_str());
    }
  }

private:
  std::string m_registry;
};

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
