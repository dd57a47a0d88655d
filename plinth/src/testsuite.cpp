// CTestSuite: the suite's fields and its file layout.
#include "plinth/testsuite.h"

#include "plinth/archive.h"
#include "plinth/archive_format.h"

#include <mutex>

PLINTH_IMPLEMENT_SERIAL(CTestSuite, CObject, plinth::archive_format::kSchema)

namespace {

struct InitialTexts
{
  std::mutex mutex;
  std::string component = "Several components";
  std::string path;
  std::string name = "Untitled";
};

InitialTexts& Initial()
{
  static InitialTexts* texts = new InitialTexts;
  return *texts;
}

// Level of the log line an archive error of a suite is reported at.
constexpr unsigned int kArchiveErrorLevel = 2;

} // namespace

void CTestSuite::SetInitialTexts(const std::string& component, const std::string& path,
                                 const std::string& name)
{
  InitialTexts& texts = Initial();
  std::lock_guard lock(texts.mutex);
  texts.component = component;
  texts.path = path;
  texts.name = name;
}

CTestSuite::CTestSuite()
{
  DeleteContents();
}

CTestSuite::~CTestSuite()
{
  DestructElements(*this);
}

void CTestSuite::DeleteContents()
{
  DestructElements(*this);
  InitialTexts& texts = Initial();
  std::lock_guard lock(texts.mutex);
  m_strComponent = texts.component;
  m_strPath = texts.path;
  m_strName = texts.name;
  m_dwSuiteValue = 1;
}

void CTestSuite::Serialize(CArchive& ar)
{
  if (ar.IsStoring()) {
    ar.WriteCount(static_cast<uint32_t>(size()));
    for (CTestCase* p : *this) {
      SerializeElements(ar, &p, 1);
    }
    ar << m_strName << m_strPath << m_strComponent << m_dwSuiteValue;
    ReportArchiveError(ar, kArchiveErrorLevel);
    return;
  }

  if (ar.GetPosition() == 0 && ar.AtEnd() && !ar.Failed()) {
    return; // an empty file is an empty suite
  }
  // Everything is read aside first, so a damaged file leaves the suite as it was.
  CTestCaseList loaded;
  const uint32_t count = ar.ReadCount();
  for (uint32_t i = 0; i < count && !ar.Failed(); ++i) {
    CTestCase* p = nullptr;
    SerializeElements(ar, &p, 1);
    if (p != nullptr) {
      loaded.push_back(p);
    }
  }
  std::string name = ar.ReadString();
  std::string path = ar.ReadString();
  std::string component = ar.ReadString();
  uint32_t value = 0;
  ar >> value;
  if (ar.Failed()) {
    DestructElements(loaded);
    ReportArchiveError(ar, kArchiveErrorLevel);
    return;
  }
  splice(end(), loaded);
  m_strName = std::move(name);
  m_strPath = std::move(path);
  m_strComponent = std::move(component);
  m_dwSuiteValue = value;
}

bool CTestSuite::TrySerialize(CArchive& ar)
{
  Serialize(ar);
  return !ar.Failed();
}
