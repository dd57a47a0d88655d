// The suite document's file handling and edits.
#include "harness/halvexdoc.h"

#include "plinth/archive.h"

#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <unistd.h>

namespace harness {

namespace {

constexpr unsigned int kLevelError = 0;
constexpr std::size_t kArchiveBufferSize = 4096;

std::list<CTestCase*>::iterator At(CTestSuite& suite, std::size_t position)
{
  auto it = suite.begin();
  std::advance(it, static_cast<std::ptrdiff_t>(std::min(position, suite.size())));
  return it;
}

} // namespace

std::string ComponentTextOf(const CTestSuite& suite, const std::string& severalText)
{
  if (suite.empty())
    return suite.m_strComponent;
  const std::string first = suite.front()->GetClassName();
  for (const CTestCase* p : suite)
    if (p->GetClassName() != first)
      return severalText;
  return first;
}

bool WriteSuiteFile(CTestSuite& suite, const std::string& path, std::string& error)
{
  const std::string temporary = path + ".tmp-" + std::to_string(getpid());
  {
    CFile file;
    if (!file.Open(temporary, CFile::modeCreate | CFile::modeWrite)) {
      error = temporary + ": " + std::strerror(file.GetLastError());
      return false;
    }
    CArchive ar(&file, CArchive::store, kArchiveBufferSize);
    suite.Serialize(ar);
    if (!ar.Close()) {
      error = temporary + ": " + ArchiveErrorText(ar);
      file.Close();
      std::remove(temporary.c_str());
      return false;
    }
    file.Close();
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = std::string("cannot replace it: ") + std::strerror(errno);
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

CHalvexDoc::CHalvexDoc(DocumentCallbacks callbacks) : m_callbacks(std::move(callbacks)) {}

void CHalvexDoc::Log(unsigned int level, const std::string& text) const
{
  if (m_callbacks.log)
    m_callbacks.log(level, text);
}

void CHalvexDoc::OnNewDocument(const std::string& newTitle)
{
  m_suite.DeleteContents();
  m_strPathName.clear();
  m_strTitle = newTitle;
  m_bModified = false;
}

bool CHalvexDoc::OnOpenDocument(const std::string& path)
{
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite)) {
    const std::string text =
        "The suite " + path + " cannot be opened: " + std::strerror(file.GetLastError()) + ".";
    Log(kLevelError, text);
    if (m_callbacks.errorBox)
      m_callbacks.errorBox(text);
    return false;
  }
  m_suite.DeleteContents();
  m_bModified = true;
  if (file.GetLength() != 0) {
    CArchive ar(&file, CArchive::load, kArchiveBufferSize);
    // The suite has reported the cause at level 2 already.
    if (!m_suite.TrySerialize(ar)) {
      const std::string text = "The suite " + path + " cannot be read: " + ArchiveErrorText(ar) +
                               " at byte " + std::to_string(ar.GetErrorOffset()) + ".";
      Log(kLevelError, text);
      file.Close();
      m_suite.DeleteContents();
      if (m_callbacks.errorBox)
        m_callbacks.errorBox(text);
      return false;
    }
  }
  file.Close();
  m_strPathName = path;
  m_bModified = false;
  return true;
}

bool CHalvexDoc::OpenSuiteFile(const std::string& path)
{
  if (!OnOpenDocument(path))
    return false;
  m_strTitle = m_suite.m_strName;
  m_suite.m_strPath = m_strPathName;
  return true;
}

bool CHalvexDoc::DoSave(const std::string& path)
{
  // Renaming over a read-only file would succeed; its owner meant it to stay as it is.
  std::uint32_t attributes = 0;
  if (platform::GetFileAttributes(path, attributes) == platform::kErrorSuccess &&
      (attributes & platform::kFileAttributeReadOnly) != 0) {
    Log(kLevelError, "The suite could not be saved to " + path + ": the file is read-only.");
    return false;
  }
  std::string error;
  if (!WriteSuiteFile(m_suite, path, error)) {
    Log(kLevelError, "The suite could not be saved to " + path + ": " + error + ".");
    return false;
  }
  m_strPathName = path;
  m_bModified = false;
  return true;
}

bool CHalvexDoc::SaveThroughPrompt(const std::string& severalText)
{
  // "New" mode: an empty suite shows no sheet and counts as cancelled.
  if (m_suite.empty())
    return false;
  m_suite.m_strComponent = ComponentTextOf(m_suite, severalText);
  if (!m_callbacks.showSuitePropertiesNew || !m_callbacks.showSuitePropertiesNew(m_suite))
    return false;
  const std::string path =
      m_callbacks.askSavePath ? m_callbacks.askSavePath(m_strPathName) : std::string();
  if (path.empty())
    return false;
  // Save-as writes the suite's new path into the file too.
  const std::string oldPath = m_suite.m_strPath;
  m_suite.m_strPath = path;
  if (!DoSave(path)) {
    m_suite.m_strPath = oldPath;
    return false;
  }
  if (m_callbacks.refreshSuitesTree)
    m_callbacks.refreshSuitesTree();
  m_strTitle = m_suite.m_strName;
  return true;
}

bool CHalvexDoc::OnFileSave(const std::string& severalText)
{
  std::uint32_t attributes = 0;
  const bool readable =
      !m_strPathName.empty() &&
      platform::GetFileAttributes(m_strPathName, attributes) == platform::kErrorSuccess;
  if (!readable || (attributes & platform::kFileAttributeReadOnly) != 0)
    return SaveThroughPrompt(severalText);
  if (!DoSave(m_strPathName))
    return false;
  m_suite.m_strPath = m_strPathName;
  m_strTitle = m_suite.m_strName;
  // The file may be one the suites tree lists; it shows what was saved.
  if (m_callbacks.refreshSuitesTree)
    m_callbacks.refreshSuitesTree();
  return true;
}

bool CHalvexDoc::OnFileSaveAs(const std::string& severalText)
{
  return SaveThroughPrompt(severalText);
}

bool CHalvexDoc::CanCloseFrame(const std::string& severalText)
{
  if (m_nDocState == kDocStateRunning) {
    if (m_callbacks.warningBox)
      m_callbacks.warningBox("A running test suite cannot be closed.");
    return false;
  }
  return SaveModified(severalText);
}

bool CHalvexDoc::SaveModified(const std::string& severalText)
{
  if (!m_bModified)
    return true;
  const SaveChangesAnswer answer = m_callbacks.askSaveChanges
                                       ? m_callbacks.askSaveChanges(m_strTitle)
                                       : SaveChangesAnswer::Cancel;
  switch (answer) {
  case SaveChangesAnswer::No:
    return true;
  case SaveChangesAnswer::Yes:
    return OnFileSave(severalText);
  case SaveChangesAnswer::Cancel:
  default:
    return false;
  }
}

CTestCase* CHalvexDoc::TestCaseAt(std::size_t position) const
{
  if (position >= m_suite.size())
    return nullptr;
  auto it = m_suite.begin();
  std::advance(it, static_cast<std::ptrdiff_t>(position));
  return *it;
}

std::size_t CHalvexDoc::DeleteTestCases(std::vector<std::size_t> positions)
{
  // From the back, so the positions still to delete stay valid.
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  std::size_t deleted = 0;
  for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
    if (*it >= m_suite.size())
      continue;
    auto entry = At(m_suite, *it);
    CTestCase* p = *entry;
    m_suite.erase(entry);
    DestructElements(&p, 1);
    ++deleted;
  }
  if (deleted != 0)
    m_bModified = true;
  return deleted;
}

std::size_t CHalvexDoc::DeleteAllTestCases()
{
  const std::size_t count = m_suite.size();
  DestructElements(m_suite);
  if (count != 0)
    m_bModified = true;
  return count;
}

bool CHalvexDoc::RenameTestCase(std::size_t position, const std::string& label)
{
  CTestCase* p = TestCaseAt(position);
  if (p == nullptr)
    return false;
  if (p->GetLabel() != label) {
    p->SetLabel(label);
    m_bModified = true;
  }
  return true;
}

bool CHalvexDoc::SetIterations(std::size_t position, int iterations)
{
  CTestCase* p = TestCaseAt(position);
  if (p == nullptr || iterations < kMinIterations)
    return false;
  if (p->GetIterations() != iterations) {
    p->SetIterations(iterations);
    m_bModified = true;
  }
  return true;
}

} // namespace harness
