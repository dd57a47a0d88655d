// Fuzz target: loads arbitrary bytes as a suite file. A load either fails with a cause and
// leaves the suite untouched, or succeeds; a loaded suite must store and load back to the
// same bytes.
#include "plinth/archive.h"
#include "plinth/testsuite.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// A test case with a field of its own.
class CFuzzCase : public CTestCase
{
  PLINTH_DECLARE_SERIAL(CFuzzCase)

public:
  void Serialize(CArchive& ar) override
  {
    CTestCase::Serialize(ar);
    if (ar.IsStoring()) {
      ar << m_strExtra << m_nExtra;
    } else {
      ar >> m_strExtra >> m_nExtra;
    }
  }
  std::string m_strExtra;
  int32_t m_nExtra = 0;
};

// A test case that refers to another object, so records nest and refer back.
class CFuzzLinkCase : public CTestCase
{
  PLINTH_DECLARE_SERIAL(CFuzzLinkCase)

public:
  ~CFuzzLinkCase() override
  {
    if (m_bOwnsLink) {
      delete m_pLink;
    }
  }
  void Serialize(CArchive& ar) override
  {
    CTestCase::Serialize(ar);
    if (ar.IsStoring()) {
      ar.WriteObject(m_pLink);
      return;
    }
    static int depth = 0;
    if (depth >= 32) {
      ar.SetError(ArchiveError::other);
      return;
    }
    ++depth;
    m_pLink = ar.ReadObject(nullptr, &m_bOwnsLink);
    --depth;
  }
  CObject* m_pLink = nullptr;
  bool m_bOwnsLink = false;
};

PLINTH_IMPLEMENT_SERIAL(CFuzzCase, CTestCase, 1)
PLINTH_IMPLEMENT_SERIAL(CFuzzLinkCase, CTestCase, 1)

std::vector<uint8_t> Store(CTestSuite& suite)
{
  CMemFile file;
  CArchive ar(&file, CArchive::store, 4096);
  suite.Serialize(ar);
  if (!ar.Close()) {
    std::abort();
  }
  return file.Data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  CTestSuite suite;
  const std::string initialName = suite.GetName();
  CMemFile file(data, size);
  CArchive ar(&file, CArchive::load, 4096);
  if (!suite.TrySerialize(ar)) {
    if (!suite.empty() || suite.GetName() != initialName || ar.GetErrorOffset() > size) {
      std::abort(); // a failed load changed the suite or blamed a byte past the data
    }
    return 0;
  }
  const std::vector<uint8_t> once = Store(suite);
  CTestSuite again;
  CMemFile copy(once.data(), once.size());
  CArchive reload(&copy, CArchive::load, 4096);
  if (!again.TrySerialize(reload) || again.size() != suite.size() || Store(again) != once) {
    std::abort(); // what was loaded does not survive a round trip
  }
  return 0;
}
