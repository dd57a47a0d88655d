// The process-wide class registry.
#include "plinth/runtime_class.h"

#include "plinth/object.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

struct ClassRegistry
{
  std::mutex mutex;
  std::vector<const CRuntimeClass*> classes;
};

// Never destroyed: modules may unregister during process exit, after this library's own
// static destructors would have run.
ClassRegistry& Registry()
{
  static ClassRegistry* registry = new ClassRegistry;
  return *registry;
}

} // namespace

CObject* CRuntimeClass::CreateObject() const
{
  return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const
{
  for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass) {
    if (c == pBaseClass) {
      return true;
    }
  }
  return false;
}

const CRuntimeClass* CRuntimeClass::FromName(const std::string& name)
{
  ClassRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  for (const CRuntimeClass* c : registry.classes) {
    if (name == c->m_lpszClassName) {
      return c;
    }
  }
  return nullptr;
}

CObject* CRuntimeClass::CreateObject(const std::string& name)
{
  const CRuntimeClass* c = FromName(name);
  return c ? c->CreateObject() : nullptr;
}

std::vector<std::string> CRuntimeClass::RegisteredNames()
{
  ClassRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  std::vector<std::string> names;
  for (const CRuntimeClass* c : registry.classes) {
    names.emplace_back(c->m_lpszClassName);
  }
  return names;
}

CClassRegistration::CClassRegistration(const CRuntimeClass* pClass)
    : m_pClass(pClass), m_bRegistered(false)
{
  ClassRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  for (const CRuntimeClass* c : registry.classes) {
    if (std::strcmp(c->m_lpszClassName, pClass->m_lpszClassName) == 0) {
      return;
    }
  }
  registry.classes.push_back(pClass);
  m_bRegistered = true;
}

CClassRegistration::~CClassRegistration()
{
  if (!m_bRegistered) {
    return;
  }
  ClassRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  auto& v = registry.classes;
  v.erase(std::remove(v.begin(), v.end(), m_pClass), v.end());
}
