// Test-case classes the tests store and load: one with a field of its own, one whose schema
// differs from the system's.
#pragma once

#include "plinth/archive.h"
#include "plinth/testcase.h"

class CProbeCase : public CTestCase
{
  PLINTH_DECLARE_SERIAL(CProbeCase)

public:
  void Serialize(CArchive& ar) override
  {
    CTestCase::Serialize(ar);
    if (ar.IsStoring()) {
      ar << m_nProbe;
    } else {
      ar >> m_nProbe;
    }
  }
  void CopyFrom(const CTestCase* pOther) override
  {
    CTestCase::CopyFrom(pOther);
    if (pOther != nullptr && pOther->IsKindOf(PLINTH_RUNTIME_CLASS(CProbeCase))) {
      m_nProbe = static_cast<const CProbeCase*>(pOther)->m_nProbe;
    }
  }
  uint32_t Execute() override { return m_nProbe % 2 ? kTestStatusPassed : kTestStatusFailed; }

  uint32_t m_nProbe = 0;
};

class CSchemaTwoCase : public CTestCase
{
  PLINTH_DECLARE_SERIAL(CSchemaTwoCase)
};
