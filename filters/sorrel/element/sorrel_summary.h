// The element's own readings of the analysis: a results block that leaves the media file
// alone, and the summary posted on the bus when the stream ends.
#pragma once

#include "sorrel/analog_in_test.h"

#include <gst/gst.h>

#include <cstdint>
#include <vector>

namespace gst_sorrel {

// A snapshot as a results call would take it, except that the media file is only looked
// at, never removed (removal belongs to the caller of "query-vendor-info").
std::vector<uint8_t> TakeSnapshot(sorrel::CAnalogInTest& core);

// Structure "sorrel" with phase, frames, dropped-frames, dropped-samples and one
// "assertion-G.I" string per assertion ("passed", "warning", "failed", "not-tested").
// Null when the block does not decode.
GstStructure* SummaryFromBlock(const std::vector<uint8_t>& block);

} // namespace gst_sorrel
