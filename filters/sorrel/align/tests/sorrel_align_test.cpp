// sorrelalign in a GstHarness: every private sample becomes one zero-padded picture of
// 512x232 grey with the sample's bytes first, at the sample's frame rate and timestamps.
#include "gst_test_support.h"

#include <gst/check/gstharness.h>
#include <gst/video/video.h>

#include <string>
#include <vector>

namespace {

constexpr gsize kPicture = 512 * 232;
constexpr gsize kSample = 117453; // a sorrel data-rate sample

GstBuffer* PatternBuffer(gsize size, std::vector<guint8>* bytes)
{
  bytes->resize(size);
  for (gsize i = 0; i < size; ++i) {
    (*bytes)[i] = guint8(1 + i * 7 % 251); // never 0, so padding stands out
  }
  return gst_buffer_new_memdup(bytes->data(), size);
}

TEST(SorrelAlign, LabelsSamplesAsGreyPicturesAtTheirFrameRate)
{
  for (auto [rate_n, rate_d] : {std::pair{30000, 1001}, std::pair{25, 1}}) {
    SCOPED_TRACE(std::to_string(rate_n) + "/" + std::to_string(rate_d));
    GstHarness* h = gst_harness_new("sorrelalign");
    const std::string caps =
        "video/x-cait,framerate=" + std::to_string(rate_n) + "/" + std::to_string(rate_d);
    gst_harness_set_src_caps_str(h, caps.c_str());
    std::vector<guint8> bytes;
    ASSERT_EQ(gst_harness_push(h, PatternBuffer(kSample, &bytes)), GST_FLOW_OK);
    GstBuffer* out = gst_harness_pull(h);
    ASSERT_TRUE(out != nullptr);
    gst_buffer_unref(out);

    GstCaps* negotiated = gst_pad_get_current_caps(h->sinkpad);
    ASSERT_TRUE(negotiated != nullptr);
    GstVideoInfo info;
    ASSERT_TRUE(gst_video_info_from_caps(&info, negotiated));
    EXPECT_EQ(GST_VIDEO_INFO_FORMAT(&info), GST_VIDEO_FORMAT_GRAY8);
    EXPECT_EQ(GST_VIDEO_INFO_WIDTH(&info), 512);
    EXPECT_EQ(GST_VIDEO_INFO_HEIGHT(&info), 232);
    EXPECT_EQ(GST_VIDEO_INFO_SIZE(&info), kPicture); // no padded rows: the picture is the chunk
    EXPECT_EQ(kPicture % 2048, 0u);
    EXPECT_EQ(GST_VIDEO_INFO_FPS_N(&info), rate_n);
    EXPECT_EQ(GST_VIDEO_INFO_FPS_D(&info), rate_d);
    gst_caps_unref(negotiated);
    gst_harness_teardown(h);
  }
}

TEST(SorrelAlign, PadsEachSampleWithZerosAndKeepsItsBytesAndTimes)
{
  GstHarness* h = gst_harness_new("sorrelalign");
  gst_harness_set_src_caps_str(h, "video/x-cait,framerate=30000/1001");
  // A full sample, a short one (small input frames), one that fills the picture exactly.
  const gsize sizes[] = {kSample, 38400, kPicture, 1};
  for (gsize i = 0; i < G_N_ELEMENTS(sizes); ++i) {
    SCOPED_TRACE(sizes[i]);
    std::vector<guint8> bytes;
    GstBuffer* in = PatternBuffer(sizes[i], &bytes);
    GST_BUFFER_PTS(in) = i * 33366667;
    GST_BUFFER_DURATION(in) = 33366667;
    ASSERT_EQ(gst_harness_push(h, in), GST_FLOW_OK);
    GstBuffer* out = gst_harness_pull(h);
    ASSERT_TRUE(out != nullptr);
    EXPECT_EQ(GST_BUFFER_PTS(out), i * 33366667);
    EXPECT_EQ(GST_BUFFER_DURATION(out), 33366667u);
    GstMapInfo map;
    ASSERT_TRUE(gst_buffer_map(out, &map, GST_MAP_READ));
    EXPECT_EQ(map.size, kPicture);
    EXPECT_EQ(std::vector<guint8>(map.data, map.data + std::min(map.size, sizes[i])), bytes);
    gsize padding_nonzero = 0;
    for (gsize b = sizes[i]; b < map.size; ++b) {
      padding_nonzero += map.data[b] != 0 ? 1 : 0;
    }
    EXPECT_EQ(padding_nonzero, 0u);
    gst_buffer_unmap(out, &map);
    gst_buffer_unref(out);
  }
  gst_harness_teardown(h);
}

TEST(SorrelAlign, RefusesASampleLargerThanThePicture)
{
  GstHarness* h = gst_harness_new("sorrelalign");
  gst_harness_set_src_caps_str(h, "video/x-cait,framerate=30000/1001");
  std::vector<guint8> bytes;
  EXPECT_EQ(gst_harness_push(h, PatternBuffer(kPicture + 1, &bytes)), GST_FLOW_ERROR);
  EXPECT_EQ(gst_harness_buffers_received(h), 0u);
  gst_harness_teardown(h);
}

TEST(SorrelAlign, TakesOnlyPrivateSamples)
{
  GstHarness* h = gst_harness_new("sorrelalign");
  gst_harness_set_src_caps_str(h, "video/x-raw,format=GRAY8,width=512,height=232,framerate=25/1");
  std::vector<guint8> bytes;
  EXPECT_EQ(gst_harness_push(h, PatternBuffer(kPicture, &bytes)), GST_FLOW_NOT_NEGOTIATED);
  gst_harness_teardown(h);
}

} // namespace

int main(int argc, char** argv)
{
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new testsupport::GstEnvironment);
  return RUN_ALL_TESTS();
}
