// sorrel-render: writes a clip of test pictures (raw frames or Y4M) for the video analysis.
#include "video_input.h"

#include "drop_plan.h"
#include "sorrel/drop_scan.h"
#include "sorrel/pattern_renderer.h"

#include "platform/standardoptions.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace sorrel;

constexpr char kHelp[] =
    "Usage: sorrel-render --format FOURCC --width N --height N\n"
    "                     --sequence PATTERN:FRAMES[,PATTERN:FRAMES...]\n"
    "                     [--drops FRAME:OFFSET:LENGTH[,...]]\n"
    "                     [--y4m [--fps RATE]] OUTPUT\n"
    "Writes a clip of test pictures for the video analysis, as raw frames or Y4M.\n"
    "\n"
    "PATTERN: smpte smpte-mirrored smpte-flipped smpte-swapped smpte-soft\n"
    "         smpte-noedge sw2 sw2-nodetail sw2-colour sw2-bw sw2-frame grey\n"
    "OUTPUT: a file, or - for standard output. --y4m needs I420.\n"
    "--drops: bytes of a frame (counted from 0) that a capture driver left\n"
    "         unwritten, stored as 255 so that the analysis finds them.\n";

void Usage()
{
  std::fputs(kHelp, stderr);
}

bool Render(const std::string& name, const FrameGeometry& g, PatternImage* image)
{
  static const std::map<std::string, SmpteOptions> smpte = {
      {"smpte", {}},
      {"smpte-mirrored", {.mirrored = true}},
      {"smpte-flipped", {.flipped = true}},
      {"smpte-swapped", {.fieldsSwapped = true}},
      {"smpte-soft", {.softEdges = true}},
      {"smpte-noedge", {.noEdge = true}},
  };
  static const std::map<std::string, Sw2Options> sw2 = {
      {"sw2", {}},
      {"sw2-nodetail", {.detail = false}},
      {"sw2-colour", {.colourLumaError = 20}},
      {"sw2-bw", {.greyLumaError = 20}},
      {"sw2-frame", {.frameMarks = false}},
  };
  if (auto s = smpte.find(name); s != smpte.end()) {
    *image = RenderSmpte(g, s->second);
  } else if (auto w = sw2.find(name); w != sw2.end()) {
    *image = RenderSw2(g, w->second);
  } else if (name == "grey") {
    *image = RenderFlat(g);
  } else {
    return false;
  }
  return true;
}

} // namespace

int main(int argc, char** argv)
{
  if (const auto answered = platform::AnswerStandardOption(argc, argv, "sorrel-render", kHelp)) {
    return *answered;
  }
  std::string format, sequence, output, drops, fps = "30000/1001";
  int width = 0, height = 0;
  bool y4m = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--y4m") {
      y4m = true;
    } else if (arg == "--format" && hasValue) {
      format = argv[++i];
    } else if (arg == "--width" && hasValue) {
      width = std::atoi(argv[++i]);
    } else if (arg == "--height" && hasValue) {
      height = std::atoi(argv[++i]);
    } else if (arg == "--sequence" && hasValue) {
      sequence = argv[++i];
    } else if (arg == "--fps" && hasValue) {
      fps = argv[++i];
    } else if (arg == "--drops" && hasValue) {
      drops = argv[++i];
    } else if (output.empty() && (arg == "-" || arg[0] != '-')) {
      output = arg;
    } else {
      Usage();
      return 2;
    }
  }
  Layout layout;
  if (!ParseLayoutName(format.c_str(), &layout) || width < 80 || height < 60 || width > 16384 ||
      height > 16384 || sequence.empty() || output.empty()) {
    Usage();
    return 2;
  }
  if (y4m && layout != Layout::IYUV) {
    std::fprintf(stderr, "sorrel-render: Y4M output is I420 only\n");
    return 2;
  }
  tools::FrameRate rate;
  if (!tools::ParseFrameRate(fps, &rate)) {
    std::fprintf(stderr, "sorrel-render: frame rate '%s' is not valid\n", fps.c_str());
    return 2;
  }
  std::vector<gst_sorrel_sim::PlannedDrop> dropList;
  std::string dropError;
  if (!gst_sorrel_sim::ParseDropList(drops, &dropList, &dropError)) {
    std::fprintf(stderr, "sorrel-render: bad drop list: %s\n", dropError.c_str());
    return 2;
  }
  const FrameGeometry geometry(layout, width, height);
  std::vector<std::pair<std::vector<uint8_t>, long>> parts;
  size_t start = 0;
  while (start < sequence.size()) {
    size_t end = sequence.find(',', start);
    if (end == std::string::npos) {
      end = sequence.size();
    }
    const std::string part = sequence.substr(start, end - start);
    start = end + 1;
    const size_t colon = part.find(':');
    long count = -1;
    if (colon != std::string::npos) {
      char* last = nullptr;
      count = std::strtol(part.c_str() + colon + 1, &last, 10);
      if (last == part.c_str() + colon + 1 || *last != 0 || count > 1000000) {
        count = -1;
      }
    }
    PatternImage image(geometry);
    if (count < 0 || !Render(part.substr(0, colon), geometry, &image)) {
      std::fprintf(stderr, "sorrel-render: bad sequence part '%s'\n", part.c_str());
      return 2;
    }
    parts.emplace_back(image.Pack(), count);
  }
  FILE* out = output == "-" ? stdout : std::fopen(output.c_str(), "wb");
  if (!out) {
    std::fprintf(stderr, "sorrel-render: cannot write %s: %s\n", output.c_str(),
                 std::strerror(errno));
    return 2;
  }
  bool ok = true;
  if (y4m) {
    ok = std::fprintf(out, "YUV4MPEG2 W%d H%d F%lld:%lld Ip A1:1 C420jpeg\n", width, height,
                      static_cast<long long>(rate.num), static_cast<long long>(rate.den)) > 0;
  }
  uint64_t number = 0;
  std::vector<uint8_t> dropped;
  for (const auto& [frame, count] : parts) {
    for (long k = 0; k < count && ok; ++k, ++number) {
      const std::vector<uint8_t>* bytes = &frame;
      for (const gst_sorrel_sim::PlannedDrop& drop : dropList) {
        if (drop.frame == number && drop.offset < frame.size()) {
          if (bytes != &dropped) {
            dropped = frame;
            bytes = &dropped;
          }
          const size_t end = std::min(frame.size(), drop.offset + drop.length);
          std::fill(dropped.begin() + std::ptrdiff_t(drop.offset),
                    dropped.begin() + std::ptrdiff_t(end), kDroppedByte);
        }
      }
      ok = (!y4m || std::fputs("FRAME\n", out) >= 0) &&
           std::fwrite(bytes->data(), 1, bytes->size(), out) == bytes->size();
    }
  }
  ok = (out == stdout ? std::fflush(out) : std::fclose(out)) == 0 && ok;
  if (!ok) {
    std::fprintf(stderr, "sorrel-render: writing %s failed\n", output.c_str());
    return 2;
  }
  return 0;
}
