// halvex-suite: looks inside test suite files.
//   halvex-suite dump FILE.ts [--load MODULE]...
// loads the named plug-in modules (so their test-case classes are known), reads the suite and
// prints its fields and test cases. Exit status: 0 read, 1 usage or a file or module that
// cannot be opened, 2 a damaged suite (the cause and the byte offset go to standard error).
#include "plinth/archive.h"
#include "plinth/testsuite.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitDamaged = 2;

void Usage()
{
  std::fprintf(stderr, "usage: halvex-suite dump FILE.ts [--load MODULE]...\n");
}

// A module named without a folder is looked for in the plug-in folder beside the program first;
// "X.dll" stands for "X.so".
std::string ResolveModule(const std::string& name)
{
  std::string file = name;
  const std::string dll = ".dll";
  if (file.size() > dll.size() &&
      strcasecmp(file.c_str() + file.size() - dll.size(), ".dll") == 0) {
    file.replace(file.size() - dll.size(), dll.size(), ".so");
  }
  if (file.find('/') != std::string::npos) {
    return file;
  }
  std::error_code ec;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    std::filesystem::path candidate =
        program.parent_path() / ".." / "lib" / "halvex" / "plugins" / file;
    if (std::filesystem::exists(candidate, ec)) {
      return candidate.string();
    }
  }
  return file;
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
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite)) {
    std::fprintf(stderr, "halvex-suite: %s: cannot open: %s\n", path.c_str(),
                 std::strerror(file.GetLastError()));
    return kExitUsage;
  }
  CTestSuite suite;
  CArchive ar(&file, CArchive::load, 4096);
  if (!suite.TrySerialize(ar)) {
    std::fprintf(stderr, "halvex-suite: %s: %s at byte %llu\n", path.c_str(),
                 ArchiveErrorText(ar.GetError()),
                 static_cast<unsigned long long>(ar.GetErrorOffset()));
    return kExitDamaged;
  }
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
  if (args.size() < 2 || args[0] != "dump") {
    Usage();
    return kExitUsage;
  }
  std::string suiteFile;
  std::vector<void*> modules;
  int status = kExitOk;
  for (size_t i = 1; i < args.size() && status == kExitOk; ++i) {
    if (args[i] == "--load") {
      if (i + 1 >= args.size()) {
        Usage();
        status = kExitUsage;
        break;
      }
      const std::string module = ResolveModule(args[++i]);
      void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (handle == nullptr) {
        std::fprintf(stderr, "halvex-suite: cannot load %s: %s\n", args[i].c_str(), dlerror());
        status = kExitUsage;
        break;
      }
      modules.push_back(handle);
    } else if (suiteFile.empty()) {
      suiteFile = args[i];
    } else {
      Usage();
      status = kExitUsage;
    }
  }
  if (status == kExitOk && suiteFile.empty()) {
    Usage();
    status = kExitUsage;
  }
  if (status == kExitOk) {
    status = Dump(suiteFile);
  }
  std::fflush(stdout);
  for (auto it = modules.rbegin(); it != modules.rend(); ++it) {
    dlclose(*it);
  }
  return status;
}
