// The root of every run-time class: class identity, kind-of tests and serialisation.
#pragma once

#include "plinth/runtime_class.h"

class CArchive;

class CObject
{
public:
  static const CRuntimeClass classCObject;

  virtual const CRuntimeClass* GetRuntimeClass() const;
  virtual ~CObject();
  // Stores or loads the object's data; failures stay in the archive's error state.
  virtual void Serialize(CArchive& ar);
  virtual void AssertValid() const;
  virtual void Dump() const;

  bool IsKindOf(const CRuntimeClass* pClass) const;
  bool IsSerializable() const;

protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};
