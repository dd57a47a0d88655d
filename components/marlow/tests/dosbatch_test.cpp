// The DOS batch files byte for byte on both families, the batch list, the first-time backups of
// the start-up files, the file-error box and the resume pass's clean-up, on real files.
#include "marlow/dosbatch.h"
#include "marlow/fileerrorbox.h"

#include "platform/files.h"

#include "testsupport/doslayout.h"
#include "testsupport/logcapture.h"
#include "testsupport/stopboxcapture.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testsupport;
using marlow::DosBatchResult;
namespace fs = std::filesystem;

namespace {

class DosBatchTest : public ::testing::Test
{
protected:
  DosBatchTest() { m_folder.Write("defs/CONFIG.SYS", "FILES=30\r\n"); }

  std::string IniFolder() const { return m_folder.File("defs/"); }

  DosBatchResult Write(const std::string& name, const std::string& cmd)
  {
    return m_batch.WriteDosBatch(name, cmd, IniFolder());
  }

  TempFolder m_folder;
  DosLayout m_dos{m_folder};
  LogCapture m_log;
  StopBoxCapture m_boxes;
  CDosBatch m_batch;
};

} // namespace

TEST_F(DosBatchTest, NumberedFileOnTheNtFamilyHoldsBareNames)
{
  ASSERT_EQ(Write("My test", R"(C:\TOOLS\MEMTEST.EXE /QUICK "C:\MEM.LOG" )"),
            DosBatchResult::Written);
  EXPECT_EQ(ReadAll(m_dos.BatchFile("My_te001.bat")),
            "echo REM Created by Redi Devuzad > ~~Marlow.bat\r\n"
            "echo copy ~~Marlow.bat My_te001.bat > ~Marlow.bat\r\n"
            "echo C:\\TOOLS\\MEMTEST.EXE /QUICK  C:\\MEM.LOG >> ~Marlow.bat\r\n"
            "~Marlow.bat");
  EXPECT_EQ(ReadAll(m_dos.BatchFile("Marlow.bat")), "\r\ncall My_te001.bat");
  EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(DosBatchTest, NumberedFileOnThe9xFamilyHoldsFullDosPaths)
{
  m_dos.SetFamily("9x");
  ASSERT_EQ(Write("My test", "C:\\MEMTEST.EXE"), DosBatchResult::Written);
  EXPECT_EQ(ReadAll(m_dos.BatchFile("My_te001.bat")),
            "echo REM Created by Redi Devuzad > C:\\TMP\\~HALVEX\\~~MARLOW.BAT\r\n"
            "echo copy C:\\TMP\\~HALVEX\\~~MARLOW.BAT C:\\TMP\\~HALVEX\\MY_TE001.BAT > "
            "C:\\TMP\\~HALVEX\\~MARLOW.BAT\r\n"
            "echo C:\\MEMTEST.EXE >> C:\\TMP\\~HALVEX\\~MARLOW.BAT\r\n"
            "C:\\TMP\\~HALVEX\\~MARLOW.BAT");
  EXPECT_EQ(ReadAll(m_dos.BatchFile("Marlow.bat")), "\r\ncall C:\\TMP\\~HALVEX\\MY_TE001.BAT");
}

TEST_F(DosBatchTest, PrefixesAndNumbersFollowTheLoad)
{
  const struct
  {
    const char* name;
    const char* file;
  } cases[] = {{"My test", "My_te001.bat"}, {"My.t2", "My_t2002.bat"}, {"Third", "Third003.bat"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Write(c.name, "C:\\X.EXE"), DosBatchResult::Written);
    EXPECT_TRUE(fs::exists(m_dos.BatchFile(c.file)));
  }
  EXPECT_EQ(m_batch.Counter(), 4);
  // Starts with an empty line; no line end after the last call.
  EXPECT_EQ(ReadAll(m_dos.BatchFile("Marlow.bat")),
            "\r\ncall My_te001.bat\r\ncall My_t2002.bat\r\ncall Third003.bat");
}

TEST_F(DosBatchTest, PrefixRule)
{
  const struct
  {
    const char* name;
    const char* prefix;
  } cases[] = {{"My test", "My_te"}, {"My.t2", "My_t2"},       {"ab", "ab"},  {"", ""},
               {"a/b*c", "a_b_c"},   {"Memory test", "Memor"}, {" .x", "__x"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CDosBatch::BatchFilePrefix(c.name), c.prefix);
  }
}

TEST_F(DosBatchTest, FirstPreparationOfALoadBacksUpTheStartupFiles)
{
  WriteAll(m_dos.File("AUTOEXEC.BAT"), "PATH C:\\DOS\r\n");
  WriteAll(m_dos.File("CONFIG.SYS"), "DEVICE=HIMEM.SYS\r\n");
  ASSERT_EQ(Write("One", "C:\\X.EXE"), DosBatchResult::Written);
  EXPECT_EQ(ReadAll(m_dos.File("AUTOEXEC.BAK")), "PATH C:\\DOS\r\n");
  EXPECT_EQ(ReadAll(m_dos.File("CONFIG.BAK")), "DEVICE=HIMEM.SYS\r\n");
  EXPECT_EQ(ReadAll(m_dos.File("CONFIG.SYS")), "FILES=30\r\n");

  // Later preparations of the same load keep the backups of the machine's own files.
  WriteAll(m_dos.File("AUTOEXEC.BAT"), "changed\r\n");
  ASSERT_EQ(Write("Two", "C:\\X.EXE"), DosBatchResult::Written);
  EXPECT_EQ(ReadAll(m_dos.File("AUTOEXEC.BAK")), "PATH C:\\DOS\r\n");
  EXPECT_EQ(ReadAll(m_dos.File("CONFIG.BAK")), "DEVICE=HIMEM.SYS\r\n");

  // A new load backs up again.
  CDosBatch reloaded;
  ASSERT_EQ(reloaded.WriteDosBatch("Three", "C:\\X.EXE", IniFolder()), DosBatchResult::Written);
  EXPECT_EQ(ReadAll(m_dos.File("AUTOEXEC.BAK")), "changed\r\n");
  EXPECT_TRUE(fs::exists(m_dos.BatchFile("Three001.bat")));
}

TEST_F(DosBatchTest, WithoutAConfigSysInTheDefinitionsDosBootsWithAnEmptyOne)
{
  WriteAll(m_dos.File("CONFIG.SYS"), "DEVICE=HIMEM.SYS\r\n");
  ASSERT_EQ(m_batch.WriteDosBatch("One", "C:\\X.EXE", m_folder.File("none/")),
            DosBatchResult::Written);
  EXPECT_EQ(ReadAll(m_dos.File("CONFIG.BAK")), "DEVICE=HIMEM.SYS\r\n");
  EXPECT_TRUE(fs::exists(m_dos.File("CONFIG.SYS")));
  EXPECT_EQ(ReadAll(m_dos.File("CONFIG.SYS")), "");
  // No AUTOEXEC.BAT to back up: no backup appears.
  EXPECT_FALSE(fs::exists(m_dos.File("AUTOEXEC.BAK")));
}

TEST_F(DosBatchTest, AConfigSysThatCannotBeBackedUpIsLeftAlone)
{
  WriteAll(m_dos.File("CONFIG.SYS"), "DEVICE=HIMEM.SYS\r\n");
  fs::create_directory(m_dos.File("CONFIG.BAK"));
  ASSERT_EQ(Write("One", "C:\\X.EXE"), DosBatchResult::Written);
  EXPECT_EQ(ReadAll(m_dos.File("CONFIG.SYS")), "DEVICE=HIMEM.SYS\r\n");
  EXPECT_TRUE(m_log.HasPart("CONFIG.SYS could not be backed up")) << m_log.All();
}

TEST_F(DosBatchTest, StartupFilesLeftByAnEarlierLoadKeepTheMachinesBackups)
{
  const std::string own = "PATH C:\\DOS\r\n";
  const std::string startLines = "\r\n\r\n@ECHO OFF\r\ncall Marlow.bat\r\ncall reboot.bat\r\n";
  const struct
  {
    const char* what;
    std::string autoexec;
    std::string config;
    std::string autoexecAfter; // AUTOEXEC.BAT and AUTOEXEC.BAK afterwards
    std::string configBackupAfter;
  } cases[] = {
      {"start lines left after the backup", own + startLines, "FILES=30\r\n", own,
       "DEVICE=HIMEM.SYS\r\n"},
      {"edited by hand since", own + "SET X=1\r\n", "FILES=20\r\n", own + "SET X=1\r\n",
       "FILES=20\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteAll(m_dos.File("AUTOEXEC.BAT"), c.autoexec);
    WriteAll(m_dos.File("AUTOEXEC.BAK"), own);
    WriteAll(m_dos.File("CONFIG.SYS"), c.config);
    WriteAll(m_dos.File("CONFIG.BAK"), "DEVICE=HIMEM.SYS\r\n");
    CDosBatch newLoad;
    ASSERT_EQ(newLoad.WriteDosBatch("One", "C:\\X.EXE", IniFolder()), DosBatchResult::Written);
    EXPECT_EQ(ReadAll(m_dos.File("AUTOEXEC.BAT")), c.autoexecAfter);
    EXPECT_EQ(ReadAll(m_dos.File("AUTOEXEC.BAK")), c.autoexecAfter);
    EXPECT_EQ(ReadAll(m_dos.File("CONFIG.BAK")), c.configBackupAfter);
    EXPECT_EQ(ReadAll(m_dos.File("CONFIG.SYS")), "FILES=30\r\n");
  }
}

TEST_F(DosBatchTest, EmptyCommandLineWritesNothing)
{
  for (const char* cmd : {"", "   ", "\" \""}) {
    SCOPED_TRACE(cmd);
    EXPECT_EQ(Write("Empty", cmd), DosBatchResult::EmptyCommandLine);
  }
  EXPECT_EQ(m_batch.Counter(), 1);
  EXPECT_FALSE(fs::exists(m_dos.BatchFile("Empty001.bat")));
  EXPECT_FALSE(fs::exists(m_dos.BatchFile("Marlow.bat")));
}

TEST_F(DosBatchTest, FileErrorsShowTheirCauseAndFailThePreparation)
{
  const std::string numbered = m_dos.BatchFile("One001.bat");
  {
    SCOPED_TRACE("batch folder is a file");
    WriteAll(m_dos.BatchFolder(), "in the way");
    EXPECT_EQ(Write("One", "C:\\X.EXE"), DosBatchResult::FileError);
    EXPECT_EQ(m_boxes.Boxes(),
              std::vector<std::string>{"ERROR 0021: All or part of the path  is invalid.: "
                                       "Filename: " +
                                       numbered + ", Error code 3."});
    EXPECT_EQ(m_batch.Counter(), 1);
    fs::remove(m_dos.BatchFolder());
  }
  {
    SCOPED_TRACE("batch list cannot be written");
    m_boxes.Clear();
    fs::create_directories(m_dos.BatchFile("Marlow.bat"));
    EXPECT_EQ(Write("One", "C:\\X.EXE"), DosBatchResult::FileError);
    EXPECT_EQ(
        m_boxes.Boxes(),
        std::vector<std::string>{
            "ERROR 0024: The file could not be accessed.: Filename: One001.bat, Error code 5."});
  }
  {
    SCOPED_TRACE("batch folder out of DOS's reach on the 9x family");
    m_boxes.Clear();
    m_dos.SetFamily("9x");
    ScopedEnvironment env;
    env.Set("TMPDIR", m_folder.File("elsewhere"));
    fs::create_directories(m_folder.File("elsewhere"));
    EXPECT_EQ(Write("Out", "C:\\X.EXE"), DosBatchResult::FileError);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0], "ERROR 0021: All or part of the path  is invalid.: Filename: " +
                                      m_folder.File("elsewhere/~halvex/Out002.bat") +
                                      ", Error code 161.");
  }
}

TEST_F(DosBatchTest, FileErrorCauses)
{
  const struct
  {
    int error;
    const char* cause;
  } cases[] = {{2, "ERROR 0020: The file could not be located."},
               {3, "ERROR 0021: All or part of the path  is invalid."},
               {112, "ERROR 0023: The disk is full."},
               {5, "ERROR 0024: The file could not be accessed."},
               {19, "ERROR 0024: The file could not be accessed."},
               {4, "ERROR 0025: The permitted number of open files was exceeded."},
               {32, "ERROR 0027: Share.exe was not loaded, or a shared region was locked."},
               {31, "ERROR 0033: There was a hardware error."},
               {87, "ERROR 0030: An unspecified error occurred."},
               {9999, "ERROR 0034: Unknown file exception cause."}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    EXPECT_EQ(marlow::FileErrorBoxText("A.BAT", c.error), std::string(c.cause) +
                                                              ": Filename: A.BAT, Error code " +
                                                              std::to_string(c.error) + ".");
  }
}

TEST_F(DosBatchTest, ResumePassLeavesAnEmptyBatchListAndNoOtherBatchFile)
{
  ASSERT_EQ(Write("One", "C:\\X.EXE"), DosBatchResult::Written);
  ASSERT_EQ(Write("Two", "C:\\X.EXE"), DosBatchResult::Written);
  WriteAll(m_dos.BatchFile("~Marlow.bat"), "made by DOS");
  WriteAll(m_dos.BatchFile("OLD.BAT"), "upper case");
  WriteAll(m_dos.BatchFile("reboot.com"), "kept");
  CDosBatch::ClearBatchFolder();
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(m_dos.BatchFolder()))
    left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"Marlow.bat", "reboot.com"}));
  EXPECT_EQ(ReadAll(m_dos.BatchFile("Marlow.bat")), "");
}
