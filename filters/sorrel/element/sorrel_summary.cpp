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
  std::vector<uint8_t> block(sorrel::block::kBlockSize, 0);
  core.PeekResults(block.data(), block.size());
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
