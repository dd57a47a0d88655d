// The probe test-case classes.
#include "testsupport/probecases.h"

PLINTH_IMPLEMENT_SERIAL(CDragProbeCase, CTestCase, 1)
PLINTH_IMPLEMENT_SERIAL(CUncloneableCase, CTestCase, 1)

void CDragProbeCase::Serialize(CArchive& ar)
{
  CTestCase::Serialize(ar);
  if (ar.IsStoring())
    ar << m_nSetting;
  else
    ar >> m_nSetting;
}

void CDragProbeCase::CopyFrom(const CTestCase* pOther)
{
  CTestCase::CopyFrom(pOther);
  if (pOther != nullptr && pOther->IsKindOf(PLINTH_RUNTIME_CLASS(CDragProbeCase)))
    m_nSetting = static_cast<const CDragProbeCase*>(pOther)->m_nSetting;
}

CTestCase* CDragProbeCase::Clone() const
{
  CTestCase* pClone = CTestCase::Clone();
  if (pClone != nullptr)
    static_cast<CDragProbeCase*>(pClone)->m_bCloned = true;
  return pClone;
}

int CDragProbeCase::Configure()
{
  ++m_nSetting;
  return 1;
}
