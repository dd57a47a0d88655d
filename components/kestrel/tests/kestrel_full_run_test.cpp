// The real thing: the basic capture test through Kestrel.so for the full three minutes, with
// the demo graph the installation carries (simulated NTSC capture in YUY2, data-rate mode,
// its media file written in the current folder). Every group passes and the test passes.
#include "kestrel/runtiming.h"

#include "plinth/component.h"

#include "platform/modules.h"

#include "testsupport/gstenvironment.h"
#include "testsupport/logcapture.h"
#include "testsupport/offscreen.h"
#include "testsupport/privateregistry.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>

using namespace testsupport;

TEST(KestrelFullRun, ThreeMinutesOfHealthyCapturePass)
{
  TempFolder folder;
  PrivateRegistry registry(folder);
  registry.SeedRoot("/opt/halvex", "");
  CurrentFolder current(folder.Path());
  LogCapture log;
  unsetenv(kestrel::kRunSecondsVariable);
  platform::HMODULE module = platform::LoadLibrary(KESTREL_MODULE);
  ASSERT_NE(module, nullptr) << platform::LastModuleError();
  ASSERT_EQ(_ComponentList.size(), 1u);
  CTestCase* prototype = _ComponentList.front()->m_TestCaseList.front();
  ASSERT_STREQ(prototype->GetRuntimeClass()->m_lpszClassName, "CAnalog_In_Basic_Functionality");
  std::unique_ptr<CTestCase> test(prototype->Clone());
  // Defaults: "vb Custom YUY2 720 NTSC.GRF", which only the installation's graphs folder has.
  ASSERT_FALSE(std::filesystem::exists("vb Custom YUY2 720 NTSC.GRF"));

  const auto start = std::chrono::steady_clock::now();
  const uint32_t status = test->Execute();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const std::vector<std::string> results = log.Texts(LogCapture::Kind::Result);
  EXPECT_EQ(status, kTestStatusPassed) << log.All();
  EXPECT_GE(seconds, 180.0);
  EXPECT_LT(seconds, 240.0);
  for (int group = 1; group <= 5; ++group) {
    const std::string banner = "<<< Video Test Assertion(s): 6." + std::to_string(group) + " >>>";
    EXPECT_NE(std::find(results.begin(), results.end(), banner), results.end()) << banner;
  }
  int passed = 0;
  for (const std::string& line : results) {
    EXPECT_EQ(line.rfind("<<< FAILED", 0), std::string::npos) << line;
    passed += line.rfind("<<< PASSED", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(passed, 4 + 1 + 7 + 1 + 4 + 2) << "every assertion of the three reports";
  EXPECT_NE(std::find(results.begin(), results.end(),
                      "<<< PASSED 6.3.1 >>>\nCaptured file contains 3.7MB/s of combined video "
                      "and audio data.\n"),
            results.end());
  EXPECT_FALSE(std::filesystem::exists("vb test media output.avi")) << "the capture stays behind";

  test.reset();
  while (!_ComponentList.empty()) {
    delete _ComponentList.front();
    _ComponentList.pop_front();
  }
  EXPECT_TRUE(platform::FreeLibrary(module));
}

int main(int argc, char** argv)
{
  // The plug-in lives in the harness, a Qt application; its Qt stays loaded with the program.
  testsupport::TestApplication();
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new GstEnvironment);
  return RUN_ALL_TESTS();
}
