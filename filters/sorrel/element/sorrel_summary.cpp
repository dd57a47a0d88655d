// Snapshots for the end-of-stream summary and the results file.
#include "sorrel_summary.h"

#include "sorrel/results_block.h"
#include "sorrel/results_report.h"
#include "sorrel/verdicts.h"

#include <cstring>
#include <string>

namespace gst_sorrel {

std::vector<uint8_t> TakeSnapshot(sorrel::CAnalogInTest& core)
{
  using namespace sorrel::block;
  std::vector<uint8_t> block(kBlockSize, 0);
  uint8_t* out = block.data();
  const sorrel::Measurements m = core.ReadMeasurements();
  WriteInt32(out, kOffsetVersion, kVersion);
  WriteInt32(out, kOffsetFrameTimeMs, m.frameTimeMs);
  WriteText(out, kOffsetStandardName, kStandardNameSize,
            m.frameTimeMs == 33   ? "NTSC"
            : m.frameTimeMs == 40 ? "PAL/SECAM"
                                  : "UNKNOWN");
  WriteInt32(out, kOffsetWidth, m.width);
  WriteInt32(out, kOffsetHeight, m.height);
  std::memcpy(out + kOffsetFourcc, m.fourcc.data(), std::min<size_t>(m.fourcc.size(), 4));
  out[kOffsetFlags] = FLAG_CONFIG_OK;
  if (m.frameIndex == -1) {
    int32_t framesPerMinute = core.FramesPerMinute();
    sorrel::WriteConfigurationSnapshot(m, out, &framesPerMinute);
  } else if (m.elapsedSeconds < sorrel::kStartupSeconds) {
    sorrel::WriteStartupSnapshot(m, out);
  } else {
    sorrel::MediaFileCheck media;
    media.removeAfterCheck = false;
    sorrel::WriteFullSnapshot(m, media, out);
  }
  return block;
}

namespace {

const char* StatusName(int32_t status)
{
  switch (status) {
  case sorrel::block::STATUS_PASSED:
    return "passed";
  case sorrel::block::STATUS_WARNING:
    return "warning";
  case sorrel::block::STATUS_FAILED:
    return "failed";
  default:
    return "not-tested";
  }
}

const char* PhaseName(uint8_t flags)
{
  switch (flags & sorrel::block::kPhaseMask) {
  case sorrel::block::PHASE_CONFIGURATION:
    return "configuration";
  case sorrel::block::PHASE_STARTUP:
    return "startup";
  default:
    return "full";
  }
}

} // namespace

GstStructure* SummaryFromBlock(const std::vector<uint8_t>& block)
{
  sorrel::DecodedResults results;
  std::string error;
  if (!sorrel::DecodeResultsBlock(block.data(), block.size(), &results, &error)) {
    return nullptr;
  }
  GstStructure* s =
      gst_structure_new("sorrel", "phase", G_TYPE_STRING, PhaseName(results.flags), nullptr);
  for (const sorrel::AssertionRecord& a : results.assertions) {
    if (a.status == sorrel::block::STATUS_TEXT) {
      continue;
    }
    const std::string field = "assertion-" + std::to_string(a.group) + "." + std::to_string(a.item);
    gst_structure_set(s, field.c_str(), G_TYPE_STRING, StatusName(a.status), nullptr);
  }
  return s;
}

} // namespace gst_sorrel
