// CObject: the root run-time class.
#include "plinth/object.h"

const CRuntimeClass CObject::classCObject = {"CObject", 0xFFFF, nullptr, nullptr};

static const CClassRegistration plinth_registration_CObject(&CObject::classCObject);

const CRuntimeClass* CObject::GetRuntimeClass() const
{
  return &classCObject;
}

CObject::~CObject() = default;

void CObject::Serialize(CArchive&) {}

void CObject::AssertValid() const {}

void CObject::Dump() const {}

bool CObject::IsKindOf(const CRuntimeClass* pClass) const
{
  return GetRuntimeClass()->IsDerivedFrom(pClass);
}

bool CObject::IsSerializable() const
{
  return GetRuntimeClass()->m_pfnCreateObject != nullptr;
}
