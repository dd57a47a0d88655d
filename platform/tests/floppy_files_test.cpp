#include "platform/floppy_files.h"

#include "platform/files.h"
#include "platform/volumes.h"

#include "testsupport/fatimage.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

using namespace platform;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class FloppyFilesTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    image_ = folder_.File("floppy.img");
    ASSERT_TRUE(MakeFatImage(image_, 1440, "2468ACE0"));
    ASSERT_TRUE(PutOnImage(image_, folder_.File("scratch"), "@echo off\r\n", "::/AUTOEXEC.BAT"));
    ASSERT_TRUE(PutOnImage(image_, folder_.File("scratch"), "old", "::/OLD.BAT"));
    ASSERT_TRUE(PutOnImage(image_, folder_.File("scratch"), "shell", "::/COMMAND.COM"));
    ASSERT_TRUE(PutOnImage(image_, folder_.File("scratch"), "io", "::/IO.SYS"));
    ASSERT_TRUE(RunTool({"mattrib", "-i", image_, "+h", "+s", "::/IO.SYS"}));
    ASSERT_TRUE(RunTool({"mmd", "-i", image_, "::/TESTS"}));
    ASSERT_TRUE(PutOnImage(image_, folder_.File("scratch"), "t", "::/TESTS/T1.BAT"));
  }

  std::vector<std::string> Names(const std::string& pattern, int expected = 0)
  {
    std::vector<FloppyEntry> entries;
    EXPECT_EQ(FloppyFiles(image_).List(pattern, entries), expected);
    std::vector<std::string> names;
    for (const auto& entry : entries) {
      names.push_back(entry.name + (entry.directory ? "/" : ""));
    }
    return names;
  }

  std::string WriteLinux(const std::string& name, const std::string& text)
  {
    const std::string path = folder_.File(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  testsupport::TempFolder folder_;
  std::string image_;
};

} // namespace

TEST(MtoolsPathTest, FloppyPathsBecomeMtoolsPaths)
{
  const struct
  {
    const char* floppy;
    const char* mtools; // null: refused
  } cases[] = {
      {"A:\\AUTOEXEC.BAT", "::/AUTOEXEC.BAT"},
      {"a:/tests/t1.bat", "::/tests/t1.bat"},
      {"\\TESTS\\\\T1.BAT", "::/TESTS/T1.BAT"},
      {"REBOOT.COM", "::/REBOOT.COM"},
      {"long name.txt", "::/long name.txt"},
      {"A:\\", nullptr},
      {"", nullptr},
      {"A:\\*.BAT", nullptr},
      {"B:\\X", nullptr},
      {"X\tY", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.floppy);
    std::string path;
    EXPECT_EQ(MtoolsPathFromFloppy(c.floppy, path), c.mtools != nullptr);
    if (c.mtools) {
      EXPECT_EQ(path, c.mtools);
    }
  }
}

TEST_F(FloppyFilesTest, ListingMatchesPatternsIgnoringCase)
{
  EXPECT_EQ(Names("A:\\*.bat*"), (std::vector<std::string>{"AUTOEXEC.BAT", "OLD.BAT"}));
  EXPECT_EQ(Names("*.*"), (std::vector<std::string>{"AUTOEXEC.BAT", "OLD.BAT", "COMMAND.COM",
                                                    "IO.SYS", "TESTS/"}))
      << "hidden and system files and folders too";
  EXPECT_EQ(Names("a:/tests/*.BAT"), std::vector<std::string>{"T1.BAT"});
  EXPECT_TRUE(Names("A:\\*.exe", kErrorFileNotFound).empty());
  EXPECT_TRUE(Names("A:\\NOPE\\*.*", kErrorPathNotFound).empty());
  EXPECT_TRUE(Names("A:\\", kErrorInvalidName).empty());

  FloppyEntry entry;
  FloppyFiles floppy(image_);
  EXPECT_EQ(floppy.Find("A:\\command.com", entry), 0);
  EXPECT_EQ(entry.name, "COMMAND.COM");
  EXPECT_FALSE(entry.directory);
  EXPECT_EQ(floppy.Find("A:\\TESTS", entry), 0);
  EXPECT_TRUE(entry.directory);
  EXPECT_EQ(floppy.Find("A:\\MISSING.COM", entry), kErrorFileNotFound);
  EXPECT_EQ(floppy.Find("A:\\NOPE\\X.COM", entry), kErrorPathNotFound);
}

TEST_F(FloppyFilesTest, CopyBothWaysKeepsEveryByte)
{
  std::string bytes;
  for (int i = 0; i < 70000; ++i) {
    bytes += static_cast<char>(i * 7 % 256);
  }
  const std::string source = WriteLinux("source.bin", bytes);
  FloppyFiles floppy(image_);
  EXPECT_EQ(floppy.CopyTo(source, "A:\\DATA.BIN", false), 0);
  EXPECT_EQ(floppy.CopyTo(source, "A:\\TESTS\\DATA.BIN", true), 0);
  const std::string back = folder_.File("back.bin");
  EXPECT_EQ(floppy.CopyFrom("A:\\TESTS\\data.bin", back, false), 0);
  EXPECT_EQ(ReadAll(back), bytes);
  EXPECT_EQ(ReadAll(source), bytes) << "a copy leaves the source";

  // Replacing and refusing to replace, both directions.
  const std::string small = WriteLinux("small.txt", "new text");
  EXPECT_EQ(floppy.CopyTo(small, "A:\\DATA.BIN", true), kErrorFileExists);
  EXPECT_EQ(floppy.CopyTo(small, "A:\\DATA.BIN", false), 0);
  EXPECT_EQ(floppy.CopyFrom("A:\\DATA.BIN", back, true), kErrorFileExists);
  EXPECT_EQ(ReadAll(back), bytes);
  EXPECT_EQ(floppy.CopyFrom("A:\\DATA.BIN", back, false), 0);
  EXPECT_EQ(ReadAll(back), "new text");

  const struct
  {
    const char* label;
    int error;
    int result;
  } failures[] = {
      {"missing Linux source", kErrorFileNotFound,
       floppy.CopyTo(folder_.File("missing"), "A:\\X.BIN", false)},
      {"missing Linux folder", kErrorPathNotFound,
       floppy.CopyTo(folder_.File("no/such"), "A:\\X.BIN", false)},
      {"missing floppy folder", kErrorPathNotFound, floppy.CopyTo(small, "A:\\NOPE\\X.BIN", false)},
      {"onto a floppy folder", kErrorAccessDenied, floppy.CopyTo(small, "A:\\TESTS", false)},
      {"missing floppy file", kErrorFileNotFound,
       floppy.CopyFrom("A:\\MISSING.BIN", folder_.File("m"), false)},
      {"into a missing Linux folder", kErrorPathNotFound,
       floppy.CopyFrom("A:\\DATA.BIN", folder_.File("no/such"), false)},
      {"a floppy folder", kErrorAccessDenied,
       floppy.CopyFrom("A:\\TESTS", folder_.File("t"), false)},
  };
  for (const auto& f : failures) {
    SCOPED_TRACE(f.label);
    EXPECT_EQ(f.result, f.error);
  }
  EXPECT_FALSE(fs::exists(folder_.File("m")));
}

TEST_F(FloppyFilesTest, FullFloppyLeavesNoPartialFile)
{
  const std::string big = WriteLinux("big.bin", std::string(1600 * 1024, 'x'));
  FloppyFiles floppy(image_);
  EXPECT_EQ(floppy.CopyTo(big, "A:\\BIG.BIN", false), kErrorDiskFull);
  EXPECT_NE(floppy.LastErrorText().find("Disk full"), std::string::npos) << floppy.LastErrorText();
  FloppyEntry entry;
  EXPECT_EQ(floppy.Find("A:\\BIG.BIN", entry), kErrorFileNotFound);
}

TEST_F(FloppyFilesTest, MoveRenameAndDelete)
{
  FloppyFiles floppy(image_);
  const std::string batch = WriteLinux("Marlow.bat", "\r\ncall MY_TE001.bat");
  EXPECT_EQ(floppy.MoveTo(batch, "A:\\Marlow.bat"), 0);
  EXPECT_FALSE(fs::exists(batch)) << "moved, not copied";
  const std::string again = WriteLinux("Marlow.bat", "second");
  EXPECT_EQ(floppy.MoveTo(again, "A:\\MARLOW.BAT"), kErrorAlreadyExists);
  EXPECT_TRUE(fs::exists(again)) << "a refused move leaves the source";
  EXPECT_EQ(floppy.CopyFrom("A:\\MARLOW.BAT", folder_.File("check"), false), 0);
  EXPECT_EQ(ReadAll(folder_.File("check")), "\r\ncall MY_TE001.bat");

  EXPECT_EQ(floppy.Rename("A:\\OLD.BAT", "A:\\TESTS\\NEW.BAT"), 0);
  EXPECT_EQ(floppy.Rename("A:\\OLD.BAT", "A:\\X.BAT"), kErrorFileNotFound);
  EXPECT_EQ(floppy.Rename("A:\\AUTOEXEC.BAT", "A:\\TESTS\\T1.BAT"), kErrorAlreadyExists);
  EXPECT_EQ(Names("A:\\TESTS\\*.*"), (std::vector<std::string>{"T1.BAT", "NEW.BAT"}));

  EXPECT_EQ(floppy.Delete("A:\\TESTS\\NEW.BAT"), 0);
  EXPECT_EQ(floppy.Delete("A:\\TESTS\\NEW.BAT"), kErrorFileNotFound);
  EXPECT_EQ(floppy.Delete("A:\\TESTS"), kErrorAccessDenied);
  EXPECT_EQ(floppy.Delete("A:\\NOPE\\X"), kErrorPathNotFound);
  EXPECT_EQ(Names("A:\\TESTS\\*.*"), std::vector<std::string>{"T1.BAT"});
}

TEST_F(FloppyFilesTest, OnlyAReadableFatMediumIsTouched)
{
  const std::string ext2 = folder_.File("ext2.img");
  ASSERT_TRUE(RunTool({"truncate", "-s", "1440K", ext2}));
  ASSERT_TRUE(RunTool({"mke2fs", "-q", ext2}));
  const std::string file = WriteLinux("file.txt", "x");
  for (const auto& [device, error] : {std::pair{ext2, kErrorUnrecognizedVolume},
                                      std::pair{folder_.File("absent.img"), kErrorNotReady}}) {
    SCOPED_TRACE(device);
    FloppyFiles floppy(device);
    std::vector<FloppyEntry> entries;
    FloppyEntry entry;
    EXPECT_EQ(floppy.List("A:\\*.*", entries), error);
    EXPECT_EQ(floppy.Find("A:\\X", entry), error);
    EXPECT_EQ(floppy.CopyTo(file, "A:\\X", false), error);
    EXPECT_EQ(floppy.CopyFrom("A:\\X", folder_.File("y"), false), error);
    EXPECT_EQ(floppy.MoveTo(file, "A:\\X"), error);
    EXPECT_EQ(floppy.Rename("A:\\X", "A:\\Y"), error);
    EXPECT_EQ(floppy.Delete("A:\\X"), error);
  }
  EXPECT_TRUE(fs::exists(file));
  EXPECT_FALSE(fs::exists(folder_.File("absent.img")));
}
