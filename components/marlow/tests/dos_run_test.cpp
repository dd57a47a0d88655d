// The demo DOS definitions through a real DOS pass: Marlow prepares its batch files, DOS in
// DOSBox runs the batch list as the restarted machine would (from the boot floppy on the NT
// family, from C: on the 9x family), and the resume pass judges the logs DOS left.
#include "marlow/batchexports.h"
#include "marlow/dosbatch.h"
#include "marlow/inicomponent.h"
#include "marlow/testcaseex.h"

#include "skeleton/componentmodule.h"
#include "skeleton/strings.h"

#include "platform/floppy_files.h"

#include "dos_session.h"

#include "testsupport/doslayout.h"
#include "testsupport/fatimage.h"
#include "testsupport/logcapture.h"
#include "testsupport/privateregistry.h"
#include "testsupport/suiteitemlist.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace testsupport;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr const char* kRemark = "REM Created by Redi Devuzad";

class DosRunTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    m_registry.SeedRoot("/opt/halvex", "");
    guiLoggingLevel = 0;
    const char* source = std::getenv("HALVEX_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    fs::create_directories(m_dos.File("DEFS"));
    for (const char* file : {"demo_dos.ini", "DOSPROBE.BAT"})
      fs::copy_file(std::string(source) + "/share/demo/definitions/" + file,
                    m_dos.File("DEFS/") + file);
    m_pComponent = std::make_unique<CIniComponent>(nullptr, m_dos.File("DEFS/demo_dos.ini"));
    components::OwnComponents().push_back(m_pComponent.get());
    components::SetCurrentComponent(m_pComponent.get());
    for (CTestCase* pPrototype : m_pComponent->m_TestCaseList) {
      m_testCases.emplace_back(pPrototype->Clone());
      m_list.Add(m_testCases.back().get());
    }
    ASSERT_EQ(m_testCases.size(), 2u);
  }
  void TearDown() override
  {
    components::OwnComponents().clear();
    components::SetCurrentComponent(nullptr);
  }

  // The preparation pass of the run: every DOS test case prepared.
  void Prepare()
  {
    m_nFirstBatch = marlow::ModuleDosBatch().Counter();
    CBatchCodeList codes;
    int kind = 0;
    marlow::PrepareBatchComponentList(&m_list, &m_results, &codes, kListNextAll, &kind, 1);
    ASSERT_EQ(kind, kBatchKindDos);
    for (auto& pTestCase : m_testCases)
      ASSERT_EQ(pTestCase->Execute(), kTestStatusPrepared) << m_log.All();
  }

  // The numbered batch files of the two test cases; the numbers go on through one load.
  std::vector<std::string> NumberedFiles() const
  {
    return {components::FormatText("Memor%03d.bat", m_nFirstBatch),
            components::FormatText("Memor%03d.bat", m_nFirstBatch + 1)};
  }

  void RunDos(const dosbox::DosBoot& boot)
  {
    std::string events;
    dosbox::DosSession session([&](const std::string& line) { events += line + "\n"; });
    const dosbox::DosPassResult result = session.Run(boot, 180s);
    ASSERT_EQ(result.end, dosbox::DosPassEnd::Ended) << result.detail << "\n" << events;
  }

  // The resume pass: the logs DOS left decide.
  void ResumeAndJudge()
  {
    CBatchCodeList codes;
    int kind = 0;
    marlow::PrepareBatchComponentList(&m_list, &m_results, &codes, kListNextAll, &kind, 0);
    EXPECT_EQ(ReadAll(m_dos.BatchFile("Marlow.bat")), "");
    m_log.Clear();
    EXPECT_EQ(m_testCases[0]->Execute(), kTestStatusPassed) << m_log.All();
    EXPECT_EQ(m_testCases[1]->Execute(), kTestStatusFailed) << m_log.All();
    const std::string results = ReadAll(m_results);
    EXPECT_NE(results.find("Every address read back as written"), std::string::npos) << results;
    EXPECT_NE(results.find("Address 9000:0010 read back 00"), std::string::npos) << results;
  }

  TempFolder m_folder;
  PrivateRegistry m_registry{m_folder};
  DosLayout m_dos{m_folder};
  LogCapture m_log;
  std::string m_results = m_folder.File("results.txt");
  std::unique_ptr<CIniComponent> m_pComponent;
  std::vector<std::unique_ptr<CTestCase>> m_testCases;
  SuiteItemList m_list;
  int m_nFirstBatch = 1;
};

} // namespace

TEST_F(DosRunTest, NtFamilyRunsTheBatchListFromTheBootFloppy)
{
  Prepare();
  // The boot floppy as the harness leaves it: the batch folder's files in its root and the
  // start-up lines that call the batch list.
  const std::string image = m_folder.File("boot.img");
  ASSERT_TRUE(MakeFatImage(image, 1440, "2A0B3C4D"));
  platform::FloppyFiles floppy(image);
  for (const auto& entry : fs::directory_iterator(m_dos.BatchFolder()))
    ASSERT_EQ(floppy.CopyTo(entry.path(), "A:\\" + entry.path().filename().string(), false), 0)
        << floppy.LastErrorText();
  WriteAll(m_folder.File("autoexec"), "\r\n\r\n@ECHO OFF\r\ncall Marlow.bat\r\n");
  ASSERT_EQ(floppy.CopyTo(m_folder.File("autoexec"), "A:\\AUTOEXEC.BAT", false), 0);

  RunDos({m_dos.Root(), image, 'A'});

  // Each numbered file ran its test once and was neutralised before the program started.
  for (const std::string& numbered : NumberedFiles()) {
    SCOPED_TRACE(numbered);
    ASSERT_EQ(floppy.CopyFrom("A:\\" + numbered, m_folder.File("copy"), false), 0);
    EXPECT_EQ(ReadAll(m_folder.File("copy")).rfind(kRemark, 0), 0u);
    fs::remove(m_folder.File("copy"));
  }
  // The batch files moved onto the floppy; here the resume pass finds the list as DOS left it.
  ResumeAndJudge();
}

TEST_F(DosRunTest, NineXFamilyRunsTheBatchListFromTheHardDisk)
{
  m_dos.SetFamily("9x");
  Prepare();
  WriteAll(m_dos.File("AUTOEXEC.BAT"), "\r\ncall C:\\TMP\\~halvex\\Marlow.bat\r\n");

  RunDos({m_dos.Root(), "", 'C'});

  const std::vector<std::string> numberedFiles = NumberedFiles();
  for (const std::string& numbered : numberedFiles) {
    SCOPED_TRACE(numbered);
    EXPECT_EQ(ReadAll(m_dos.BatchFile(numbered)).rfind(kRemark, 0), 0u);
  }
  ResumeAndJudge();
  // The resume pass leaves only the empty batch list of the batch files.
  EXPECT_FALSE(fs::exists(m_dos.BatchFile(numberedFiles[0])));
}
