// The suite document without windows: open, save, save-as and close with their rules, and the
// edits the suite window makes (delete, rename, iterations). The harness's document class
// forwards to it and supplies the boxes, the properties sheet and the file prompt.
// User-interface thread only.
#pragma once

#include "plinth/testsuite.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace harness {

inline constexpr int kDocStateIdle = 1;
inline constexpr int kDocStateRunning = 2;

// The iterations dialog's spin range; typed values above it are accepted.
inline constexpr int kMinIterations = 1;
inline constexpr int kSpinMaxIterations = 16959;

enum class SaveChangesAnswer { Yes, No, Cancel };

struct DocumentCallbacks
{
  std::function<void(unsigned int level, const std::string& text)> log;
  std::function<void(const std::string& text)> errorBox;
  std::function<void(const std::string& text)> warningBox;
  // The suite properties sheet in "new" mode (the component text is filled already); false
  // when cancelled.
  std::function<bool(CTestSuite& suite)> showSuitePropertiesNew;
  // The save-as prompt, starting from suggestedPath; "" when cancelled.
  std::function<std::string(const std::string& suggestedPath)> askSavePath;
  // The save-changes question for a modified document.
  std::function<SaveChangesAnswer(const std::string& title)> askSaveChanges;
  std::function<void()> refreshSuitesTree;
};

// The component text the properties sheet shows in "new" mode: the first test case's owning
// class name, or severalText as soon as one test case has another (compared exactly).
std::string ComponentTextOf(const CTestSuite& suite, const std::string& severalText);

// Writes the suite to a temporary file beside path and renames it over path, so a failed
// write leaves the old file whole. False with the cause in `error`.
bool WriteSuiteFile(CTestSuite& suite, const std::string& path, std::string& error);

class CHalvexDoc
{
public:
  explicit CHalvexDoc(DocumentCallbacks callbacks);

  CTestSuite m_suite;
  int m_nDocState = kDocStateIdle;

  const std::string& GetPathName() const { return m_strPathName; }
  const std::string& GetTitle() const { return m_strTitle; }
  bool IsModified() const { return m_bModified; }
  void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

  // An empty suite titled newTitle.
  void OnNewDocument(const std::string& newTitle);
  // Loads the file; on failure the document is empty, a log line at level 0 and an error box
  // name the file, and the result is false. A zero-length file is an empty suite.
  bool OnOpenDocument(const std::string& path);
  // OnOpenDocument, then the title is the suite's name and its path the document's.
  bool OpenSuiteFile(const std::string& path);

  // Save: a read-only or missing file goes through the properties sheet and the save-as
  // prompt; otherwise the file is rewritten in place. Either way a saved suite refreshes the
  // suites tree. False when nothing was saved.
  bool OnFileSave(const std::string& severalText);
  bool OnFileSaveAs(const std::string& severalText);

  // Whether the suite window may close: never while running (warning box); a modified
  // document asks whether to save, and Cancel keeps it open.
  bool CanCloseFrame(const std::string& severalText);
  // A modified document asks whether to save: Yes saves, No discards. False for Cancel or a
  // save that failed; true when nothing needs saving.
  bool SaveModified(const std::string& severalText);

  // Edits from the suite window; positions are suite-list positions. Each marks the document
  // modified when it changes something.
  std::size_t DeleteTestCases(std::vector<std::size_t> positions);
  std::size_t DeleteAllTestCases();
  bool RenameTestCase(std::size_t position, const std::string& label);
  // Refuses counts below 1; counts above the spin range are accepted.
  bool SetIterations(std::size_t position, int iterations);
  CTestCase* TestCaseAt(std::size_t position) const;

private:
  bool SaveThroughPrompt(const std::string& severalText);
  // Writes beside the file and renames over it, so a failed save leaves the old file whole.
  bool DoSave(const std::string& path);
  void Log(unsigned int level, const std::string& text) const;

  DocumentCallbacks m_callbacks;
  std::string m_strPathName;
  std::string m_strTitle;
  bool m_bModified = false;
};

} // namespace harness
