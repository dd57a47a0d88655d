// The suites folder scan on real files: good, damaged and locked suite files, and other files.
#include "harness/halvexdoc.h"
#include "harness/stringids.h"
#include "harness/suitesscan.h"

#include "plinth/archive.h"

#include "testsupport/hostsupport.h"
#include "testsupport/probecases.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace harness::test {

using namespace testsupport;
namespace {

std::vector<std::pair<unsigned, std::string>> g_archiveReports;

class SuitesScanTest : public ::testing::Test
{
protected:
  SuitesScanTest() : strings(HarnessStrings())
  {
    g_archiveReports.clear();
    SetArchiveErrorReporter([](const CArchive& ar, unsigned level) {
      g_archiveReports.emplace_back(level, ar.GetFileName());
    });
  }
  ~SuitesScanTest() override { SetArchiveErrorReporter(nullptr); }

  // A suite of one test case, stored as the harness stores it.
  std::string WriteSuite(const std::string& name, const std::string& suiteName)
  {
    CTestSuite suite;
    suite.m_strName = suiteName;
    suite.m_strPath = "/elsewhere/" + name;
    suite.m_strComponent = "Lab";
    suite.push_back(MakeCase("Lab", suiteName + " test"));
    const std::string path = folder.File(name);
    std::string error;
    EXPECT_TRUE(WriteSuiteFile(suite, path, error)) << error;
    return path;
  }

  // The names of the suites loaded, in order; `paths` gets their paths.
  std::vector<std::string> Scan(std::vector<std::string>* paths = nullptr)
  {
    std::vector<std::string> names;
    for (const auto& suite :
         ScanSuitesFolder(folder.Path(), strings, [this](unsigned level, const std::string&text) {
           logged.emplace_back(level, text);
         })) {
      names.push_back(suite->GetName());
      if (paths != nullptr)
        paths->push_back(suite->GetPath());
    }
    return names;
  }

  TempFolder folder;
  StringTable strings;
  std::vector<std::pair<unsigned, std::string>> logged;
};

TEST_F(SuitesScanTest, ReadsEverySuiteFileInNameOrderWithItsPath)
{
  WriteSuite("b.ts", "b");
  WriteSuite("A.TS", "A");
  WriteSuite("c.ts", "c");
  folder.Write("notes.txt", "not a suite");
  std::filesystem::create_directory(folder.File("folder.ts"));
  std::vector<std::string> paths;
  EXPECT_EQ(Scan(&paths), (std::vector<std::string>{"A", "b", "c"}));
  // Where each was found, whatever path it stored.
  EXPECT_EQ(paths, (std::vector<std::string>{folder.File("A.TS"), folder.File("b.ts"),
                                             folder.File("c.ts")}));
  EXPECT_TRUE(logged.empty());
}

TEST_F(SuitesScanTest, DamagedAndLockedFilesAreSkippedAndTheRestLoaded)
{
  WriteSuite("a.ts", "a");
  const std::string damaged = WriteSuite("b.ts", "b");
  std::filesystem::resize_file(damaged, std::filesystem::file_size(damaged) - 3);
  const std::string locked = WriteSuite("c.ts", "c");
  WriteSuite("d.ts", "d");
  // A writer in the middle of writing holds the file; the scan may not read it half-written.
  const int fd = ::open(locked.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  EXPECT_EQ(Scan(), (std::vector<std::string>{"a", "d"}));
  ::close(fd);

  ASSERT_EQ(g_archiveReports.size(), 1u);
  EXPECT_EQ(g_archiveReports[0], (std::pair<unsigned, std::string>{2, damaged}));
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].first, 0u);
  EXPECT_EQ(logged[0].second,
            strings.Format(ids::kSuiteFileUnopenable, {locked, std::strerror(EWOULDBLOCK)}));
}

TEST_F(SuitesScanTest, AnEmptyOrMissingFolderHasNoSuites)
{
  EXPECT_TRUE(Scan().empty());
  EXPECT_TRUE(ScanSuitesFolder(folder.File("missing"), strings, {}).empty());
  EXPECT_EQ(SuitesScanFolder("", strings), strings.Get(ids::kSuitesFallbackFolder));
  EXPECT_EQ(SuitesScanFolder("/lab/suites", strings), "/lab/suites");
}

} // namespace
} // namespace harness::test
