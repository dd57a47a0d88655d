// End-to-end runs of simulated captures through sorrel: a healthy NTSC capture, captures
// with dropped samples on both sides of each threshold, orientation faults, the data-rate
// graph writing its media file, and the demo graph files.
#include "gst_test_support.h"

#include "sorrel/results_block.h"
#include "testsupport/tempfolder.h"

#include <gst/pbutils/pbutils.h>

#include <glib/gstdio.h>

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using sorrel_test::QueryResults;
using sorrel_test::StatusOf;
namespace blk = sorrel::block;

constexpr int kFrames = 1000; // over 30 s of NTSC stream time: a full snapshot

// Runs in a private folder, since the results call looks at "./vb test media output.avi".
class PrivateFolder
{
public:
  const gchar* path() const { return m_folder.Path().c_str(); }

private:
  testsupport::TempFolder m_folder;
  testsupport::CurrentFolder m_current{m_folder.Path()};
};

struct RunOutcome
{
  sorrel::DecodedResults configuration;
  sorrel::DecodedResults final;
  GstStructure* summary = nullptr; // the element message at end of stream
  std::string error;
  ~RunOutcome()
  {
    if (summary) {
      gst_structure_free(summary);
    }
  }
};

// Builds the description, takes the configuration snapshot as the video test component does
// before running (unless the element runs on its own, as in gst-launch-1.0), plays to the end
// of the stream and takes the final snapshot.
void RunCapture(const std::string& description, RunOutcome* outcome, bool ask_first = true)
{
  GError* error = nullptr;
  GstElement* pipeline =
      gst_parse_launch_full(description.c_str(), nullptr, GST_PARSE_FLAG_FATAL_ERRORS, &error);
  if (!pipeline || error) {
    outcome->error = error ? error->message : "no pipeline";
    if (error) {
      g_error_free(error);
    }
    if (pipeline) {
      gst_object_unref(pipeline);
    }
    return;
  }
  GstElement* sorrel = gst_bin_get_by_name(GST_BIN(pipeline), "Analog In Test");
  EXPECT_TRUE(sorrel != nullptr);
  if (ask_first) {
    EXPECT_EQ(QueryResults(sorrel, &outcome->configuration), GST_SORREL_OK);
  }

  GstBus* bus = gst_element_get_bus(pipeline);
  // A refused start shows up as the error message on the bus.
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  for (;;) {
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, 120 * GST_SECOND,
        GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR | GST_MESSAGE_ELEMENT));
    if (!message) {
      outcome->error = "no end of stream";
      break;
    }
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    if (type == GST_MESSAGE_ELEMENT &&
        gst_structure_has_name(gst_message_get_structure(message), "sorrel")) {
      outcome->summary = gst_structure_copy(gst_message_get_structure(message));
    } else if (type == GST_MESSAGE_ERROR) {
      GError* err = nullptr;
      gst_message_parse_error(message, &err, nullptr);
      outcome->error = err->message;
      g_error_free(err);
    }
    gst_message_unref(message);
    if (type != GST_MESSAGE_ELEMENT) {
      break;
    }
  }
  gst_element_set_state(pipeline, GST_STATE_NULL);
  EXPECT_EQ(QueryResults(sorrel, &outcome->final), GST_SORREL_OK);
  gst_object_unref(bus);
  gst_object_unref(sorrel);
  gst_object_unref(pipeline);
}

// Pattern searches need full-size frames; drop counting is the same on smaller ones.
std::string Capture(const std::string& source_options, int width = 720, int height = 480,
                    int frames = kFrames)
{
  return "sorrelsim is-live=false num-buffers=" + std::to_string(frames) +
         " width=" + std::to_string(width) + " height=" + std::to_string(height) + " " +
         source_options + " ! video/x-raw,format=YUY2,width=" + std::to_string(width) +
         ",height=" + std::to_string(height) +
         " ! sorrel name=\"Analog In Test\" timing=stream ! fakesink";
}

// The drop list of the simulator: `bytes` left unwritten at offset 4000 of each frame.
std::string DropsAt(const std::vector<int>& frames, size_t bytes)
{
  std::string drops;
  for (int frame : frames) {
    drops += (drops.empty() ? "" : ",") + std::to_string(frame) + ":4000:" + std::to_string(bytes);
  }
  return "drops=\"" + drops + "\"";
}

TEST(SorrelPipeline, HealthyNtscCapturePassesEveryMeasuredGroup)
{
  PrivateFolder folder;
  RunOutcome run;
  RunCapture(Capture(""), &run);
  ASSERT_EQ(run.error, "");

  EXPECT_EQ(run.configuration.flags & blk::kPhaseMask, blk::PHASE_CONFIGURATION);
  EXPECT_TRUE(run.configuration.flags & blk::FLAG_CONFIG_OK);
  for (int item = 1; item <= 4; ++item) {
    SCOPED_TRACE(item);
    EXPECT_EQ(StatusOf(run.configuration, 1, item), blk::STATUS_PASSED);
  }

  EXPECT_EQ(run.final.flags & blk::kPhaseMask, blk::PHASE_FULL);
  for (const sorrel::AssertionRecord& a : run.final.assertions) {
    SCOPED_TRACE(std::to_string(a.group) + "." + std::to_string(a.item));
    if (a.status == blk::STATUS_TEXT) {
      continue;
    }
    // No media file in this folder: the data-rate assertion can't be measured.
    EXPECT_EQ(a.status, a.group == 3 ? blk::STATUS_NOT_TESTED : blk::STATUS_PASSED);
  }
  ASSERT_TRUE(run.summary != nullptr);
  gint frames = 0, dropped_frames = -1;
  EXPECT_TRUE(gst_structure_get_int(run.summary, "frames", &frames));
  EXPECT_TRUE(gst_structure_get_int(run.summary, "dropped-frames", &dropped_frames));
  EXPECT_EQ(frames, kFrames);
  EXPECT_EQ(dropped_frames, 0);
  EXPECT_EQ(sorrel_test::StructureString(run.summary, "phase"), "full");
  EXPECT_EQ(sorrel_test::StructureString(run.summary, "assertion-2.2"), "passed");
}

TEST(SorrelPipeline, OffNominalFrameRatesAreJudgedByTheFullSnapshot)
{
  struct Case
  {
    const char* rate;
    int status_2_2;
  };
  const std::vector<Case> cases = {
      {"2993/100", blk::STATUS_WARNING}, // 0.13% slow
      {"299/10", blk::STATUS_FAILED},    // 0.23% slow
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    PrivateFolder folder;
    RunOutcome run;
    RunCapture(Capture(std::string("frame-rate=") + c.rate), &run);
    ASSERT_EQ(run.error, "");
    EXPECT_EQ(run.configuration.frameTimeMs, 33);
    EXPECT_EQ(run.final.flags & blk::kPhaseMask, blk::PHASE_FULL);
    EXPECT_EQ(StatusOf(run.final, 2, 2), c.status_2_2);
  }
}

TEST(SorrelPipeline, InjectedDropsAreJudgedAgainstEachThreshold)
{
  struct Case
  {
    int frames_with_drops; // every 50th frame from frame 100 on
    size_t bytes;          // YUY2 bytes left unwritten at offset 4000 of each such frame
    int status_2_3, status_2_4, status_2_6, status_2_7;
  };
  const int P = blk::STATUS_PASSED, W = blk::STATUS_WARNING, F = blk::STATUS_FAILED;
  const std::vector<Case> cases = {
      {7, 32, P, P, P, P},  // runs of 16 samples, 16 per frame: nothing counts as dropped
      {7, 36, W, P, F, F},  // runs of 18: each frame counts as dropped, 7 > 6 in the run
      {7, 200, W, P, F, F}, // 100 samples in a frame still pass 2.4
      {7, 204, W, W, F, F}, // 102 fail it
      {3, 600, W, W, P, P}, // 3 dropped frames in the first minute are allowed
      {6, 600, W, W, F, P}, // 6 pass the run's limit but not the minute's
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.frames_with_drops) + " x " + std::to_string(c.bytes));
    std::vector<int> frames;
    for (int i = 0; i < c.frames_with_drops; ++i) {
      frames.push_back(100 + 50 * i);
    }
    PrivateFolder folder;
    RunOutcome run;
    RunCapture(Capture("pattern=flat " + DropsAt(frames, c.bytes), 352, 240), &run);
    ASSERT_EQ(run.error, "");
    EXPECT_EQ(StatusOf(run.final, 2, 3), c.status_2_3);
    EXPECT_EQ(StatusOf(run.final, 2, 4), c.status_2_4);
    EXPECT_EQ(StatusOf(run.final, 2, 6), c.status_2_6);
    EXPECT_EQ(StatusOf(run.final, 2, 7), c.status_2_7);
    ASSERT_TRUE(run.summary != nullptr);
    guint samples = 0;
    EXPECT_TRUE(gst_structure_get_uint(run.summary, "dropped-samples", &samples));
    EXPECT_EQ(samples, guint(c.frames_with_drops * c.bytes / 2)); // one luma sample in 2 bytes
    gint dropped_frames = -1;
    EXPECT_TRUE(gst_structure_get_int(run.summary, "dropped-frames", &dropped_frames));
    EXPECT_EQ(dropped_frames, c.status_2_3 == W ? c.frames_with_drops : 0);
  }
}

// More than two dropped frames within half a second of capture fail 2.5; the same drops
// spread wider do not.
TEST(SorrelPipeline, DroppedFramesCloseTogetherFailTheHalfSecondAssertion)
{
  struct Case
  {
    std::vector<int> frames;
    int events;
  };
  for (const Case& c : {Case{{100, 105, 110}, 1}, Case{{100, 116, 132}, 0}}) {
    SCOPED_TRACE(c.events);
    PrivateFolder folder;
    RunOutcome run;
    RunCapture(Capture("pattern=flat " + DropsAt(c.frames, 600), 352, 240), &run);
    ASSERT_EQ(run.error, "");
    EXPECT_EQ(StatusOf(run.final, 2, 5), c.events ? blk::STATUS_FAILED : blk::STATUS_PASSED);
    const std::string line =
        "\tFrames dropped within one half second " + std::to_string(c.events) + " times";
    bool found = false;
    for (const sorrel::DiagnosticRecord& d : run.final.diagnostics) {
      found = found || (d.group == 2 && d.item == 5 && d.text == line);
    }
    EXPECT_TRUE(found) << line;
    EXPECT_EQ(StatusOf(run.final, 2, 6), blk::STATUS_PASSED) << "three drops in the minute";
  }
}

// The element on its own (no results call before streaming, as gst-launch-1.0 runs it) counts
// dropped frames in their minute from the negotiated frame rate, so four in the first minute
// fail 2.6. The perfectly timed stream measures its own rate.
TEST(SorrelPipeline, StandAloneElementCountsDroppedFramesPerMinute)
{
  PrivateFolder folder;
  RunOutcome run;
  RunCapture(Capture("pattern=flat " + DropsAt({100, 200, 300, 400}, 600), 352, 240), &run, false);
  ASSERT_EQ(run.error, "");
  ASSERT_TRUE(run.summary != nullptr);
  gint dropped_frames = -1;
  EXPECT_TRUE(gst_structure_get_int(run.summary, "dropped-frames", &dropped_frames));
  EXPECT_EQ(dropped_frames, 4);
  EXPECT_EQ(sorrel_test::StructureString(run.summary, "assertion-2.6"), "failed");
  EXPECT_EQ(sorrel_test::StructureString(run.summary, "assertion-2.7"), "passed");
  EXPECT_EQ(StatusOf(run.final, 2, 6), blk::STATUS_FAILED);
  bool rate_line = false;
  for (const sorrel::DiagnosticRecord& d : run.final.diagnostics) {
    rate_line = rate_line || d.text == "\tMeasured frame rate during test was 29.970fps";
  }
  EXPECT_TRUE(rate_line);
}

// Frames whose rows GStreamer pads (I420 at 100 pixels: chroma rows of 50 samples in 52
// bytes) are analysed through their strides; the padding is no dropped sample.
TEST(SorrelPipeline, PaddedRowsFromARealSourceAreAnalysed)
{
  PrivateFolder folder;
  RunOutcome run;
  RunCapture("videotestsrc num-buffers=200 pattern=smpte ! "
             "video/x-raw,format=I420,width=100,height=80,framerate=30000/1001 ! "
             "sorrel name=\"Analog In Test\" timing=stream ! fakesink",
             &run);
  ASSERT_EQ(run.error, "");
  ASSERT_TRUE(run.summary != nullptr);
  gint frames = 0;
  guint samples = 1;
  EXPECT_TRUE(gst_structure_get_int(run.summary, "frames", &frames));
  EXPECT_TRUE(gst_structure_get_uint(run.summary, "dropped-samples", &samples));
  EXPECT_EQ(frames, 200);
  EXPECT_EQ(samples, 0u);
}

TEST(SorrelPipeline, OrientationFaultsFailTheImageOrderAssertions)
{
  struct Case
  {
    const char* options;
    int status_4_3, status_4_4;
  };
  const int P = blk::STATUS_PASSED, F = blk::STATUS_FAILED;
  const std::vector<Case> cases = {
      {"pattern=smpte", P, P},
      {"pattern=smpte flipped=true", F, P},
      {"pattern=smpte fields-swapped=true", P, F},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    PrivateFolder folder;
    RunOutcome run;
    // At 10 frames a second, 400 frames reach the full snapshot and three bar searches.
    RunCapture(Capture(std::string(c.options) + " frame-rate=10/1", 720, 480, 400), &run);
    ASSERT_EQ(run.error, "");
    EXPECT_EQ(StatusOf(run.final, 4, 3), c.status_4_3);
    EXPECT_EQ(StatusOf(run.final, 4, 4), c.status_4_4);
  }
}

TEST(SorrelPipeline, TooSmallCaptureFailsToLink)
{
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch_full("sorrelsim width=64 height=48 ! sorrel ! fakesink",
                                               nullptr, GST_PARSE_FLAG_FATAL_ERRORS, &error);
  EXPECT_TRUE(error != nullptr);
  if (error) {
    EXPECT_EQ(error->domain, GST_PARSE_ERROR);
    g_error_free(error);
  }
  if (pipeline) {
    gst_object_unref(pipeline);
  }
}

TEST(SorrelPipeline, BadDropListIsAClearError)
{
  PrivateFolder folder;
  RunOutcome run;
  RunCapture(Capture("drops=\"12:abc:4\""), &run);
  EXPECT_NE(run.error.find("12:abc:4"), std::string::npos) << run.error;
}

std::string GraphFolder()
{
  const char* source = std::getenv("HALVEX_SOURCE_DIR");
  return std::string(source ? source : ".") + "/share/graphs";
}

// A graph file's description: its lines without the comment lines.
std::string ReadGraph(const std::string& path)
{
  std::ifstream in(path);
  std::string line, description;
  while (std::getline(in, line)) {
    if (line.find_first_not_of(" \t") == std::string::npos ||
        line[line.find_first_not_of(" \t")] == '#') {
      continue;
    }
    description += line + "\n";
  }
  return description;
}

TEST(SorrelPipeline, EveryDemoGraphBuildsWithTheTestFilter)
{
  std::vector<std::string> names;
  DIR* dir = opendir(GraphFolder().c_str());
  ASSERT_TRUE(dir != nullptr) << GraphFolder();
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() > 4 && name.substr(name.size() - 4) == ".GRF") {
      names.push_back(name);
    }
  }
  closedir(dir);
  for (const char* wanted : {"vb Custom YUY2 720 NTSC.GRF", "vb Custom YUY2 720 PAL.GRF"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), wanted), names.end()) << wanted;
  }
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch_full(ReadGraph(GraphFolder() + "/" + name).c_str(),
                                                 nullptr, GST_PARSE_FLAG_FATAL_ERRORS, &error);
    EXPECT_TRUE(error == nullptr) << error->message;
    if (error) {
      g_error_free(error);
    }
    ASSERT_TRUE(pipeline != nullptr);
    GstElement* sorrel = gst_bin_get_by_name(GST_BIN(pipeline), "Analog In Test");
    ASSERT_TRUE(sorrel != nullptr);
    GstElementFactory* factory = gst_element_get_factory(sorrel);
    EXPECT_STREQ(GST_OBJECT_NAME(factory), "sorrel");
    gst_object_unref(sorrel);
    gst_object_unref(pipeline);
  }
}

// Called on the streaming thread with sorrel and the number of each frame that reaches it.
using FrameHook = std::function<void(GstElement* sorrel, guint64 frame)>;

// Plays a data-rate graph file made finite and non-live: `frames` video frames and audio
// buffers of 1024 samples at 44100 Hz over the same stream time, timed by the stream. Takes
// the configuration snapshot before it runs; returns sorrel (the caller unrefs it), or null.
GstElement* PlayDataRateGraph(const std::string& graph, int frames, FrameHook on_frame = {})
{
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch_full(ReadGraph(GraphFolder() + "/" + graph).c_str(),
                                               nullptr, GST_PARSE_FLAG_FATAL_ERRORS, &error);
  EXPECT_TRUE(error == nullptr) << error->message;
  if (error || !pipeline) {
    if (error) {
      g_error_free(error);
    }
    if (pipeline) {
      gst_object_unref(pipeline);
    }
    return nullptr;
  }
  const guint64 audio_buffers =
      (guint64(frames) * 1001 * 44100 + 30000 * 1024 - 1) / (guint64(30000) * 1024);
  GstIterator* sources = gst_bin_iterate_sources(GST_BIN(pipeline));
  GValue item = G_VALUE_INIT;
  while (gst_iterator_next(sources, &item) == GST_ITERATOR_OK) {
    GstElement* source = GST_ELEMENT(g_value_get_object(&item));
    const bool video = g_str_has_prefix(GST_OBJECT_NAME(source), "sorrelsim");
    g_object_set(source, "is-live", FALSE, "num-buffers", video ? frames : gint(audio_buffers),
                 nullptr);
    g_value_reset(&item);
  }
  g_value_unset(&item);
  gst_iterator_free(sources);
  GstElement* sorrel = gst_bin_get_by_name(GST_BIN(pipeline), "Analog In Test");
  EXPECT_TRUE(sorrel != nullptr);
  if (!sorrel) {
    gst_object_unref(pipeline);
    return nullptr;
  }
  gst_util_set_object_arg(G_OBJECT(sorrel), "timing", "stream");
  sorrel::DecodedResults configuration;
  EXPECT_EQ(QueryResults(sorrel, &configuration), GST_SORREL_OK);
  struct Hook
  {
    FrameHook call;
    guint64 frames = 0;
  } hook{std::move(on_frame)};
  if (hook.call) {
    GstPad* src = gst_element_get_static_pad(sorrel, "src");
    gst_pad_add_probe(
        src, GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad* pad, GstPadProbeInfo*, gpointer data) {
          Hook* h = static_cast<Hook*>(data);
          GstElement* element = gst_pad_get_parent_element(pad);
          h->call(element, h->frames++);
          gst_object_unref(element);
          return GST_PAD_PROBE_OK;
        },
        &hook, nullptr);
    gst_object_unref(src);
  }

  EXPECT_NE(gst_element_set_state(pipeline, GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
  GstBus* bus = gst_element_get_bus(pipeline);
  GstMessage* done = gst_bus_timed_pop_filtered(
      bus, 300 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  EXPECT_TRUE(done != nullptr);
  if (done) {
    EXPECT_EQ(GST_MESSAGE_TYPE(done), GST_MESSAGE_EOS);
    gst_message_unref(done);
  }
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(bus);
  gst_object_unref(pipeline);
  gint mode = -2;
  g_object_get(sorrel, "mode", &mode, nullptr);
  EXPECT_EQ(mode, GST_SORREL_MODE_DATA_RATE);
  return sorrel;
}

// The lines the results call gives for assertion group.item.
std::vector<std::string> LinesOf(const sorrel::DecodedResults& results, int group, int item)
{
  std::vector<std::string> lines;
  for (const sorrel::DiagnosticRecord& d : results.diagnostics) {
    if (d.group == group && d.item == item) {
      lines.push_back(d.text);
    }
  }
  return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(SorrelPipeline, DataRateGraphsWriteAnAviThatTheResultsCallMeasures)
{
  for (const char* graph : {"vb Custom YUY2 720 NTSC.GRF", "vb Custom UYVY 720 NTSC.GRF",
                            "vb Custom I420 720 NTSC.GRF"}) {
    SCOPED_TRACE(graph);
    PrivateFolder folder;
    GstElement* sorrel = PlayDataRateGraph(graph, kFrames);
    ASSERT_TRUE(sorrel != nullptr);

    // A plain AVI with the stored samples, as aligned grey pictures, and the audio.
    const std::string file = std::string(folder.path()) + "/vb test media output.avi";
    struct stat info
    {
    };
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    GError* error = nullptr;
    gchar* uri = gst_filename_to_uri(file.c_str(), nullptr);
    GstDiscoverer* discoverer = gst_discoverer_new(30 * GST_SECOND, nullptr);
    ASSERT_TRUE(discoverer != nullptr);
    GstDiscovererInfo* discovered = gst_discoverer_discover_uri(discoverer, uri, &error);
    ASSERT_TRUE(discovered != nullptr);
    EXPECT_EQ(gst_discoverer_info_get_result(discovered), GST_DISCOVERER_OK);
    GList* video = gst_discoverer_info_get_video_streams(discovered);
    GList* audio = gst_discoverer_info_get_audio_streams(discovered);
    ASSERT_EQ(g_list_length(video), 1u);
    EXPECT_EQ(g_list_length(audio), 1u);
    auto* picture = GST_DISCOVERER_VIDEO_INFO(video->data);
    EXPECT_EQ(gst_discoverer_video_info_get_width(picture), 512u);
    EXPECT_EQ(gst_discoverer_video_info_get_height(picture), 232u);
    gst_discoverer_stream_info_list_free(video);
    gst_discoverer_stream_info_list_free(audio);
    gst_discoverer_info_unref(discovered);
    g_object_unref(discoverer);
    g_free(uri);
    if (error) {
      g_error_free(error);
    }
    // Every frame stored as a whole number of 2048-byte chunks (plus the chunk headers).
    EXPECT_GE(info.st_size, gint64(kFrames) * 118784);

    // Half a minute of data is far from the size three minutes must reach; the call
    // reports the size it found and removes the file.
    sorrel::DecodedResults final;
    ASSERT_EQ(QueryResults(sorrel, &final), GST_SORREL_OK);
    EXPECT_EQ(final.flags & blk::kPhaseMask, blk::PHASE_FULL);
    EXPECT_EQ(StatusOf(final, 3, 1), blk::STATUS_FAILED);
    const std::string size_line =
        "\tMedia file size was " + std::to_string(info.st_size) + " bytes";
    EXPECT_TRUE(Contains(LinesOf(final, 3, 1), size_line)) << size_line;
    EXPECT_NE(stat(file.c_str(), &info), 0);
    gst_object_unref(sorrel);
  }
}

// A results call while the graph still writes the media file judges it but leaves it: the
// writer holds it open, and removing it would lose the capture. The call after the stop
// measures the whole file and removes it.
TEST(SorrelPipeline, MediaFileIsRemovedOnlyAfterTheGraphStopped)
{
  PrivateFolder folder;
  const std::string file = std::string(folder.path()) + "/vb test media output.avi";
  sorrel::DecodedResults running;
  bool kept_while_running = false;
  GstElement* sorrel =
      PlayDataRateGraph("vb Custom YUY2 720 NTSC.GRF", kFrames, [&](GstElement* e, guint64 n) {
        if (n == guint64(kFrames) - 20) {
          QueryResults(e, &running);
          kept_while_running = g_file_test(file.c_str(), G_FILE_TEST_EXISTS);
        }
      });
  ASSERT_TRUE(sorrel != nullptr);
  EXPECT_EQ(running.flags & blk::kPhaseMask, blk::PHASE_FULL);
  EXPECT_TRUE(kept_while_running);
  struct stat info
  {
  };
  ASSERT_EQ(stat(file.c_str(), &info), 0) << "the capture was lost";
  EXPECT_GE(info.st_size, gint64(kFrames) * 118784);

  sorrel::DecodedResults final;
  ASSERT_EQ(QueryResults(sorrel, &final), GST_SORREL_OK);
  const std::string size_line = "\tMedia file size was " + std::to_string(info.st_size) + " bytes";
  EXPECT_TRUE(Contains(LinesOf(final, 3, 1), size_line)) << size_line;
  EXPECT_NE(stat(file.c_str(), &info), 0) << "left behind after the stop";
  gst_object_unref(sorrel);
}

// Three minutes of healthy NTSC capture (5395 frames, 180 s of stream time), as the video
// test runs it: the stored file reaches the size the data-rate assertion asks for.
TEST(SorrelPipeline, DataRateGraphPassesOverThreeMinutes)
{
  PrivateFolder folder;
  GstElement* sorrel = PlayDataRateGraph("vb Custom YUY2 720 NTSC.GRF", 5395);
  ASSERT_TRUE(sorrel != nullptr);
  const std::string file = std::string(folder.path()) + "/vb test media output.avi";
  struct stat info
  {
  };
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_GE(info.st_size, 666000000);

  sorrel::DecodedResults final;
  ASSERT_EQ(QueryResults(sorrel, &final), GST_SORREL_OK);
  EXPECT_EQ(final.flags & blk::kPhaseMask, blk::PHASE_FULL);
  EXPECT_EQ(StatusOf(final, 3, 1), blk::STATUS_PASSED);
  const std::vector<std::string> lines = LinesOf(final, 3, 1);
  EXPECT_TRUE(Contains(lines, "\tMedia file size was " + std::to_string(info.st_size) + " bytes"));
  double megabytes_per_second = 0;
  for (const std::string& line : lines) {
    std::sscanf(line.c_str(), "\tMedia file averaged %lfMB/s", &megabytes_per_second);
  }
  EXPECT_GE(megabytes_per_second, 3.7);
  // The rest of a healthy capture passes too.
  for (auto [group, item] :
       {std::pair{2, 2}, std::pair{2, 3}, std::pair{2, 4}, std::pair{2, 6}, std::pair{2, 7},
        std::pair{4, 3}, std::pair{4, 4}, std::pair{5, 1}, std::pair{5, 2}}) {
    EXPECT_EQ(StatusOf(final, group, item), blk::STATUS_PASSED) << group << "." << item;
  }
  EXPECT_NE(stat(file.c_str(), &info), 0);
  gst_object_unref(sorrel);
}

} // namespace

int main(int argc, char** argv)
{
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new testsupport::GstEnvironment);
  return RUN_ALL_TESTS();
}
