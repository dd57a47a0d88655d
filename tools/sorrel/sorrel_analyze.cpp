// sorrel-analyze: judges recorded video offline with the sorrel filter's analysis, on the
// stream's own clock, and prints the report the video test component would print.
#include "video_input.h"

#include "sorrel/analog_in_test.h"
#include "sorrel/results_block.h"
#include "sorrel/results_report.h"

#include "platform/standardoptions.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace sorrel;

constexpr int kExitPassed = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr char kHelp[] =
    "Usage: sorrel-analyze [--format FOURCC --width N --height N [--fps RATE]]\n"
    "                      [--block FILE] [--json] [--media FILE] INPUT\n"
    "Judges recorded video with the sorrel filter's analysis, on the stream's own clock, and\n"
    "prints the video test's report.\n"
    "INPUT is a Y4M file, raw frames, or - for standard input.\n"
    "FOURCC: YUY2 UYVY Y41P IYUV I420 YV12 YVU9; RATE: 30000/1001, 25, 29.97...\n"
    "--media FILE judges FILE as the captured data-rate file (it is not removed).\n";

void Usage()
{
  std::fputs(kHelp, stderr);
}

struct Options
{
  std::string input;
  std::string format;
  int width = 0;
  int height = 0;
  std::string fps = "30000/1001";
  std::string blockFile;
  std::string mediaFile;
  bool json = false;
};

bool ParseInt(const char* text, int* value)
{
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != 0 || v < -1000000 || v > 1000000) {
    return false;
  }
  *value = int(v);
  return true;
}

bool ParseOptions(int argc, char** argv, Options* o)
{
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char** out) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "sorrel-analyze: %s needs a value\n", arg.c_str());
        return false;
      }
      *out = argv[++i];
      return true;
    };
    const char* v = nullptr;
    if (arg == "--json") {
      o->json = true;
    } else if (arg == "--format" || arg == "--width" || arg == "--height" || arg == "--fps" ||
               arg == "--block" || arg == "--media") {
      if (!value(&v)) {
        return false;
      }
      if ((arg == "--width" && !ParseInt(v, &o->width)) ||
          (arg == "--height" && !ParseInt(v, &o->height))) {
        std::fprintf(stderr, "sorrel-analyze: %s '%s' is not a number\n", arg.c_str(), v);
        return false;
      }
      if (arg == "--format") {
        o->format = v;
      } else if (arg == "--fps") {
        o->fps = v;
      } else if (arg == "--block") {
        o->blockFile = v;
      } else if (arg == "--media") {
        o->mediaFile = v;
      }
    } else if (o->input.empty() && (arg == "-" || arg[0] != '-')) {
      o->input = arg;
    } else {
      std::fprintf(stderr, "sorrel-analyze: unknown argument '%s'\n", arg.c_str());
      return false;
    }
  }
  if (o->input.empty()) {
    std::fprintf(stderr, "sorrel-analyze: no input given\n");
    return false;
  }
  return true;
}

// Takes a block from the filter and prints its report; returns the decoded block.
bool PrintSnapshot(CAnalogInTest& filter, const char* when, double streamSeconds, bool print,
                   std::vector<uint8_t>* raw, DecodedResults* results)
{
  raw->assign(block::kBlockSize, 0);
  std::string error;
  if (filter.QueryVendorInfo(raw->data(), raw->size()) != FilterResult::Ok ||
      !DecodeResultsBlock(raw->data(), raw->size(), results, &error)) {
    std::fprintf(stderr, "sorrel-analyze: no results block: %s\n", error.c_str());
    return false;
  }
  if (print) {
    std::printf("[stream %.3f s, %d frames] %s\n", streamSeconds, filter.FrameIndex() + 1, when);
    for (const std::string& message : FormatReport(*results, true, nullptr)) {
      std::fputs(message.c_str(), stdout);
      if (message.empty() || message.back() != '\n') {
        std::fputc('\n', stdout);
      }
    }
  }
  return true;
}

} // namespace

int main(int argc, char** argv)
{
  if (const auto answered = platform::AnswerStandardOption(argc, argv, "sorrel-analyze", kHelp)) {
    return *answered;
  }
  Options o;
  if (!ParseOptions(argc, argv, &o)) {
    Usage();
    return kExitUsage;
  }
  tools::StreamFormat raw;
  const bool haveRaw = !o.format.empty();
  if (haveRaw) {
    if (o.format.size() != 4) {
      std::fprintf(stderr, "sorrel-analyze: unknown format '%s'\n", o.format.c_str());
      return kExitUsage;
    }
    raw.fourcc = MakeFourcc(o.format[0], o.format[1], o.format[2], o.format[3]);
    raw.width = o.width;
    raw.height = o.height;
    if (!tools::ParseFrameRate(o.fps, &raw.rate)) {
      std::fprintf(stderr, "sorrel-analyze: frame rate '%s' is not valid\n", o.fps.c_str());
      return kExitUsage;
    }
    Layout layout;
    if (!ParseLayoutName(o.format.c_str(), &layout)) {
      std::fprintf(stderr, "sorrel-analyze: unknown format '%s'\n", o.format.c_str());
      return kExitUsage;
    }
  }

  // The filter decides first: a refused size never gets to the frame reader.
  CAnalogInTest filter(MakeClock(ClockSource::Stream));
  if (!o.mediaFile.empty()) {
    filter.SetMediaFileCheck({o.mediaFile, false});
  }
  tools::FrameReader reader;
  std::string error;
  if (haveRaw && (raw.width < 80 || raw.height < 60)) {
    std::fprintf(stderr, "sorrel-analyze: %dx%d is below the minimum of 80x60\n", raw.width,
                 raw.height);
    return kExitUsage;
  }
  if (!reader.Open(o.input, haveRaw ? &raw : nullptr, &error)) {
    std::fprintf(stderr, "sorrel-analyze: %s\n", error.c_str());
    return kExitUsage;
  }
  const tools::StreamFormat& format = reader.format();
  // 100 ns units, as the format block carries the frame duration.
  const int64_t avgTimePerFrame =
      (10000000 * format.rate.den + format.rate.num / 2) / format.rate.num;
  const MediaType type = MakeVideoMediaType(format.fourcc, format.width, format.height,
                                            avgTimePerFrame, uint32_t(reader.frameSize()));
  if (filter.CheckInputType(type) != FilterResult::Ok) {
    std::fprintf(stderr, "sorrel-analyze: input refused: %dx%d is below the minimum of 80x60\n",
                 format.width, format.height);
    return kExitUsage;
  }
  if (filter.FormatCode() == kFormatCodeUnnamed) {
    std::fprintf(stderr, "sorrel-analyze: %dx%d does not fit the %s layout\n", format.width,
                 format.height, o.format.empty() ? "I420" : o.format.c_str());
    return kExitUsage;
  }
  if (!reader.CheckWholeFrames(o.input, &error)) {
    std::fprintf(stderr, "sorrel-analyze: %s\n", error.c_str());
    return kExitUsage;
  }
  // Judging a media file means data-rate mode; otherwise drops are shown, not stored.
  filter.DecideMode(true, o.mediaFile.empty() ? type.subtype : MEDIASUBTYPE_CAIT);

  const bool print = !o.json;
  std::vector<uint8_t> block;
  DecodedResults results;
  if (!PrintSnapshot(filter, "configuration", 0.0, print, &block, &results)) {
    return kExitUsage;
  }

  // Frames go through a small pool of recycled buffers, as a capture driver delivers them.
  std::array<std::vector<uint8_t>, 3> pool;
  for (auto& buffer : pool) {
    buffer.assign(reader.frameSize(), 0);
  }
  // A slow rate (a denominator up to 10^9) would overflow 64 bits within a few frames; such a
  // stream stays at the largest time there is.
  const auto endTimeNs = [&](int64_t frames) {
    const int64_t nsPerRateUnit = 1000000000 * format.rate.den;
    if (frames > INT64_MAX / nsPerRateUnit) {
      return INT64_MAX;
    }
    return frames * nsPerRateUnit / format.rate.num;
  };
  int64_t frames = 0;
  bool startupShown = false;
  for (;;) {
    std::vector<uint8_t>& buffer = pool[size_t(frames) % pool.size()];
    const int got = reader.Next(buffer.data(), &error);
    if (got < 0) {
      std::fprintf(stderr, "sorrel-analyze: %s\n", error.c_str());
      return kExitUsage;
    }
    if (got == 0) {
      break;
    }
    ++frames;
    filter.AnalyzeFrame({buffer.data(), buffer.size()}, {}, endTimeNs(frames));
    // The test component looks ten seconds after streaming began.
    if (!startupShown && endTimeNs(frames) - endTimeNs(1) >= 10000000000LL) {
      startupShown = true;
      if (!PrintSnapshot(filter, "startup", double(endTimeNs(frames)) / 1e9, print, &block,
                         &results)) {
        return kExitUsage;
      }
    }
  }
  if (frames > 0 && !PrintSnapshot(filter, "end of stream", double(endTimeNs(frames)) / 1e9, print,
                                   &block, &results)) {
    return kExitUsage;
  }
  if (!o.blockFile.empty()) {
    std::ofstream out(o.blockFile, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(block.data()), std::streamsize(block.size()));
    if (!out) {
      std::fprintf(stderr, "sorrel-analyze: cannot write %s\n", o.blockFile.c_str());
      return kExitUsage;
    }
  }
  if (o.json) {
    std::fputs(FormatJson(results).c_str(), stdout);
  }
  int verdict = block::STATUS_PASSED;
  FormatReport(results, false, &verdict);
  return verdict == block::STATUS_FAILED ? kExitFailed : kExitPassed;
}
