// CTestSuite: an ordered list of owned test cases with a name, a file path, a component text and
// a stored value, and its file layout (archive_format.md).
#pragma once

#include "plinth/testcase.h"

#include <cstdint>
#include <string>

class CTestSuite : public CObject, public CTestCaseList
{
  PLINTH_DECLARE_SERIAL(CTestSuite)

public:
  // The three texts start as the initial texts (SetInitialTexts), the value as 1.
  CTestSuite();
  // Deletes the test cases.
  ~CTestSuite() override;
  CTestSuite(const CTestSuite&) = delete;
  CTestSuite& operator=(const CTestSuite&) = delete;

  // Stores the suite, or loads one and appends its test cases. A load that fails adds nothing
  // and changes no field; an empty stream loads nothing and succeeds. Errors stay in the
  // archive (check ar.Failed()) and are reported at level 2 through ReportArchiveError.
  void Serialize(CArchive& ar) override;
  // The same; false when the archive failed.
  bool TrySerialize(CArchive& ar);

  std::string GetName() const { return m_strName; }
  std::string GetPath() const { return m_strPath; }
  std::string GetComponent() const { return m_strComponent; }
  // Deletes every test case and returns the fields to their initial values.
  void DeleteContents();

  // The harness sets these from its resource texts at start-up.
  static void SetInitialTexts(const std::string& component, const std::string& path,
                              const std::string& name);

  std::string m_strComponent;
  std::string m_strPath;
  std::string m_strName;
  uint32_t m_dwSuiteValue = 1;
};
