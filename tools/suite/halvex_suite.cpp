// halvex-suite: looks inside test suite files and builds them without a display.
//   halvex-suite dump FILE.ts [--load MODULE]...
// loads the registered components as the harness does, and any further plug-in modules named,
// so that their test-case classes are known; reads the suite and prints its fields and test
// cases.
//   halvex-suite new FILE.ts --name NAME
//   halvex-suite add FILE.ts --test "COMPONENT/TEST" [--iterations N] [--verbose]
//   halvex-suite list-tests [--verbose]
// new writes an empty suite; add and list-tests load the component plug-ins the registry lists
// (below the root key that halvex.ini beside the program names), as the harness does; add
// appends a copy of the test case's prototype and writes the suite back in place.
// Exit status: 0 done, 1 usage or a file, module, component or test that cannot be found or
// written, 2 a damaged suite (the cause and the byte offset go to standard error).
#include "suitebuilder.h"

#include "plinth/testsuite.h"

#include "platform/modules.h"
#include "platform/standardoptions.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;

constexpr char kHelp[] =
    "Usage: halvex-suite list-tests [--verbose]\n"
    "  or:  halvex-suite new FILE.ts --name NAME\n"
    "  or:  halvex-suite add FILE.ts --test \"COMPONENT/TEST\" [--iterations N] [--verbose]\n"
    "  or:  halvex-suite dump FILE.ts [--load MODULE]...\n"
    "Builds and reads test suite files without a display. list-tests prints COMPONENT/TEST for\n"
    "every test case of the components the registry lists, loaded as the harness loads them;\n"
    "new writes an empty suite; add appends a copy of a test case; dump prints a suite's fields\n"
    "and test cases after loading the named plug-in modules.\n"
    "\n"
    "  --name NAME       the new suite's name\n"
    "  --test C/T        test case T of component C\n"
    "  --iterations N    how often the test case runs (default 1)\n"
    "  --verbose         show the components' progress messages while they load\n"
    "  --load MODULE     load a plug-in module first (\"Marlow.so\", or a path)\n";

void Usage()
{
  std::fprintf(stderr, "usage: halvex-suite dump FILE.ts [--load MODULE]...\n");
  suitebuilder::Usage();
}

const char* StatusText(uint32_t status)
{
  switch (status) {
  case kTestStatusCleared:
    return "cleared";
  case kTestStatusPrepared:
    return "prepared";
  case kTestStatusFailed:
    return "failed";
  case kTestStatusPassed:
    return "passed";
  case kTestStatusNotRun:
    return "not run";
  default:
    return "other";
  }
}

int Dump(const std::string& path)
{
  CTestSuite suite;
  const int status = suitebuilder::ReadSuite(path, suite);
  if (status != kExitOk)
    return status;
  std::printf("name: %s\n", suite.GetName().c_str());
  std::printf("path: %s\n", suite.GetPath().c_str());
  std::printf("component: %s\n", suite.GetComponent().c_str());
  std::printf("value: %u\n", suite.m_dwSuiteValue);
  std::printf("test cases: %zu\n", suite.size());
  size_t n = 0;
  for (const CTestCase* p : suite) {
    std::printf("test case %zu: %s\n", ++n, p->GetRuntimeClass()->m_lpszClassName);
    std::printf("  class name: %s\n", p->GetClassName().c_str());
    std::printf("  label: %s\n", p->GetLabel().c_str());
    std::printf("  model: %s\n", p->GetModelName().c_str());
    std::printf("  iterations: %d\n", p->m_nIterations);
    std::printf("  status: %u (%s)\n", p->m_dwStatus, StatusText(p->m_dwStatus));
  }
  return kExitOk;
}

} // namespace

int main(int argc, char** argv)
{
  std::vector<std::string> args(argv + 1, argv + argc);
  if (const auto answered = platform::AnswerStandardOption(args, "halvex-suite", kHelp))
    return *answered;
  if (!args.empty() && (args[0] == "new" || args[0] == "add" || args[0] == "list-tests"))
    return suitebuilder::Run(args);
  if (args.size() < 2 || args[0] != "dump") {
    Usage();
    return kExitUsage;
  }
  std::string suiteFile;
  std::vector<std::string> extraModules;
  int status = kExitOk;
  for (size_t i = 1; i < args.size() && status == kExitOk; ++i) {
    if (args[i] == "--load" && i + 1 < args.size()) {
      extraModules.push_back(args[++i]);
    } else if (args[i] != "--load" && suiteFile.empty()) {
      suiteFile = args[i];
    } else {
      status = kExitUsage;
    }
  }
  if (status != kExitOk) {
    Usage();
    return status;
  }
  // The registered components, as the harness loads them, so their classes are known; the
  // host outlives the suite, whose test cases' code lives in their modules.
  const std::unique_ptr<suitebuilder::ModuleHost> pHost =
      suitebuilder::LoadRegisteredComponents(false);
  for (const std::string& module : extraModules)
    if (status == kExitOk && !pHost->LoadModule(module))
      status = kExitUsage;
  if (status == kExitOk && suiteFile.empty()) {
    Usage();
    status = kExitUsage;
  }
  if (status == kExitOk) {
    status = Dump(suiteFile);
  }
  std::fflush(stdout);
  pHost->ReleaseComponents();
  return status;
}
