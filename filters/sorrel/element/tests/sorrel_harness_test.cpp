// The sorrel element on its own, driven through GstHarness: caps acceptance, modes and
// copy sizes, the results signal in each phase, and input buffers the markers can't reach.
#include "gst_test_support.h"

#include "sorrel/frame_layout.h"
#include "sorrel/pattern_renderer.h"
#include "sorrel/results_block.h"

#include <glib/gstdio.h>
#include <gst/allocators/allocators.h>
#include <gst/check/gstharness.h>
#include <gst/video/video.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using sorrel_test::QueryResults;
using sorrel_test::StatusOf;
namespace blk = sorrel::block;

std::string RawCaps(const char* format, int width, int height, const char* rate = "30000/1001")
{
  return std::string("video/x-raw,format=") + format + ",width=" + std::to_string(width) +
         ",height=" + std::to_string(height) + ",framerate=" + rate;
}

// A frame of the caps' size filled with SMPTE bars where the analysis knows the layout.
GstBuffer* MakeFrame(const std::string& caps_text, GstClockTime pts = 0)
{
  GstCaps* caps = gst_caps_from_string(caps_text.c_str());
  GstVideoInfo info;
  EXPECT_TRUE(gst_video_info_from_caps(&info, caps));
  gst_caps_unref(caps);
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&info), nullptr);
  GstMapInfo map;
  gst_buffer_map(buffer, &map, GST_MAP_WRITE);
  std::memset(map.data, 128, map.size);
  sorrel::Layout layout;
  if (sorrel::ParseLayoutName(GST_VIDEO_INFO_NAME(&info), &layout)) {
    const sorrel::FrameGeometry geometry(layout, GST_VIDEO_INFO_WIDTH(&info),
                                         GST_VIDEO_INFO_HEIGHT(&info));
    if (geometry.FrameSize() <= map.size) {
      sorrel::WriteFrame(sorrel::RenderSmpte(geometry).Pack(), map.data, map.size);
    }
  }
  gst_buffer_unmap(buffer, &map);
  GST_BUFFER_PTS(buffer) = pts;
  GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(GST_SECOND, 1001, 30000);
  return buffer;
}

GstHarness* NewHarness(const char* timing = "wall")
{
  GstElement* element = gst_element_factory_make("sorrel", nullptr);
  EXPECT_TRUE(element != nullptr) << "sorrel plug-in not found";
  gst_util_set_object_arg(G_OBJECT(element), "timing", timing);
  GstHarness* h = gst_harness_new_with_element(element, "sink", "src");
  gst_object_unref(element);
  return h;
}

gint FramesAnalysed(GstHarness* h)
{
  gint frames = -1;
  g_object_get(h->element, "frames-analysed", &frames, nullptr);
  return frames;
}

gint Mode(GstHarness* h)
{
  gint mode = -2;
  g_object_get(h->element, "mode", &mode, nullptr);
  return mode;
}

// An active pool of one buffer: each acquire gives back the buffer the element scanned last,
// as a capture driver recycles its buffers. Null when the pool refuses.
GstBufferPool* NewCapturePool(size_t size)
{
  GstBufferPool* pool = gst_buffer_pool_new();
  GstStructure* config = gst_buffer_pool_get_config(pool);
  gst_buffer_pool_config_set_params(config, nullptr, guint(size), 1, 1);
  if (!gst_buffer_pool_set_config(pool, config) || !gst_buffer_pool_set_active(pool, TRUE)) {
    gst_object_unref(pool);
    return nullptr;
  }
  return pool;
}

TEST(SorrelHarness, FactoryIsTheAnalogInTestOfRankNone)
{
  GstElementFactory* factory = gst_element_factory_find("sorrel");
  ASSERT_TRUE(factory != nullptr);
  EXPECT_STREQ(gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME),
               "Analog In Test");
  EXPECT_EQ(gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory)), guint(GST_RANK_NONE));
  gst_object_unref(factory);
}

TEST(SorrelHarness, InputCapsAcceptanceFollowsTheAnalysis)
{
  struct Case
  {
    std::string caps;
    bool accepted;
    int analysed; // frames analysed after one pushed frame
  };
  const std::vector<Case> cases = {
      {RawCaps("YUY2", 720, 480), true, 1},
      {RawCaps("UYVY", 720, 480), true, 1},
      {RawCaps("YV12", 720, 480), true, 1},
      {RawCaps("I420", 720, 480), true, 1},
      {RawCaps("YVU9", 720, 480), true, 1},
      {RawCaps("YUY2", 80, 60), true, 1},
      {RawCaps("YUY2", 81, 480), true, 0}, // odd width: linked, never analysed
      {RawCaps("YUY2", 79, 480), false, 0},
      {RawCaps("YUY2", 720, 59), false, 0},
      {RawCaps("RGB", 720, 480), false, 0},
      {"video/x-bayer,format=bggr,width=720,height=480,framerate=25/1", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caps);
    GstHarness* h = NewHarness();
    GstCaps* caps = gst_caps_from_string(c.caps.c_str());
    GstPad* sinkpad = gst_element_get_static_pad(h->element, "sink");
    EXPECT_EQ(bool(gst_pad_query_accept_caps(sinkpad, caps)), c.accepted);
    gst_object_unref(sinkpad);
    if (c.accepted) {
      gst_harness_set_src_caps(h, gst_caps_ref(caps));
      EXPECT_EQ(gst_harness_push(h, MakeFrame(c.caps)), GST_FLOW_OK);
      EXPECT_EQ(FramesAnalysed(h), c.analysed);
      gst_buffer_unref(gst_harness_pull(h));
    }
    gst_caps_unref(caps);
    gst_harness_teardown(h);
  }
}

TEST(SorrelHarness, DownstreamChoiceFixesModeAndCopySize)
{
  struct Case
  {
    const char* downstream; // caps the harness sink takes; null takes anything
    int width, height;
    GstSorrelMode mode;
    size_t output_size;
  };
  const size_t frame_720 = 720 * 480 * 2, frame_160 = 160 * 120 * 2;
  const std::vector<Case> cases = {
      {nullptr, 720, 480, GST_SORREL_MODE_DATA_RATE, 117453},
      {GST_SORREL_CAIT_CAPS_NAME, 720, 480, GST_SORREL_MODE_DATA_RATE, 117453},
      // The private sample can't be larger than the frame it is cut from.
      {GST_SORREL_CAIT_CAPS_NAME, 160, 120, GST_SORREL_MODE_DATA_RATE, frame_160},
      {"video/x-raw", 720, 480, GST_SORREL_MODE_ERROR_VISUALIZATION, frame_720},
      {"video/x-raw", 160, 120, GST_SORREL_MODE_ERROR_VISUALIZATION, frame_160},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.downstream ? c.downstream : "any") + " " + std::to_string(c.width));
    GstHarness* h = NewHarness();
    if (c.downstream) {
      gst_harness_set_sink_caps_str(h, c.downstream);
    }
    const std::string caps = RawCaps("YUY2", c.width, c.height);
    gst_harness_set_src_caps_str(h, caps.c_str());
    EXPECT_EQ(Mode(h), GST_SORREL_MODE_UNDECIDED);

    GstBuffer* in = MakeFrame(caps, 5 * GST_SECOND);
    std::vector<uint8_t> picture(gst_buffer_get_size(in));
    gst_buffer_extract(in, 0, picture.data(), picture.size());
    ASSERT_EQ(gst_harness_push(h, in), GST_FLOW_OK);
    GstBuffer* out = gst_harness_pull(h);
    ASSERT_TRUE(out != nullptr);
    EXPECT_EQ(Mode(h), c.mode);
    EXPECT_EQ(gst_buffer_get_size(out), c.output_size);
    EXPECT_EQ(GST_BUFFER_PTS(out), 5 * GST_SECOND);
    // The output carries the captured picture, not the markers written afterwards.
    GstMapInfo map;
    gst_buffer_map(out, &map, GST_MAP_READ);
    EXPECT_EQ(std::memcmp(map.data, picture.data(), map.size), 0);
    gst_buffer_unmap(out, &map);

    GstCaps* outcaps = gst_pad_get_current_caps(h->sinkpad);
    ASSERT_TRUE(outcaps != nullptr);
    EXPECT_EQ(gst_structure_has_name(gst_caps_get_structure(outcaps, 0), GST_SORREL_CAIT_CAPS_NAME),
              c.mode == GST_SORREL_MODE_DATA_RATE);
    gst_caps_unref(outcaps);
    gst_buffer_unref(out);
    gst_harness_teardown(h);
  }
}

TEST(SorrelHarness, ResultsSignalInEachPhase)
{
  GstHarness* h = NewHarness("stream");
  const std::string caps = RawCaps("YUY2", 720, 480);
  gst_harness_set_src_caps_str(h, caps.c_str());

  gint code = 0;
  g_signal_emit_by_name(h->element, "query-vendor-info", nullptr, &code);
  EXPECT_EQ(code, GST_SORREL_E_POINTER);

  struct Phase
  {
    GstClockTime pts; // of the frame pushed before the call; NONE pushes nothing
    uint8_t phase;
    size_t assertions;
    int only_group;
  };
  const std::vector<Phase> phases = {
      {GST_CLOCK_TIME_NONE, blk::PHASE_CONFIGURATION, 5, 1},
      {0, blk::PHASE_STARTUP, 5, 2},
      {10 * GST_SECOND, blk::PHASE_STARTUP, 5, 2},
      {40 * GST_SECOND, blk::PHASE_FULL, 20, 0},
  };
  for (const Phase& p : phases) {
    SCOPED_TRACE(int(p.phase));
    if (p.pts != GST_CLOCK_TIME_NONE) {
      ASSERT_EQ(gst_harness_push(h, MakeFrame(caps, p.pts)), GST_FLOW_OK);
      gst_buffer_unref(gst_harness_pull(h));
    }
    sorrel::DecodedResults results;
    ASSERT_EQ(QueryResults(h->element, &results), GST_SORREL_OK);
    EXPECT_EQ(results.version, 3);
    EXPECT_EQ(results.flags & blk::kPhaseMask, p.phase);
    EXPECT_EQ(bool(results.flags & blk::FLAG_STREAMING), p.phase != blk::PHASE_CONFIGURATION);
    EXPECT_EQ(results.assertions.size(), p.assertions);
    EXPECT_EQ(results.width, 720);
    EXPECT_EQ(results.height, 480);
    EXPECT_EQ(results.fourcc, "YUY2");
    EXPECT_EQ(results.standardName, "NTSC");
    for (const sorrel::AssertionRecord& a : results.assertions) {
      if (p.only_group) {
        EXPECT_EQ(a.group, p.only_group);
      }
    }
  }
  gst_harness_teardown(h);
}

TEST(SorrelHarness, ConfigurationSnapshotJudgesTheOfferedInputBeforeNegotiation)
{
  // A live capture negotiates only when it plays; the first call comes before that.
  GstElement* pipeline = gst_parse_launch(
      "sorrelsim standard=pal ! video/x-raw,format=UYVY ! sorrel name=s ! fakesink", nullptr);
  ASSERT_TRUE(pipeline != nullptr);
  GstElement* s = gst_bin_get_by_name(GST_BIN(pipeline), "s");
  sorrel::DecodedResults results;
  ASSERT_EQ(QueryResults(s, &results), GST_SORREL_OK);
  EXPECT_EQ(results.flags & blk::kPhaseMask, blk::PHASE_CONFIGURATION);
  EXPECT_EQ(results.frameTimeMs, 40);
  EXPECT_EQ(results.standardName, "PAL/SECAM");
  EXPECT_EQ(results.width, 720);
  EXPECT_EQ(results.height, 576);
  EXPECT_EQ(results.fourcc, "UYVY");
  EXPECT_TRUE(results.flags & blk::FLAG_CONFIG_OK);
  EXPECT_EQ(StatusOf(results, 1, 2), blk::STATUS_PASSED);
  gst_object_unref(s);
  gst_object_unref(pipeline);
}

TEST(SorrelHarness, ConfigurationSnapshotStaysUnknownWithoutASettledOffer)
{
  struct Case
  {
    const char* description;
  };
  const std::vector<Case> cases = {
      {"sorrel name=s"},                                                     // not linked
      {"videotestsrc ! video/x-raw,format=YUY2 ! sorrel name=s ! fakesink"}, // any size
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.description);
    GstElement* pipeline = gst_parse_launch(c.description, nullptr);
    ASSERT_TRUE(pipeline != nullptr);
    GstElement* s = GST_IS_BIN(pipeline) ? gst_bin_get_by_name(GST_BIN(pipeline), "s")
                                         : GST_ELEMENT(gst_object_ref(pipeline));
    sorrel::DecodedResults results;
    ASSERT_EQ(QueryResults(s, &results), GST_SORREL_OK);
    EXPECT_EQ(results.frameTimeMs, -1);
    EXPECT_EQ(results.standardName, "UNKNOWN");
    EXPECT_EQ(results.width, -1);
    EXPECT_FALSE(results.flags & blk::FLAG_CONFIG_OK);
    gst_object_unref(s);
    gst_object_unref(pipeline);
  }
}

// The timing may change while another thread reads the element's state and takes results:
// the analysis those readers look at must stay alive.
TEST(SorrelHarness, TimingChangesWhileOtherThreadsReadTheElement)
{
  GstElement* sorrel = gst_element_factory_make("sorrel", nullptr);
  ASSERT_NE(sorrel, nullptr);
  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done) {
      for (int k = 0; k < 100; ++k) {
        gint mode = -2, frames = -1;
        g_object_get(sorrel, "mode", &mode, "frames-analysed", &frames, nullptr);
        ASSERT_EQ(mode, GST_SORREL_MODE_UNDECIDED);
        ASSERT_EQ(frames, 0);
      }
      sorrel::DecodedResults results;
      EXPECT_EQ(QueryResults(sorrel, &results), GST_SORREL_OK);
    }
  });
  for (int k = 0; k < 20000; ++k) {
    gst_util_set_object_arg(G_OBJECT(sorrel), "timing", k % 2 ? "wall" : "stream");
  }
  done = true;
  reader.join();
  gint timing = -1;
  g_object_get(sorrel, "timing", &timing, nullptr);
  EXPECT_EQ(timing, GST_SORREL_TIMING_WALL);
  gst_object_unref(sorrel);
}

// Pushes the same recycled capture buffer twice; the second time the bytes at
// [1000, 1600) are not rewritten, as a driver that dropped those samples would leave them.
struct SharingCase
{
  const char* name;
  bool hold_reference; // upstream keeps a reference: the buffer is not writable
  bool share_memory;   // a second buffer shares the memory: mapping for writing copies it
  bool expect_warning;
  bool superwhite = false; // picture bytes of 255, which a marker scan would take as dropped
};

class SorrelSharing : public ::testing::TestWithParam<SharingCase>
{
};

TEST_P(SorrelSharing, MarkersReachOnlyTheRecycledBuffer)
{
  const SharingCase& c = GetParam();
  GstHarness* h = NewHarness("stream");
  GstBus* bus = gst_bus_new();
  gst_element_set_bus(h->element, bus);
  const std::string caps = RawCaps("YUY2", 720, 480);
  gst_harness_set_src_caps_str(h, caps.c_str());

  GstBuffer* model = MakeFrame(caps);
  const size_t size = gst_buffer_get_size(model);
  std::vector<uint8_t> picture(size);
  gst_buffer_extract(model, 0, picture.data(), size);
  gst_buffer_unref(model);
  if (c.superwhite) {
    std::fill(picture.begin() + 2000, picture.begin() + 2400, uint8_t(255));
  }
  GstBufferPool* pool = NewCapturePool(size);
  ASSERT_TRUE(pool != nullptr);
  const sorrel::ByteRange dropped{1000, 600};

  for (int use = 0; use < 2; ++use) {
    GstBuffer* capture = nullptr;
    ASSERT_EQ(gst_buffer_pool_acquire_buffer(pool, &capture, nullptr), GST_FLOW_OK);
    GstMapInfo map;
    ASSERT_TRUE(gst_buffer_map(capture, &map, GST_MAP_WRITE));
    sorrel::WriteFrame(picture, map.data, map.size,
                       use == 1 ? std::vector<sorrel::ByteRange>{dropped}
                                : std::vector<sorrel::ByteRange>{});
    gst_buffer_unmap(capture, &map);
    GST_BUFFER_PTS(capture) = use * GST_SECOND;
    GST_BUFFER_DURATION(capture) = GST_SECOND / 30;
    GstBuffer* kept = nullptr;
    GstBuffer* pushed = capture;
    if (c.hold_reference) {
      kept = gst_buffer_ref(capture);
    } else if (c.share_memory) {
      kept = capture;
      pushed = gst_buffer_copy(capture);
    }
    ASSERT_EQ(gst_harness_push(h, pushed), GST_FLOW_OK);
    gst_buffer_unref(gst_harness_pull(h));
    if (kept) {
      gst_buffer_unref(kept);
    }
  }
  EXPECT_EQ(FramesAnalysed(h), 2);
  EXPECT_TRUE(gst_harness_push_event(h, gst_event_new_eos()));

  int warnings = 0;
  int dropped_samples = -1;
  while (GstMessage* message = gst_bus_pop(bus)) {
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_WARNING) {
      ++warnings;
    }
    const GstStructure* s = gst_message_get_structure(message);
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ELEMENT && gst_structure_has_name(s, "sorrel")) {
      guint samples = 0;
      EXPECT_TRUE(gst_structure_get_uint(s, "dropped-samples", &samples));
      dropped_samples = int(samples);
      gint frames = 0;
      EXPECT_TRUE(gst_structure_get_int(s, "frames", &frames));
      EXPECT_EQ(frames, 2);
    }
    gst_message_unref(message);
  }
  EXPECT_EQ(warnings, c.expect_warning ? 1 : 0);
  // YUY2 holds one luma sample per two bytes; without the markers nothing is seen.
  EXPECT_EQ(dropped_samples, c.expect_warning ? 0 : int(dropped.length / 2));

  gst_buffer_pool_set_active(pool, FALSE);
  gst_object_unref(pool);
  gst_element_set_bus(h->element, nullptr);
  gst_object_unref(bus);
  gst_harness_teardown(h);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SorrelSharing,
    ::testing::Values(SharingCase{"recycled", false, false, false},
                      SharingCase{"referenced", true, false, true},
                      SharingCase{"shared_memory", false, true, true},
                      SharingCase{"referenced_superwhite", true, false, true, true},
                      SharingCase{"shared_superwhite", false, true, true, true}),
    [](const ::testing::TestParamInfo<SharingCase>& param) {
      return std::string(param.param.name);
    });

TEST(SorrelHarness, ErrorVisualisationPaintsDroppedSamplesRed)
{
  GstHarness* h = NewHarness("stream");
  gst_harness_set_sink_caps_str(h, "video/x-raw");
  const std::string caps = RawCaps("YUY2", 720, 480);
  gst_harness_set_src_caps_str(h, caps.c_str());
  GstBuffer* model = MakeFrame(caps);
  const size_t size = gst_buffer_get_size(model);
  std::vector<uint8_t> picture(size);
  gst_buffer_extract(model, 0, picture.data(), size);
  gst_buffer_unref(model);
  GstBufferPool* pool = NewCapturePool(size);
  ASSERT_TRUE(pool != nullptr);
  const sorrel::ByteRange dropped{2000, 400};

  std::vector<uint8_t> shown;
  for (int use = 0; use < 2; ++use) {
    GstBuffer* capture = nullptr;
    ASSERT_EQ(gst_buffer_pool_acquire_buffer(pool, &capture, nullptr), GST_FLOW_OK);
    GstMapInfo map;
    ASSERT_TRUE(gst_buffer_map(capture, &map, GST_MAP_WRITE));
    sorrel::WriteFrame(picture, map.data, map.size,
                       use == 1 ? std::vector<sorrel::ByteRange>{dropped}
                                : std::vector<sorrel::ByteRange>{});
    gst_buffer_unmap(capture, &map);
    ASSERT_EQ(gst_harness_push(h, capture), GST_FLOW_OK);
    GstBuffer* out = gst_harness_pull(h);
    shown.resize(gst_buffer_get_size(out));
    gst_buffer_extract(out, 0, shown.data(), shown.size());
    gst_buffer_unref(out);
  }
  EXPECT_EQ(Mode(h), GST_SORREL_MODE_ERROR_VISUALIZATION);
  ASSERT_EQ(shown.size(), size);
  // YUY2 bytes Y0 U Y1 V: luma, Cb, luma, Cr of the paint colour inside the drop.
  const uint8_t paint[4] = {82, 90, 82, 239};
  for (size_t i = 0; i < size; ++i) {
    const bool inside = i >= dropped.offset && i < dropped.offset + dropped.length;
    const uint8_t expected = inside ? paint[i % 4] : picture[i];
    if (shown[i] != expected) {
      ADD_FAILURE() << "byte " << i << " is " << int(shown[i]) << ", expected " << int(expected);
      break;
    }
  }
  gst_buffer_pool_set_active(pool, FALSE);
  gst_object_unref(pool);
  gst_harness_teardown(h);
}

// The summary posted at end of stream, after the messages before it are counted.
struct BusOutcome
{
  int warnings = 0;
  int errors = 0;
  gint frames = -1;
  guint dropped_samples = 0;
};

BusOutcome DrainBus(GstBus* bus)
{
  BusOutcome outcome;
  while (GstMessage* message = gst_bus_pop(bus)) {
    const GstStructure* s = gst_message_get_structure(message);
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_WARNING) {
      ++outcome.warnings;
    } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
      ++outcome.errors;
    } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ELEMENT &&
               gst_structure_has_name(s, "sorrel")) {
      gst_structure_get_int(s, "frames", &outcome.frames);
      gst_structure_get_uint(s, "dropped-samples", &outcome.dropped_samples);
    }
    gst_message_unref(message);
  }
  return outcome;
}

// A frame whose memory can't be mapped (a buffer handed over by file descriptor that cannot
// be mapped) is skipped: not analysed, not passed on, one warning, and the stream goes on.
TEST(SorrelHarness, UnreadableFrameIsSkippedAndTheStreamGoesOn)
{
  GstHarness* h = NewHarness("stream");
  GstBus* bus = gst_bus_new();
  gst_element_set_bus(h->element, bus);
  const std::string caps = RawCaps("YUY2", 160, 120);
  gst_harness_set_src_caps_str(h, caps.c_str());
  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);
  GstAllocator* fd_allocator = gst_fd_allocator_new();

  for (int k = 0; k < 4; ++k) {
    GstBuffer* buffer = MakeFrame(caps, k * GST_SECOND / 30);
    if (k == 1 || k == 2) {
      const gsize size = gst_buffer_get_size(buffer);
      gst_buffer_unref(buffer);
      buffer = gst_buffer_new();
      gst_buffer_append_memory(buffer, gst_fd_allocator_alloc(fd_allocator, dup(pipe_fds[0]), size,
                                                              GST_FD_MEMORY_FLAG_NONE));
      GST_BUFFER_PTS(buffer) = k * GST_SECOND / 30;
    }
    EXPECT_EQ(gst_harness_push(h, buffer), GST_FLOW_OK) << k;
  }
  EXPECT_EQ(gst_harness_buffers_received(h), 2u);
  EXPECT_EQ(FramesAnalysed(h), 2);
  EXPECT_TRUE(gst_harness_push_event(h, gst_event_new_eos()));
  const BusOutcome outcome = DrainBus(bus);
  EXPECT_EQ(outcome.errors, 0);
  EXPECT_EQ(outcome.warnings, 1);
  EXPECT_EQ(outcome.frames, 2);

  gst_object_unref(fd_allocator);
  close(pipe_fds[0]);
  close(pipe_fds[1]);
  gst_element_set_bus(h->element, nullptr);
  gst_object_unref(bus);
  gst_harness_teardown(h);
}

// A driver that pads its rows says so in the buffer's video meta: the frame is analysed
// through those strides (the padding is no dropped sample), and in error visualisation the
// picture goes out in the rows the output caps describe, the drop painted red.
TEST(SorrelHarness, RowsOfAVideoMetaAreAnalysedThroughTheirStrides)
{
  GstHarness* h = NewHarness("stream");
  GstBus* bus = gst_bus_new();
  gst_element_set_bus(h->element, bus);
  gst_harness_set_sink_caps_str(h, "video/x-raw");
  const int width = 160, height = 120;
  const std::string caps = RawCaps("YUY2", width, height);
  gst_harness_set_src_caps_str(h, caps.c_str());
  const gint row = width * 2, stride = row + 64;
  GstBuffer* model = MakeFrame(caps);
  std::vector<uint8_t> picture(gst_buffer_get_size(model));
  gst_buffer_extract(model, 0, picture.data(), picture.size());
  gst_buffer_unref(model);

  GstBufferPool* pool = NewCapturePool(size_t(stride * height));
  ASSERT_TRUE(pool != nullptr);
  const int drop_row = 10, drop_from = 40, drop_bytes = 20; // ten luma samples

  std::vector<uint8_t> shown;
  for (int use = 0; use < 3; ++use) {
    GstBuffer* capture = nullptr;
    ASSERT_EQ(gst_buffer_pool_acquire_buffer(pool, &capture, nullptr), GST_FLOW_OK);
    GstMapInfo map;
    ASSERT_TRUE(gst_buffer_map(capture, &map, GST_MAP_WRITE));
    if (use == 0) {
      std::memset(map.data, 255, map.size); // padding that reads as dropped if scanned
    }
    for (int y = 0; y < height; ++y) {
      for (int b = 0; b < row; ++b) {
        const bool dropped =
            use == 2 && y == drop_row && b >= drop_from && b < drop_from + drop_bytes;
        if (!dropped) {
          map.data[y * stride + b] = picture[size_t(y * row + b)];
        }
      }
    }
    gst_buffer_unmap(capture, &map);
    gsize offsets[GST_VIDEO_MAX_PLANES] = {0};
    gint strides[GST_VIDEO_MAX_PLANES] = {stride};
    if (!gst_buffer_get_video_meta(capture)) {
      gst_buffer_add_video_meta_full(capture, GST_VIDEO_FRAME_FLAG_NONE, GST_VIDEO_FORMAT_YUY2,
                                     width, height, 1, offsets, strides);
    }
    GST_BUFFER_PTS(capture) = use * GST_SECOND / 30;
    ASSERT_EQ(gst_harness_push(h, capture), GST_FLOW_OK);
    GstBuffer* out = gst_harness_pull(h);
    ASSERT_TRUE(out != nullptr);
    shown.resize(gst_buffer_get_size(out));
    gst_buffer_extract(out, 0, shown.data(), shown.size());
    gst_buffer_unref(out);
  }
  ASSERT_EQ(shown.size(), picture.size());
  const uint8_t paint[4] = {82, 90, 82, 239};
  for (size_t i = 0; i < shown.size(); ++i) {
    const size_t y = i / size_t(row), b = i % size_t(row);
    const bool inside = y == drop_row && b >= drop_from && b < drop_from + drop_bytes;
    const uint8_t expected = inside ? paint[i % 4] : picture[i];
    if (shown[i] != expected) {
      ADD_FAILURE() << "byte " << i << " is " << int(shown[i]) << ", expected " << int(expected);
      break;
    }
  }
  EXPECT_TRUE(gst_harness_push_event(h, gst_event_new_eos()));
  const BusOutcome outcome = DrainBus(bus);
  EXPECT_EQ(outcome.frames, 3);
  EXPECT_EQ(outcome.dropped_samples, guint(drop_bytes / 2));
  EXPECT_EQ(outcome.warnings, 0);

  gst_buffer_pool_set_active(pool, FALSE);
  gst_object_unref(pool);
  gst_element_set_bus(h->element, nullptr);
  gst_object_unref(bus);
  gst_harness_teardown(h);
}

TEST(SorrelHarness, LastBlockIsWrittenToResultsLocationAtEndOfStream)
{
  gchar* dir = g_dir_make_tmp("sorrel-results-XXXXXX", nullptr);
  ASSERT_TRUE(dir != nullptr);
  gchar* location = g_build_filename(dir, "results.bin", nullptr);
  GstHarness* h = NewHarness("stream");
  g_object_set(h->element, "results-location", location, nullptr);
  const std::string caps = RawCaps("I420", 352, 288, "25/1");
  gst_harness_set_src_caps_str(h, caps.c_str());
  ASSERT_EQ(gst_harness_push(h, MakeFrame(caps)), GST_FLOW_OK);
  gst_buffer_unref(gst_harness_pull(h));
  EXPECT_TRUE(gst_harness_push_event(h, gst_event_new_eos()));

  gchar* contents = nullptr;
  gsize length = 0;
  ASSERT_TRUE(g_file_get_contents(location, &contents, &length, nullptr));
  sorrel::DecodedResults results;
  std::string error;
  ASSERT_TRUE(sorrel::DecodeResultsBlock(reinterpret_cast<const uint8_t*>(contents), length,
                                         &results, &error))
      << error;
  EXPECT_EQ(results.fourcc, "I420");
  EXPECT_EQ(results.width, 352);
  EXPECT_EQ(results.flags & blk::kPhaseMask, blk::PHASE_STARTUP);
  g_free(contents);
  gst_harness_teardown(h);

  g_unlink(location);
  g_rmdir(dir);
  g_free(location);
  g_free(dir);
}

TEST(SorrelHarness, BadResultsLocationIsAWarningNotACrash)
{
  GstHarness* h = NewHarness();
  GstBus* bus = gst_bus_new();
  gst_element_set_bus(h->element, bus);
  g_object_set(h->element, "results-location", "/nonexistent-folder/results.bin", nullptr);
  const std::string caps = RawCaps("YUY2", 720, 480);
  gst_harness_set_src_caps_str(h, caps.c_str());
  EXPECT_TRUE(gst_harness_push_event(h, gst_event_new_eos()));
  GstMessage* warning = gst_bus_pop_filtered(bus, GST_MESSAGE_WARNING);
  ASSERT_TRUE(warning != nullptr);
  gst_message_unref(warning);
  gst_element_set_bus(h->element, nullptr);
  gst_object_unref(bus);
  gst_harness_teardown(h);
}

} // namespace

int main(int argc, char** argv)
{
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new testsupport::GstEnvironment);
  return RUN_ALL_TESTS();
}
