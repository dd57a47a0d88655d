// GStreamer for tests: the build tree's plug-ins (the test filter, the simulated capture),
// a registry of the test's own, and GStreamer started once for the test program. Add it with
// ::testing::AddGlobalTestEnvironment before the tests run.
#pragma once

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

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
      m_registry = std::string(g_get_tmp_dir()) + "/halvex-gst-test-" + std::to_string(getpid()) +
                   ".registry";
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

} // namespace testsupport
