#include "platform/files.h"

#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <utime.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class FilesTest : public ::testing::Test
{
protected:
  testsupport::TempFolder m_temp;
  void SetUp() override { folder_ = m_temp.Path(); }
  void TearDown() override
  {
    // Read-only entries must not stop the clean-up.
    for (const auto& entry : fs::recursive_directory_iterator(folder_))
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
  }

  std::string Make(const std::string& name, const std::string& text = "text")
  {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  fs::path folder_;
};

std::string ReadText(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

} // namespace

TEST_F(FilesTest, TempPathDropsTrailingSeparators)
{
  const char* saved = std::getenv("TMPDIR");
  const std::string savedValue = saved ? saved : "";
  const struct
  {
    const char* tmpdir;
    const char* expected;
  } cases[] = {
      {nullptr, "/tmp"}, {"", "/tmp"}, {"/var/tmp/", "/var/tmp"}, {"/a/b//", "/a/b"}, {"/", "/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tmpdir ? c.tmpdir : "(unset)");
    if (c.tmpdir)
      setenv("TMPDIR", c.tmpdir, 1);
    else
      unsetenv("TMPDIR");
    EXPECT_EQ(platform::GetTempPath(), c.expected);
  }
  if (saved)
    setenv("TMPDIR", savedValue.c_str(), 1);
  else
    unsetenv("TMPDIR");
}

TEST_F(FilesTest, ShortPathIsThePathWhenItExists)
{
  const std::string file = Make("long name with blanks.text");
  std::string shortPath = "unchanged";
  EXPECT_EQ(platform::GetShortPathName(file, shortPath), platform::kErrorSuccess);
  EXPECT_EQ(shortPath, file);
  EXPECT_EQ(platform::GetShortPathName(folder_.string(), shortPath), platform::kErrorSuccess);
  EXPECT_EQ(shortPath, folder_.string());

  shortPath = "unchanged";
  EXPECT_EQ(platform::GetShortPathName(Path("missing.txt"), shortPath),
            platform::kErrorFileNotFound);
  EXPECT_EQ(platform::GetShortPathName(Path("no folder/missing.txt"), shortPath),
            platform::kErrorPathNotFound);
  EXPECT_EQ(shortPath, "unchanged");
}

TEST_F(FilesTest, StatusHasWholeSecondsAndAttributes)
{
  const std::string file = Make("status.log", "twelve bytes");
  struct timespec times[2] = {{1'000'000'000, 700'000'000}, {1'234'567'890, 999'999'999}};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);

  platform::FileStatus status;
  ASSERT_EQ(platform::GetFileStatus(file, status), platform::kErrorSuccess);
  EXPECT_EQ(status.modificationTime, 1'234'567'890);
  EXPECT_EQ(status.modificationTimeNs, 1'234'567'890'999'999'999);
  EXPECT_EQ(status.accessTime, 1'000'000'000);
  EXPECT_GT(status.creationTime, 0);
  EXPECT_EQ(status.size, 12u);
  EXPECT_EQ(status.attributes, platform::kFileAttributeNormal);
  EXPECT_EQ(status.fullName, file);

  ASSERT_EQ(platform::GetFileStatus(folder_.string(), status), platform::kErrorSuccess);
  EXPECT_EQ(status.attributes, platform::kFileAttributeDirectory);
  EXPECT_EQ(platform::GetFileStatus(Path("gone"), status), platform::kErrorFileNotFound);
  EXPECT_EQ(platform::GetFileStatus(Path("gone/x"), status), platform::kErrorPathNotFound);
  EXPECT_EQ(platform::GetFileStatus(file + "/below", status), platform::kErrorPathNotFound);
}

TEST_F(FilesTest, ReadOnlyAttributeFollowsWritePermission)
{
  const std::string file = Make("suite.ts");
  const std::string hidden = Make(".hidden");
  std::uint32_t attributes = 0;
  ASSERT_EQ(platform::GetFileAttributes(hidden, attributes), platform::kErrorSuccess);
  EXPECT_EQ(attributes, platform::kFileAttributeHidden);

  ASSERT_EQ(platform::SetFileAttributes(file, platform::kFileAttributeReadOnly),
            platform::kErrorSuccess);
  ASSERT_EQ(platform::GetFileAttributes(file, attributes), platform::kErrorSuccess);
  EXPECT_EQ(attributes, platform::kFileAttributeReadOnly);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none);
  // Windows refuses to delete or overwrite a read-only file; so do we.
  EXPECT_EQ(platform::DeleteFile(file), platform::kErrorAccessDenied);
  EXPECT_EQ(platform::CopyFile(hidden, file, false), platform::kErrorAccessDenied);
  EXPECT_EQ(ReadText(file), "text");

  ASSERT_EQ(platform::SetFileAttributes(file, platform::kFileAttributeNormal),
            platform::kErrorSuccess);
  ASSERT_EQ(platform::GetFileAttributes(file, attributes), platform::kErrorSuccess);
  EXPECT_EQ(attributes, platform::kFileAttributeNormal);
  EXPECT_EQ(platform::DeleteFile(file), platform::kErrorSuccess);
  EXPECT_EQ(platform::GetFileAttributes(file, attributes), platform::kErrorFileNotFound);
  EXPECT_EQ(platform::SetFileAttributes(file, 0), platform::kErrorFileNotFound);
}

TEST_F(FilesTest, CopyKeepsContentsModeAndTime)
{
  const std::string source = Make("AUTOEXEC.BAT", std::string(200'000, 'x') + "end");
  struct timespec times[2] = {{1'500'000'000, 0}, {1'600'000'000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, source.c_str(), times, 0), 0);
  const std::string target = Path("AUTOEXEC.BAK");
  Make("AUTOEXEC.BAK", "old contents");

  EXPECT_EQ(platform::CopyFile(source, target, true), platform::kErrorFileExists);
  EXPECT_EQ(ReadText(target), "old contents");
  EXPECT_EQ(platform::CopyFile(source, target, false), platform::kErrorSuccess);
  EXPECT_EQ(ReadText(target), ReadText(source));
  platform::FileStatus status;
  ASSERT_EQ(platform::GetFileStatus(target, status), platform::kErrorSuccess);
  EXPECT_EQ(status.modificationTime, 1'600'000'000);

  const std::string fresh = Path("CONFIG.BAK");
  EXPECT_EQ(platform::CopyFile(source, fresh, true), platform::kErrorSuccess);
  EXPECT_EQ(ReadText(fresh), ReadText(source));
  EXPECT_EQ(platform::CopyFile(source, source, false), platform::kErrorSuccess);
  EXPECT_EQ(ReadText(source).size(), 200'003u);

  const struct
  {
    const char* label;
    std::string from;
    std::string to;
    int expected;
  } failures[] = {
      {"missing source", Path("none.bat"), Path("x"), platform::kErrorFileNotFound},
      {"missing source folder", Path("none/a.bat"), Path("x"), platform::kErrorPathNotFound},
      {"missing target folder", source, Path("none/a.bat"), platform::kErrorPathNotFound},
      {"folder as source", folder_.string(), Path("x"), platform::kErrorAccessDenied},
      {"folder as target", source, folder_.string(), platform::kErrorAccessDenied},
      {"empty name", "", Path("x"), platform::kErrorInvalidParameter},
  };
  for (const auto& c : failures) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(platform::CopyFile(c.from, c.to, false), c.expected);
  }
  // No temporary copies are left behind.
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder_))
    ++entries;
  EXPECT_EQ(entries, 3);
}

TEST_F(FilesTest, MoveRefusesToReplace)
{
  const std::string from = Make("a.txt", "first");
  const std::string taken = Make("b.txt", "second");
  EXPECT_EQ(platform::MoveFile(from, taken), platform::kErrorAlreadyExists);
  EXPECT_EQ(ReadText(taken), "second");
  EXPECT_EQ(platform::MoveFile(from, Path("c.txt")), platform::kErrorSuccess);
  EXPECT_EQ(ReadText(Path("c.txt")), "first");
  EXPECT_FALSE(fs::exists(from));
  EXPECT_EQ(platform::MoveFile(from, Path("d.txt")), platform::kErrorFileNotFound);
  EXPECT_EQ(platform::MoveFile(Path("c.txt"), Path("none/c.txt")), platform::kErrorPathNotFound);

  EXPECT_EQ(platform::CreateDirectory(Path("batch")), platform::kErrorSuccess);
  EXPECT_EQ(platform::CreateDirectory(Path("batch")), platform::kErrorAlreadyExists);
  EXPECT_EQ(platform::CreateDirectory(Path("none/batch")), platform::kErrorPathNotFound);
  EXPECT_EQ(platform::MoveFile(Path("batch"), Path("renamed")), platform::kErrorSuccess);
  EXPECT_TRUE(fs::is_directory(Path("renamed")));
  EXPECT_EQ(platform::DeleteFile(Path("renamed")), platform::kErrorAccessDenied);
  EXPECT_EQ(platform::DeleteFile(Path("gone")), platform::kErrorFileNotFound);
}

TEST_F(FilesTest, FindWalksMatchesInNameOrder)
{
  for (const char* name : {"b.bat", "A.BAT", "c.txt", "Marlow.bat", "a[1].bat", "noext"})
    Make(name);
  fs::create_directory(folder_ / "sub.bat");
  const struct
  {
    std::string pattern;
    std::vector<std::string> expected;
  } cases[] = {
      {"*.bat", {"A.BAT", "a[1].bat", "b.bat", "Marlow.bat", "sub.bat"}},
      {"*.*", {"A.BAT", "a[1].bat", "b.bat", "c.txt", "Marlow.bat", "noext", "sub.bat"}},
      {"?.bat", {"A.BAT", "b.bat"}},
      {"a[1].*", {"a[1].bat"}},
      {"MARLOW.BAT", {"Marlow.bat"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    platform::FileFinder finder;
    platform::FindData data;
    std::vector<std::string> found;
    for (int result = finder.FindFirstFile(Path(c.pattern), data);
         result == platform::kErrorSuccess; result = finder.FindNextFile(data)) {
      found.push_back(data.name);
      EXPECT_EQ(data.path, Path(data.name));
    }
    EXPECT_EQ(found, c.expected);
    EXPECT_EQ(finder.FindNextFile(data), platform::kErrorNoMoreFiles);
  }

  platform::FileFinder finder;
  platform::FindData data;
  ASSERT_EQ(finder.FindFirstFile(Path("sub.*"), data), platform::kErrorSuccess);
  EXPECT_EQ(data.attributes, platform::kFileAttributeDirectory);
  ASSERT_EQ(finder.FindFirstFile(Path("c.txt"), data), platform::kErrorSuccess);
  EXPECT_EQ(data.size, 4u);
  EXPECT_EQ(data.attributes, platform::kFileAttributeNormal);
  EXPECT_EQ(finder.FindFirstFile(Path("*.ts"), data), platform::kErrorFileNotFound);
  EXPECT_EQ(finder.FindFirstFile(Path("none/*.ts"), data), platform::kErrorPathNotFound);

  // An entry removed between the calls is skipped, not reported half-read.
  ASSERT_EQ(finder.FindFirstFile(Path("?.bat"), data), platform::kErrorSuccess);
  fs::remove(Path("b.bat"));
  EXPECT_EQ(finder.FindNextFile(data), platform::kErrorNoMoreFiles);
}

TEST(FileErrorsTest, ErrnoMapping)
{
  const struct
  {
    int error;
    int expected;
  } cases[] = {
      {0, 0},        {ENOENT, 2},      {ENOTDIR, 3},        {EMFILE, 4}, {EACCES, 5},  {EPERM, 5},
      {EISDIR, 5},   {ENOMEM, 8},      {EROFS, 19},         {EBUSY, 32}, {EEXIST, 80}, {EINVAL, 87},
      {ENOSPC, 112}, {ENOTEMPTY, 145}, {ENAMETOOLONG, 206}, {EXDEV, 31},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    EXPECT_EQ(platform::ErrorFromErrno(c.error), c.expected);
  }
}
