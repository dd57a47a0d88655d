// CTestCase and the element helpers for lists of test cases.
#include "plinth/testcase.h"

#include "plinth/archive.h"
#include "plinth/archive_format.h"
#include "plinth/component.h"

#include <cstdio>

PLINTH_IMPLEMENT_SERIAL(CTestCase, CObject, plinth::archive_format::kSchema)

CTestCase::CTestCase() = default;

CTestCase::CTestCase(CComponent* pComponent, const std::string& label, int nIterations,
                     unsigned long dwStatus, int bAbort)
    : m_strLabel(label), m_nIterations(nIterations), m_dwStatus(static_cast<uint32_t>(dwStatus)),
      m_bAbort(bAbort != 0)
{
  if (pComponent != nullptr && pComponent->IsKindOf(PLINTH_RUNTIME_CLASS(CComponent))) {
    m_strClassName = pComponent->m_strClassName;
    m_strModelName = pComponent->m_strModelName;
  }
}

CTestCase::~CTestCase() = default;

void CTestCase::Serialize(CArchive& ar)
{
  if (ar.IsStoring()) {
    ar << m_strClassName << m_strLabel << m_strModelName << m_nIterations << m_dwStatus;
  } else {
    ar >> m_strClassName >> m_strLabel >> m_strModelName >> m_nIterations >> m_dwStatus;
  }
}

void CTestCase::AssertValid() const {}

void CTestCase::Dump() const
{
  std::fprintf(stderr, "%s \"%s\" of %s, model %s, %d iterations, status %u\n",
               GetRuntimeClass()->m_lpszClassName, m_strLabel.c_str(), m_strClassName.c_str(),
               m_strModelName.c_str(), m_nIterations, m_dwStatus);
}

void CTestCase::Abort()
{
  m_bAbort.store(true);
}

void CTestCase::SetLabel(const std::string& label)
{
  m_strLabel = label;
}

void CTestCase::SetIterations(int nIterations)
{
  m_nIterations = nIterations;
}

void CTestCase::ClearStatus()
{
  m_dwStatus = kTestStatusCleared;
  m_bAbort.store(false);
}

void CTestCase::SetStatus(uint32_t dwStatus)
{
  m_dwStatus = dwStatus;
}

void CTestCase::CopyFrom(const CTestCase* pOther)
{
  if (pOther == nullptr || pOther == this) {
    return;
  }
  m_strClassName = pOther->m_strClassName;
  m_strLabel = pOther->m_strLabel;
  m_strModelName = pOther->m_strModelName;
  m_nIterations = pOther->m_nIterations;
  m_dwStatus = pOther->m_dwStatus;
}

int CTestCase::Configure()
{
  return kDialogCancelled;
}

CTestCase* CTestCase::Clone() const
{
  CObject* pObject = GetRuntimeClass()->CreateObject();
  if (pObject == nullptr) {
    return nullptr;
  }
  if (!pObject->IsKindOf(PLINTH_RUNTIME_CLASS(CTestCase))) {
    delete pObject;
    return nullptr;
  }
  CTestCase* pClone = static_cast<CTestCase*>(pObject);
  pClone->CopyFrom(this);
  return pClone;
}

uint32_t CTestCase::Execute()
{
  return kTestStatusNotRun;
}

std::string CTestCase::GetBaseName() const
{
  std::string name = GetRuntimeClass()->m_lpszClassName;
  if (name.size() > 1 && name[0] == 'C') {
    name.erase(0, 1);
  }
  return name;
}

void SerializeElements(CArchive& ar, CTestCase** elements, int count)
{
  if (ar.IsStoring()) {
    for (int i = 0; i < count && !ar.Failed(); ++i) {
      if (elements[i] == nullptr) {
        // It could not be loaded back: a list of test cases never holds a null.
        ar.SetError(ArchiveError::generic);
        return;
      }
      ar.WriteObject(elements[i]);
    }
    return;
  }
  for (int i = 0; i < count; ++i) {
    elements[i] = nullptr;
  }
  for (int i = 0; i < count && !ar.Failed(); ++i) {
    const uint64_t start = ar.GetPosition();
    bool created = false;
    CObject* pObject = ar.ReadObject(PLINTH_RUNTIME_CLASS(CTestCase), &created);
    if (!ar.Failed() && !created) {
      // A null, or a second reference to a test case that is already owned elsewhere.
      ar.SetError(ArchiveError::badIndex, start);
      pObject = nullptr;
    }
    elements[i] = static_cast<CTestCase*>(pObject);
  }
}

void DestructElements(CTestCase** elements, int count)
{
  for (int i = 0; i < count; ++i) {
    delete elements[i];
    elements[i] = nullptr;
  }
}

void DestructElements(CTestCaseList& list)
{
  for (CTestCase*& p : list) {
    DestructElements(&p, 1);
  }
  list.clear();
}
