#include "platform/modules.h"

#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path)
{
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ModulesTest : public ::testing::Test
{
protected:
  testsupport::TempFolder m_temp;
  void SetUp() override
  {
    folder_ = m_temp.Path();
    trace_ = folder_ / "trace.txt";
    setenv("HALVEX_MODULE_TRACE", trace_.c_str(), 1);
  }
  void TearDown() override { unsetenv("HALVEX_MODULE_TRACE"); }
  std::string Trace() const { return ReadAll(trace_); }

  fs::path folder_;
  fs::path trace_;
};

// The test modules are built into the test program's own folder.
fs::path TestModule(const std::string& fileName)
{
  return fs::path(platform::ProgramFolder()) / fileName;
}

bool StillMapped(const std::string& path)
{
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle)
    dlclose(handle);
  return handle != nullptr;
}

} // namespace

TEST_F(ModulesTest, ProgramPathsPointAtThisTest)
{
  const std::string program = platform::ProgramFileName();
  EXPECT_EQ(fs::path(program).filename(), "platform_modules_test");
  EXPECT_EQ(platform::ProgramFolder(), fs::path(program).parent_path().string());
  EXPECT_EQ(platform::PluginFolder(),
            (fs::path(program).parent_path().parent_path() / "lib/halvex/plugins").string());
  EXPECT_EQ(platform::ModuleFileName(nullptr), program);
}

TEST_F(ModulesTest, WindowsNamesFindTheModuleIgnoringCase)
{
  const struct
  {
    const char* name;
    const char* file;
  } cases[] = {
      {"CountingModule.dll", "CountingModule.so"}, {"countingmodule.DLL", "CountingModule.so"},
      {"COUNTINGMODULE.Dll", "CountingModule.so"}, {"CountingModule", "CountingModule.so"},
      {"CountingModule.so", "CountingModule.so"},  {"plainmodule.so", "PlainModule.so"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    platform::HMODULE module = platform::LoadLibrary(c.name);
    ASSERT_NE(module, nullptr) << platform::LastModuleError();
    EXPECT_EQ(platform::ModuleFileName(module), TestModule(c.file).string());
    EXPECT_TRUE(platform::FreeLibrary(module));
  }
}

TEST_F(ModulesTest, AttachAndDetachRunOncePerRealLoad)
{
  platform::HMODULE first = platform::LoadLibrary("CountingModule.dll");
  ASSERT_NE(first, nullptr) << platform::LastModuleError();
  platform::HMODULE second = platform::LoadLibrary("countingmodule.dll");
  EXPECT_EQ(second, first);
  EXPECT_EQ(Trace(), "attach\n");

  auto answer = reinterpret_cast<int (*)()>(platform::GetProcAddress(first, "counting_answer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(platform::GetProcAddress(first, "no_such_export"), nullptr);

  EXPECT_TRUE(platform::FreeLibrary(second));
  EXPECT_EQ(Trace(), "attach\n");
  EXPECT_TRUE(StillMapped(TestModule("CountingModule.so")));
  EXPECT_TRUE(platform::FreeLibrary(first));
  EXPECT_EQ(Trace(), "attach\ndetach\n");
  EXPECT_FALSE(StillMapped(TestModule("CountingModule.so")));

  // The handle is gone: a further free and a look-up are refused.
  EXPECT_FALSE(platform::FreeLibrary(first));
  EXPECT_EQ(platform::GetProcAddress(first, "counting_answer"), nullptr);
  EXPECT_FALSE(platform::FreeLibrary(nullptr));

  platform::HMODULE again = platform::LoadLibrary("CountingModule.dll");
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(platform::FreeLibrary(again));
  EXPECT_EQ(Trace(), "attach\ndetach\nattach\ndetach\n");
}

TEST_F(ModulesTest, FailedAttachUnloadsAndSaysWhy)
{
  EXPECT_EQ(platform::LoadLibrary("FailingModule.dll"), nullptr);
  const std::string error = platform::LastModuleError();
  EXPECT_NE(error.find("halvex_module_attach failed"), std::string::npos) << error;
  EXPECT_NE(error.find(TestModule("FailingModule.so").string()), std::string::npos) << error;
  EXPECT_EQ(Trace(), "attach-refused\n");
  EXPECT_FALSE(StillMapped(TestModule("FailingModule.so")));
}

TEST_F(ModulesTest, ModuleWithoutRoutinesLoads)
{
  platform::HMODULE module = platform::LoadLibrary("PlainModule.dll");
  ASSERT_NE(module, nullptr) << platform::LastModuleError();
  EXPECT_EQ(platform::GetProcAddress(module, platform::kModuleAttachSymbol), nullptr);
  auto answer = reinterpret_cast<int (*)()>(platform::GetProcAddress(module, "plain_answer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 7);
  EXPECT_TRUE(platform::FreeLibrary(module));
  EXPECT_FALSE(StillMapped(TestModule("PlainModule.so")));
}

TEST_F(ModulesTest, NameWithFolderLooksOnlyThere)
{
  const fs::path sub = folder_ / "private";
  fs::create_directory(sub);
  fs::copy_file(TestModule("PlainModule.so"), sub / "Private.so");

  EXPECT_EQ(platform::LoadLibrary("Private.dll"), nullptr);
  EXPECT_EQ(platform::LoadLibrary((folder_ / "Private.dll").string()), nullptr);
  EXPECT_NE(platform::LastModuleError().find("not found in " + folder_.string()), std::string::npos)
      << platform::LastModuleError();
  // The program's folder holds PlainModule, but a folder in the name rules the search out.
  EXPECT_EQ(platform::LoadLibrary((sub / "PlainModule.dll").string()), nullptr);

  platform::HMODULE module = platform::LoadLibrary((sub / "PRIVATE.DLL").string());
  ASSERT_NE(module, nullptr) << platform::LastModuleError();
  EXPECT_EQ(platform::ModuleFileName(module), (sub / "Private.so").string());
  EXPECT_TRUE(platform::FreeLibrary(module));
}

TEST_F(ModulesTest, BadModulesGiveClearErrors)
{
  const fs::path notElf = folder_ / "Broken.so";
  std::ofstream(notElf) << "not a shared object\n";
  const struct
  {
    std::string name;
    std::string expected;
  } cases[] = {
      {"NoSuchModule.dll", "module NoSuchModule.dll not found in " + platform::ProgramFolder()},
      {"", "empty module name"},
      {notElf.string(), notElf.string()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::LoadLibrary(c.name), nullptr);
    EXPECT_NE(platform::LastModuleError().find(c.expected), std::string::npos)
        << platform::LastModuleError();
  }
}

TEST_F(ModulesTest, LoaderPathIsTheLastResort)
{
  // libm is nowhere near our folders; the loader finds it by its own path.
  platform::HMODULE module = platform::LoadLibrary("libm.so.6");
  ASSERT_NE(module, nullptr) << platform::LastModuleError();
  EXPECT_EQ(fs::path(platform::ModuleFileName(module)).filename(), "libm.so.6");
  EXPECT_TRUE(fs::path(platform::ModuleFileName(module)).is_absolute());
  EXPECT_NE(platform::GetProcAddress(module, "cos"), nullptr);
  EXPECT_TRUE(platform::FreeLibrary(module));
}

TEST_F(ModulesTest, ThreadsShareOneReferenceCount)
{
  constexpr int kThreads = 4;
  constexpr int kRounds = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < kRounds; ++i) {
        platform::HMODULE module = platform::LoadLibrary("CountingModule.dll");
        if (module)
          platform::FreeLibrary(module);
      }
    });
  }
  platform::HMODULE held = platform::LoadLibrary("CountingModule.dll");
  ASSERT_NE(held, nullptr);
  for (auto& thread : threads)
    thread.join();
  EXPECT_TRUE(platform::FreeLibrary(held));
  // Every attach was matched by a detach, never two attaches in a row.
  const std::string trace = Trace();
  EXPECT_EQ(trace.find("attach\nattach"), std::string::npos) << trace;
  EXPECT_EQ(trace.substr(trace.size() - 7), "detach\n");
}

TEST_F(ModulesTest, ProgramInBinFindsPluginThroughRelativeFolder)
{
  const fs::path tool = fs::path(std::getenv("HALVEX_BUILD_DIR")) / "bin" / "platform_plugin_probe";
  const std::string command = tool.string() + " pluginprobe.DLL probe_answer 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[512];
  while (size_t got = fread(buffer, 1, sizeof buffer, pipe))
    output.append(buffer, got);
  const int status = pclose(pipe);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << output;

  const fs::path plugins =
      fs::weakly_canonical(fs::path(std::getenv("HALVEX_BUILD_DIR")) / "lib/halvex/plugins");
  EXPECT_EQ(output, (plugins / "PluginProbe.so").string() + "\n" + plugins.string() + "\n99\n");
}
