// The suites folder scan.
#include "harness/suitesscan.h"

#include "harness/logfile.h"
#include "harness/stringids.h"
#include "plinth/archive.h"
#include "plinth/file.h"

#include "platform/files.h"

#include <cstring>

namespace harness {

namespace {

constexpr std::size_t kArchiveBufferSize = 4096;
constexpr unsigned kLevelError = 0;

} // namespace

std::string SuitesScanFolder(const std::string& testSuitesFolder, const StringTable& strings)
{
  return testSuitesFolder.empty() ? strings.Get(ids::kSuitesFallbackFolder) : testSuitesFolder;
}

std::vector<std::unique_ptr<CTestSuite>>
ScanSuitesFolder(const std::string& folder, const StringTable& strings, const LogFunction& log)
{
  std::vector<std::unique_ptr<CTestSuite>> suites;
  platform::FileFinder finder;
  platform::FindData found;
  const std::string pattern = folder + "/" + strings.Get(ids::kSuiteFilePattern);
  if (finder.FindFirstFile(pattern, found) != platform::kErrorSuccess)
    return suites;
  do {
    // Folders, pipes and devices named like suites are no suites; a pipe would block the scan.
    if (!FileExists(found.path))
      continue;
    CFile file;
    // One file that cannot be opened hides none of the others.
    if (!file.Open(found.path, CFile::modeRead | CFile::shareDenyWrite)) {
      if (log)
        log(kLevelError, strings.Format(ids::kSuiteFileUnopenable,
                                        {found.path, std::strerror(file.GetLastError())}));
      continue;
    }
    auto suite = std::make_unique<CTestSuite>();
    CArchive ar(&file, CArchive::load, kArchiveBufferSize);
    const bool read = suite->TrySerialize(ar);
    ar.Close();
    file.Close();
    if (!read)
      continue;
    suite->m_strPath = found.path;
    suites.push_back(std::move(suite));
  } while (finder.FindNextFile(found) == platform::kErrorSuccess);
  finder.FindClose();
  return suites;
}

} // namespace harness
