// halvex-tallow LOG RESULTS [--stats]: translates a test program's log as the harness does and
// says what happened. Exit 0 passed, 1 failed, 2 could not translate.
#include "translator.h"

#include "platform/standardoptions.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kHelp[] =
    "Usage: halvex-tallow LOG RESULTS [--stats]\n"
    "Translates the test program's log LOG into the results file RESULTS as the harness does\n"
    "and prints the verdict.\n"
    "\n"
    "  --stats    also write NTLog's statistics summary\n"
    "\n"
    "HALVEX_NTLOG names another NTLog module (a name or a path).\n"
    "Exit status: 0 passed, 1 failed, 2 could not translate.\n";

int Usage()
{
  std::fputs(kHelp, stderr);
  return 2;
}

void PrintTagged(const tallow::TranslationReport& report, const char* results)
{
  const tallow::ParseOutcome& p = report.parse;
  std::printf("mode:    tagged (%s)\n", report.ntlog.c_str());
  std::printf("lines:   %ld tagged lines: %d pass, %d fail, %d warn", p.taggedLines, p.passes,
              p.failures, p.warnings);
  if (p.unknownTags) {
    std::printf(", %ld with unknown tags (not logged)", p.unknownTags);
  }
  std::printf("\n");
  if (p.stoppedAtLine) {
    std::printf("stopped: line %ld does not begin with a tag; it and the lines after it were "
                "not read\n",
                p.stoppedAtLine);
  }
  std::printf("output:  NTLog wrote %s%s; appended to %s\n", report.ntlogOutput.c_str(),
              report.reportedStats ? " with statistics" : "", results);
}

void PrintPlain(const tallow::TranslationReport& report, const char* results)
{
  const tallow::PlainOutcome& p = report.plain;
  std::printf("mode:    plain (%s)\n", report.ntlogBound
                                           ? "no tag in the first five lines of the log"
                                           : report.ntlog.c_str());
  std::printf("lines:   %ld lines: +TEST+PASS %ld, +TEST+WARN %ld, +TEST+SEV1 %ld, "
              "+TEST+SEV2 %ld, +TEST+SEV3 %ld\n",
              p.lines, p.counts[tallow::kMarkerPass], p.counts[tallow::kMarkerWarn],
              p.counts[tallow::kMarkerSev1], p.counts[tallow::kMarkerSev2],
              p.counts[tallow::kMarkerSev3]);
  std::printf("output:  copied to %s\n", results);
}

} // namespace

int main(int argc, char** argv)
{
  if (const auto answered = platform::AnswerStandardOption(argc, argv, "halvex-tallow", kHelp)) {
    return *answered;
  }
  bool stats = false;
  const char* paths[2] = {nullptr, nullptr};
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--stats") == 0) {
      stats = true;
    } else if (argv[i][0] == '-' && argv[i][1] == '-') {
      std::fprintf(stderr, "halvex-tallow: unknown option %s\n", argv[i]);
      return Usage();
    } else if (count < 2) {
      paths[count++] = argv[i];
    } else {
      return Usage();
    }
  }
  if (count != 2) {
    return Usage();
  }

  tallow::Translator translator;
  const tallow::TranslationReport report = translator.Translate(paths[0], paths[1], stats);
  if (report.mode == tallow::TranslationMode::Tagged) {
    PrintTagged(report, paths[1]);
  } else {
    PrintPlain(report, paths[1]);
  }
  if (report.result == 0) {
    std::printf("verdict: could not translate: %s\n", report.error.c_str());
    return 2;
  }
  const bool passed = report.status == 6;
  std::printf("verdict: %s (status %d)\n", passed ? "passed" : "failed", report.status);
  return passed ? 0 : 1;
}
