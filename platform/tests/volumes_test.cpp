#include "platform/volumes.h"

#include "platform/files.h"

#include "testsupport/fatimage.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace platform;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class VolumesTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    root_ = folder_.File("drive c");
    fs::create_directories(root_);
    setenv("HALVEX_SYSTEM_ROOT", root_.c_str(), 1);
  }
  void TearDown() override
  {
    unsetenv("HALVEX_SYSTEM_ROOT");
    unsetenv("HALVEX_FLOPPY");
  }

  testsupport::TempFolder folder_;
  std::string root_;
};

} // namespace

TEST(DosNameTest, EightDotThree)
{
  const struct
  {
    const char* name;
    bool valid;
  } cases[] = {
      {"MEMTEST.EXE", true},
      {"memtest.exe", true},
      {"A", true},
      {"~HALVEX", true},
      {"12345678.123", true},
      {"X.", false},
      {".X", false},
      {"123456789", false},
      {"A.1234", false},
      {"A.B.C", false},
      {"MY TEST", false},
      {"A+B", false},
      {"A[1]", false},
      {"", false},
      {"{}~!#$%&.'()", true},
      {"\xe9t\xe9", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsDosShortName(c.name), c.valid);
  }
}

TEST_F(VolumesTest, DosFormOfPathsBelowTheSystemRoot)
{
  fs::create_directories(root_ + "/tools");
  fs::create_symlink(root_, folder_.File("link"));
  const struct
  {
    std::string path;
    int error;
    const char* dos;
  } cases[] = {
      {root_, 0, "C:\\"},
      {root_ + "/", 0, "C:\\"},
      {root_ + "/tools/memtest.exe", 0, "C:\\TOOLS\\MEMTEST.EXE"},
      {root_ + "/tools/../memtest.log", 0, "C:\\MEMTEST.LOG"},
      {folder_.File("link") + "/tools", 0, "C:\\TOOLS"},
      {root_ + "/not yet/there.txt", kErrorInvalidName, ""},
      {root_ + "/tools/longer-name.txt", kErrorInvalidName, ""},
      {folder_.File("outside.txt"), kErrorBadPathname, ""},
      {root_ + "/../drive c2/x", kErrorBadPathname, ""},
      {"", kErrorInvalidParameter, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::string dos = "unchanged";
    EXPECT_EQ(DosPathFromLinux(c.path, dos), c.error);
    EXPECT_EQ(dos, c.error == 0 ? c.dos : "unchanged");
  }
  const std::string current = fs::current_path().string();
  fs::current_path(root_ + "/tools");
  std::string dos;
  EXPECT_EQ(DosPathFromLinux("x.bat", dos), 0);
  EXPECT_EQ(dos, "C:\\TOOLS\\X.BAT");
  fs::current_path(current);
}

TEST_F(VolumesTest, LinuxPathOfDosPathsFindsNamesIgnoringCase)
{
  fs::create_directories(root_ + "/Tools");
  std::ofstream(root_ + "/Tools/MemTest.log") << "x";
  const struct
  {
    const char* dos;
    int error;
    std::string linux;
  } cases[] = {
      {"C:\\TOOLS\\MEMTEST.LOG", 0, root_ + "/Tools/MemTest.log"},
      {"c:/tools/memtest.log", 0, root_ + "/Tools/MemTest.log"},
      {"C:\\", 0, root_},
      {"C:\\TOOLS\\NEW\\A.LOG", 0, root_ + "/Tools/NEW/A.LOG"},
      {"C:\\.\\X\\..\\TOOLS", 0, root_ + "/Tools"},
      {"C:\\..\\ESCAPE", kErrorBadPathname, ""},
      {"A:\\AUTOEXEC.BAT", kErrorBadPathname, ""},
      {"\\TOOLS", kErrorBadPathname, ""},
      {"C:TOOLS", kErrorBadPathname, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dos);
    std::string path = "unchanged";
    EXPECT_EQ(LinuxPathFromDos(c.dos, path), c.error);
    EXPECT_EQ(path, c.error == 0 ? c.linux : "unchanged");
  }
}

TEST_F(VolumesTest, FloppyDeviceFromTheSetting)
{
  const std::string image = folder_.File("floppy.img");
  ASSERT_TRUE(MakeFatImage(image, 1440, "1234ABCD"));
  std::string device;
  setenv("HALVEX_FLOPPY", image.c_str(), 1);
  EXPECT_EQ(FindFloppyDevice(device), 0);
  EXPECT_EQ(device, image);

  const struct
  {
    std::string setting;
    int error;
  } missing[] = {
      {folder_.File("nothing here.img"), kErrorFileNotFound},
      {folder_.File("no folder/floppy.img"), kErrorFileNotFound},
      {folder_.Path(), kErrorInvalidParameter},
  };
  for (const auto& c : missing) {
    SCOPED_TRACE(c.setting);
    setenv("HALVEX_FLOPPY", c.setting.c_str(), 1);
    device = "unchanged";
    EXPECT_EQ(FindFloppyDevice(device), c.error);
    EXPECT_EQ(device, "unchanged");
  }
}

TEST_F(VolumesTest, RemovableFatDeviceIsFoundInSysfs)
{
  // A fake /sys/block and /dev: image files stand for the devices.
  const std::string sys = folder_.File("sys/block");
  const std::string dev = folder_.File("dev");
  const auto disk = [&](const std::string& name, const char* removable, const char* size) {
    fs::create_directories(sys + "/" + name);
    std::ofstream(sys + "/" + name + "/removable") << removable << "\n";
    std::ofstream(sys + "/" + name + "/size") << size << "\n";
  };
  fs::create_directories(dev);
  disk("sda", "0", "1000"); // fixed disk holding FAT: not a floppy
  disk("sdb", "1", "2880"); // removable, ext2 on the disk, FAT on its second partition
  disk("sdc", "1", "0");    // removable without a medium
  disk("sdd", "1", "2880"); // removable FAT, but sdb comes first
  fs::create_directories(sys + "/sdb/sdb1");
  std::ofstream(sys + "/sdb/sdb1/partition") << "1\n";
  fs::create_directories(sys + "/sdb/sdb2");
  std::ofstream(sys + "/sdb/sdb2/partition") << "2\n";
  fs::create_directories(sys + "/sdb/queue"); // not a partition
  ASSERT_TRUE(MakeFatImage(dev + "/sda", 1440, "0000AAAA"));
  ASSERT_TRUE(RunTool({"truncate", "-s", "1440K", dev + "/sdb"}));
  ASSERT_TRUE(RunTool({"mke2fs", "-q", dev + "/sdb"}));
  ASSERT_TRUE(RunTool({"truncate", "-s", "100K", dev + "/sdb1"}));
  ASSERT_TRUE(MakeFatImage(dev + "/sdb2", 1440, "0000BBBB"));
  ASSERT_TRUE(MakeFatImage(dev + "/sdd", 1440, "0000DDDD"));

  std::string device;
  EXPECT_EQ(FindRemovableFatDevice(sys, dev, device), 0);
  EXPECT_EQ(device, dev + "/sdb2");
  fs::remove(dev + "/sdb2");
  EXPECT_EQ(FindRemovableFatDevice(sys, dev, device), 0);
  EXPECT_EQ(device, dev + "/sdd");
  fs::remove(dev + "/sdd");
  device = "unchanged";
  EXPECT_EQ(FindRemovableFatDevice(sys, dev, device), kErrorFileNotFound);
  EXPECT_EQ(device, "unchanged");
  EXPECT_EQ(FindRemovableFatDevice(folder_.File("no sysfs"), dev, device), kErrorFileNotFound);
}

TEST_F(VolumesTest, VolumeFactsAreReadBack)
{
  const struct
  {
    const char* label;
    int kilobytes;
    int fatBits;
    const char* serial;
    const char* fileSystem;
    std::uint32_t serialNumber;
  } cases[] = {
      {"FAT12 floppy", 1440, 0, "1234ABCD", "FAT", 0x1234ABCD},
      {"FAT16", 16384, 16, "00C0FFEE", "FAT", 0x00C0FFEE},
      {"FAT32", 40000, 32, "DEADBEEF", "FAT32", 0xDEADBEEF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string image = folder_.File(std::string(c.label) + ".img");
    ASSERT_TRUE(MakeFatImage(image, c.kilobytes, c.serial, c.fatBits, "TESTDISK"));
    VolumeInformation info;
    ASSERT_EQ(GetVolumeInformation(image, info), 0);
    EXPECT_EQ(info.fileSystemName, c.fileSystem);
    EXPECT_EQ(info.serialNumber, c.serialNumber);
    EXPECT_EQ(info.label, "TESTDISK");
    EXPECT_TRUE(IsFatFileSystemName(info.fileSystemName));
  }

  const std::string ext2 = folder_.File("ext2.img");
  ASSERT_TRUE(RunTool({"truncate", "-s", "1440K", ext2}));
  ASSERT_TRUE(RunTool({"mke2fs", "-q", "-U", "0f0e0d0c-0b0a-0908-0706-050403020100", ext2}));
  VolumeInformation info;
  ASSERT_EQ(GetVolumeInformation(ext2, info), 0);
  EXPECT_EQ(info.fileSystemName, "ext2");
  EXPECT_EQ(info.serialNumber, 0x03020100u);
  EXPECT_FALSE(IsFatFileSystemName(info.fileSystemName));

  const std::string blank = folder_.File("unformatted.img");
  ASSERT_TRUE(RunTool({"truncate", "-s", "1440K", blank}));
  EXPECT_EQ(GetVolumeInformation(blank, info), kErrorUnrecognizedVolume);
  EXPECT_EQ(GetVolumeInformation(folder_.File("missing.img"), info), kErrorNotReady);
  EXPECT_EQ(GetVolumeInformation("", info), kErrorInvalidParameter);
}

TEST(FileSystemNameTest, FatNamesIgnoringCase)
{
  for (const char* name : {"FAT", "fat", "Fat16", "FAT32"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(IsFatFileSystemName(name));
  }
  for (const char* name : {"", "FAT12", "exFAT", "NTFS", "FAT3", "FAT32 "}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(IsFatFileSystemName(name));
  }
}

TEST_F(VolumesTest, FolderFileSystemByStatfs)
{
  std::string name;
  EXPECT_EQ(GetFolderFileSystemName("/proc", name), 0);
  EXPECT_EQ(name, "0x9fa0") << "proc is not in the table: its magic number";
  EXPECT_EQ(GetFolderFileSystemName(folder_.Path(), name), 0);
  EXPECT_FALSE(name.empty());
  EXPECT_FALSE(IsFatFileSystemName(name)) << name;
  EXPECT_EQ(GetFolderFileSystemName(folder_.File("missing"), name), kErrorFileNotFound);
  EXPECT_EQ(GetFolderFileSystemName("", name), kErrorInvalidParameter);
}
