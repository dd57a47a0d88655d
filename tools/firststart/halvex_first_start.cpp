// halvex-first-start: sets up a new user's registry from the installation's seed; the
// installed launchers of halvex and halvex-suite run it before the program.
#include "firststart.h"

#include "platform/modules.h"
#include "platform/standardoptions.h"

#include <cstdio>
#include <filesystem>

namespace {

constexpr char kHelp[] =
    "Usage: halvex-first-start\n"
    "Sets up the user's registry for the test harness when it has no harness root key yet (the\n"
    "key that halvex.ini beside the program names): imports the installation's registry seed\n"
    "with the installation folder and the user's folders for logs, results and suites, and\n"
    "makes those folders. A registry that has the root key is left as it is.\n"
    "\n"
    "Exit status: 0 set up or already set up, 1 could not set up.\n";

} // namespace

int main(int argc, char** argv)
{
  if (const auto answered = platform::AnswerStandardOption(argc, argv, "halvex-first-start", kHelp))
    return *answered;
  if (argc > 1) {
    std::fprintf(stderr, "halvex-first-start: takes no arguments\n%s", kHelp);
    return 1;
  }
  const std::string bin = platform::ProgramFolder();
  const std::string installation = std::filesystem::path(bin).parent_path().string();
  const firststart::FirstStartResult result = firststart::SeedUserRegistry(
      {bin + "/halvex.ini", installation + "/share/halvex/installation.reg", installation});
  switch (result.outcome) {
  case firststart::FirstStartOutcome::AlreadySetUp:
    return 0;
  case firststart::FirstStartOutcome::Seeded:
    std::fprintf(stderr, "halvex-first-start: %s\n", result.message.c_str());
    return 0;
  case firststart::FirstStartOutcome::Failed:
    break;
  }
  std::fprintf(stderr, "halvex-first-start: %s\n", result.message.c_str());
  return 1;
}
