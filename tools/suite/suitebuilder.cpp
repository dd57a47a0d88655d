// new, add and list-tests: suites built from the registered components without a display.
#include "suitebuilder.h"

#include "harness/componentloader.h"
#include "harness/halvexdoc.h"
#include "harness/registrystore.h"
#include "harness/settings.h"
#include "harness/startup.h"

#include "plinth/archive.h"
#include "plinth/component.h"
#include "plinth/testsuite.h"

#include "platform/files.h"
#include "platform/messages.h"
#include "platform/modules.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <unistd.h>

namespace suitebuilder {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitDamaged = 2;

// What a suite holding test cases of more than one component shows as its component (the
// harness takes the same text from its string table).
constexpr const char* kSeveralComponents = "Several components";

struct Options
{
  std::string file;
  std::string name;
  std::string test;
  int iterations = 1;
  bool haveName = false;
  bool haveTest = false;
  bool verbose = false;
};

void UsageError()
{
  std::fprintf(stderr, "usage:\n");
  Usage();
}

bool ParseIterations(const std::string& text, int& value)
{
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && value >= 1;
}

bool ParseOptions(const std::vector<std::string>& args, Options& options)
{
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--name" && hasValue) {
      options.name = args[++i];
      options.haveName = true;
    } else if (arg == "--test" && hasValue) {
      options.test = args[++i];
      options.haveTest = true;
    } else if (arg == "--iterations" && hasValue) {
      if (!ParseIterations(args[++i], options.iterations)) {
        std::fprintf(stderr, "halvex-suite: --iterations needs a whole number of 1 or more: %s\n",
                     args[i].c_str());
        return false;
      }
    } else if (arg == "--verbose") {
      options.verbose = true;
    } else if (arg.rfind("--", 0) != 0 && options.file.empty()) {
      options.file = arg;
    } else {
      return false;
    }
  }
  return true;
}

std::string AbsolutePath(const std::string& path)
{
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

// Component log lines arrive as messages to the main window: this one prints them.
class LogWindow
{
public:
  LogWindow()
  {
    m_msg = platform::RegisterWindowMessage("HALVEX Log Message");
    m_window = platform::CreateWindow(
        "halvex-suite log", [this](platform::UINT msg, platform::WPARAM, platform::LPARAM lParam) {
          if (msg == m_msg && lParam != 0)
            Print(reinterpret_cast<const char*>(lParam));
          return platform::LRESULT{0};
        });
    platform::SetMainWnd(m_window);
  }
  ~LogWindow()
  {
    platform::SetMainWnd(nullptr);
    platform::DestroyWindow(m_window);
  }
  LogWindow(const LogWindow&) = delete;
  LogWindow& operator=(const LogWindow&) = delete;

  static void Print(const std::string& text)
  {
    std::fprintf(stderr, "halvex-suite: log: %s\n", text.c_str());
  }

private:
  platform::UINT m_msg = 0;
  platform::HWND m_window = nullptr;
};

bool ReportLoadFailure(const std::string& path)
{
  std::fprintf(stderr, "halvex-suite: cannot load %s: %s\n", path.c_str(),
               platform::LastModuleError().c_str());
  return false;
}

// The loaded components, for as long as the object lives.
class LoadedComponents : public ModuleHost
{
public:
  explicit LoadedComponents(bool verbose) { guiLoggingLevel = verbose ? 2 : 0; }

  bool Load()
  {
    if (!Prepare())
      return false;
    // The harness goes on after a walk that stopped early; so does this tool.
    m_bWalkCompleted = m_pLoader->LoadComponentDlls();
    // Like the harness, Marlow is also loaded from the definition folder.
    if (!m_pLoader->IsMarlowLoaded())
      LoadMarlowFromDefinitionFolder(m_rootKey);
    return true;
  }

  // The root key from halvex.ini and a loader on it (which names the component registry key
  // for the plug-ins), without loading anything yet.
  bool Prepare()
  {
    const std::string iniPath = harness::ConfigurationIniPath(platform::ProgramFolder());
    std::string rootKey;
    if (!harness::ReadRootKey(iniPath, rootKey)) {
      std::fprintf(stderr,
                   "halvex-suite: %s names no registry key (section General, key "
                   "RegistryKey)\n",
                   iniPath.c_str());
      return false;
    }
    harness::LoaderCallbacks callbacks;
    callbacks.log = [](unsigned int level, const std::string& text) {
      if (level <= guiLoggingLevel)
        LogWindow::Print(text);
    };
    callbacks.errorBox = [](const std::string& text) {
      std::fprintf(stderr, "halvex-suite: error: %s\n", text.c_str());
    };
    callbacks.informationBox = [](const std::string& text) {
      std::fprintf(stderr, "halvex-suite: %s\n", text.c_str());
    };
    m_pLoader = std::make_unique<harness::CComponentLoader>(rootKey, callbacks);
    m_rootKey = rootKey;
    return true;
  }

  harness::CComponentLoader& Loader() { return *m_pLoader; }

  bool LoadModule(const std::string& path) override
  {
    // Found as the harness finds its plug-ins: "X.dll" is "X.so", a bare name is looked for
    // beside the program, in the plug-in folder, then on the loader's path.
    if (m_pLoader != nullptr)
      return m_pLoader->LoadComponentDll(path, false) != nullptr || ReportLoadFailure(path);
    platform::HMODULE module = platform::LoadLibrary(path);
    if (module == nullptr)
      return ReportLoadFailure(path);
    m_modulesWithoutLoader.push_back(module);
    return true;
  }

  void ReleaseComponents() override
  {
    if (m_pLoader) {
      m_pLoader->ReleaseComponents();
      return;
    }
    while (!_ComponentList.empty()) {
      delete _ComponentList.front();
      _ComponentList.pop_front();
    }
    for (auto it = m_modulesWithoutLoader.rbegin(); it != m_modulesWithoutLoader.rend(); ++it)
      platform::FreeLibrary(*it);
    m_modulesWithoutLoader.clear();
  }

  void LoadMarlowFromDefinitionFolder(const std::string& rootKey)
  {
    harness::CRegistrySettingsStore store;
    std::string folder;
    if (!harness::ReadIniFilesFolder(store, rootKey, folder))
      return;
    const std::string path = harness::MarlowPath(folder);
    if (m_pLoader->LoadComponentDll(path, false) == nullptr && guiLoggingLevel >= 2)
      LogWindow::Print("Marlow was not loaded from " + path + ": " + platform::LastModuleError());
  }
  bool WalkCompleted() const { return m_bWalkCompleted; }

private:
  LogWindow m_log;
  std::string m_rootKey;
  std::unique_ptr<harness::CComponentLoader> m_pLoader;
  // Modules named with --load when no root key is known, so no loader exists.
  std::vector<platform::HMODULE> m_modulesWithoutLoader;
  bool m_bWalkCompleted = false;
};

CTestCase* FindPrototype(CComponent* pComponent, const std::string& label)
{
  for (CTestCase* p : pComponent->m_TestCaseList)
    if (p != nullptr && p->GetLabel() == label)
      return p;
  return nullptr;
}

// "COMPONENT/TEST": either name may hold a slash, so every split is tried.
CTestCase* FindTest(harness::CComponentLoader& loader, const std::string& testName)
{
  for (std::size_t slash = testName.find('/'); slash != std::string::npos;
       slash = testName.find('/', slash + 1)) {
    CComponent* pComponent = loader.FindComponentByClass(testName.substr(0, slash));
    if (pComponent == nullptr)
      continue;
    if (CTestCase* p = FindPrototype(pComponent, testName.substr(slash + 1)))
      return p;
  }
  return nullptr;
}

int WriteSuite(const std::string& path, CTestSuite& suite)
{
  std::string error;
  if (harness::WriteSuiteFile(suite, path, error))
    return kExitOk;
  std::fprintf(stderr, "halvex-suite: %s: cannot write: %s\n", path.c_str(), error.c_str());
  return kExitFailed;
}

int New(const Options& options)
{
  if (options.file.empty() || !options.haveName || options.haveTest) {
    UsageError();
    return kExitFailed;
  }
  std::error_code ec;
  if (std::filesystem::exists(options.file, ec)) {
    std::fprintf(stderr, "halvex-suite: %s exists already; nothing written\n",
                 options.file.c_str());
    return kExitFailed;
  }
  CTestSuite suite;
  suite.m_strName = options.name;
  suite.m_strPath = AbsolutePath(options.file);
  return WriteSuite(options.file, suite);
}

int Add(const Options& options)
{
  if (options.file.empty() || !options.haveTest || options.haveName) {
    UsageError();
    return kExitFailed;
  }
  std::uint32_t attributes = 0;
  if (platform::GetFileAttributes(options.file, attributes) == platform::kErrorSuccess &&
      (attributes & platform::kFileAttributeReadOnly) != 0) {
    std::fprintf(stderr, "halvex-suite: %s is read-only; nothing written\n", options.file.c_str());
    return kExitFailed;
  }
  LoadedComponents components(options.verbose);
  if (!components.Load())
    return kExitFailed;
  int status = kExitOk;
  {
    // The suite goes before the components: its test cases' code lives in their modules.
    CTestSuite suite;
    // An empty file is taken as an empty suite, so a suite can be started with any editor.
    std::error_code ec;
    if (std::filesystem::file_size(options.file, ec) != 0 || ec)
      status = ReadSuite(options.file, suite);
    if (status != kExitOk)
      return status;
    CTestCase* pPrototype = FindTest(components.Loader(), options.test);
    if (pPrototype == nullptr) {
      std::fprintf(stderr,
                   "halvex-suite: no test case %s among the loaded components (see "
                   "halvex-suite list-tests)\n",
                   options.test.c_str());
      return kExitFailed;
    }
    CObject* pObject = pPrototype->GetRuntimeClass()->CreateObject();
    if (pObject == nullptr || !pObject->IsKindOf(PLINTH_RUNTIME_CLASS(CTestCase))) {
      delete pObject;
      std::fprintf(stderr, "halvex-suite: the class %s cannot be created\n",
                   pPrototype->GetRuntimeClass()->m_lpszClassName);
      return kExitFailed;
    }
    auto* pTestCase = static_cast<CTestCase*>(pObject);
    pTestCase->CopyFrom(pPrototype);
    pTestCase->SetIterations(options.iterations);
    suite.push_back(pTestCase);
    suite.m_strComponent = harness::ComponentTextOf(suite, kSeveralComponents);
    status = WriteSuite(options.file, suite);
  }
  return status;
}

int ListTests(const Options& options)
{
  if (!options.file.empty() || options.haveName || options.haveTest) {
    UsageError();
    return kExitFailed;
  }
  LoadedComponents components(options.verbose);
  if (!components.Load())
    return kExitFailed;
  for (const CComponent* pComponent : _ComponentList) {
    if (pComponent == nullptr)
      continue;
    std::printf("%s (model %s)\n", pComponent->GetClassName().c_str(),
                pComponent->GetModelName().c_str());
    for (const CTestCase* p : pComponent->m_TestCaseList)
      std::printf("  %s/%s\n", pComponent->GetClassName().c_str(), p->GetLabel().c_str());
  }
  std::fflush(stdout);
  return components.WalkCompleted() ? kExitOk : kExitFailed;
}

} // namespace

std::unique_ptr<ModuleHost> LoadRegisteredComponents(bool verbose)
{
  auto pHost = std::make_unique<LoadedComponents>(verbose);
  pHost->Load();
  return pHost;
}

int ReadSuite(const std::string& path, CTestSuite& suite)
{
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite)) {
    std::fprintf(stderr, "halvex-suite: %s: cannot open: %s\n", path.c_str(),
                 std::strerror(file.GetLastError()));
    return kExitFailed;
  }
  CArchive ar(&file, CArchive::load, 4096);
  if (!suite.TrySerialize(ar)) {
    std::fprintf(stderr, "halvex-suite: %s: %s at byte %llu\n", path.c_str(),
                 ArchiveErrorText(ar).c_str(),
                 static_cast<unsigned long long>(ar.GetErrorOffset()));
    return kExitDamaged;
  }
  return kExitOk;
}

void Usage()
{
  std::fprintf(stderr, "       halvex-suite new FILE.ts --name NAME\n"
                       "       halvex-suite add FILE.ts --test \"COMPONENT/TEST\" "
                       "[--iterations N] [--verbose]\n"
                       "       halvex-suite list-tests [--verbose]\n");
}

int Run(const std::vector<std::string>& args)
{
  Options options;
  if (!ParseOptions(args, options)) {
    UsageError();
    return kExitFailed;
  }
  if (args[0] == "new")
    return New(options);
  if (args[0] == "add")
    return Add(options);
  return ListTests(options);
}

} // namespace suitebuilder
