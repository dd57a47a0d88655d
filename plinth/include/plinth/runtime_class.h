// Run-time classes: a record per class with its name, schema number and base, a process-wide
// registry that modules join while they load and leave while they unload, and create-by-name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CObject;

struct CRuntimeClass
{
  const char* m_lpszClassName;
  uint16_t m_wSchema;
  CObject* (*m_pfnCreateObject)(); // nullptr: the class cannot be created by name
  const CRuntimeClass* m_pBaseClass;

  // New object of this class, or nullptr when the class has no factory.
  CObject* CreateObject() const;
  bool IsDerivedFrom(const CRuntimeClass* pBaseClass) const;

  // A registered class by its exact name, or nullptr.
  static const CRuntimeClass* FromName(const std::string& name);
  // New object of the registered class of that name, or nullptr (unknown or not creatable).
  static CObject* CreateObject(const std::string& name);
  // Names of all registered classes, oldest registration first.
  static std::vector<std::string> RegisteredNames();
};

// Keeps one class registered for its own lifetime. The registration macros place one of these
// in static storage, so a class joins the registry when its module's static initialisers run and
// leaves when the module unloads. A name registered twice keeps the first record; the second
// registration is refused (IsRegistered() false) and removes nothing when it ends.
class CClassRegistration
{
public:
  explicit CClassRegistration(const CRuntimeClass* pClass);
  ~CClassRegistration();
  CClassRegistration(const CClassRegistration&) = delete;
  CClassRegistration& operator=(const CClassRegistration&) = delete;

  bool IsRegistered() const { return m_bRegistered; }

private:
  const CRuntimeClass* m_pClass;
  bool m_bRegistered;
};

#define PLINTH_RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// In the class body: a run-time class without create-by-name.
#define PLINTH_DECLARE_DYNAMIC(class_name)                                                         \
public:                                                                                            \
  static const CRuntimeClass class##class_name;                                                    \
  const CRuntimeClass* GetRuntimeClass() const override;

// In the class body: a run-time class that archives can re-create by name (needs a default
// constructor).
#define PLINTH_DECLARE_SERIAL(class_name)                                                          \
  PLINTH_DECLARE_DYNAMIC(class_name)                                                               \
  static CObject* CreateObject();

// In one source file of the module that defines the class.
#define PLINTH_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, pfnNew)                 \
  const CRuntimeClass class_name::class##class_name = {                                            \
      #class_name, static_cast<uint16_t>(schema), pfnNew, PLINTH_RUNTIME_CLASS(base_class_name)};  \
  const CRuntimeClass* class_name::GetRuntimeClass() const                                         \
  {                                                                                                \
    return PLINTH_RUNTIME_CLASS(class_name);                                                       \
  }                                                                                                \
  static const CClassRegistration plinth_registration_##class_name(                                \
      PLINTH_RUNTIME_CLASS(class_name));

#define PLINTH_IMPLEMENT_DYNAMIC(class_name, base_class_name)                                      \
  PLINTH_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define PLINTH_IMPLEMENT_SERIAL(class_name, base_class_name, schema)                               \
  CObject* class_name::CreateObject()                                                              \
  {                                                                                                \
    return new class_name;                                                                         \
  }                                                                                                \
  PLINTH_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, class_name::CreateObject)
