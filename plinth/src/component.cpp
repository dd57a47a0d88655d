// CComponent and the base library's globals.
#include "plinth/component.h"

#include "plinth/archive.h"

#include <cstdio>

std::list<CComponent*> _ComponentList;
unsigned int guiLoggingLevel = 1;
std::string gszComponentRegistryKey;

PLINTH_IMPLEMENT_DYNAMIC(CComponent, CObject)

CComponent::CComponent(platform::HMODULE hInstance) : m_hInstance(hInstance) {}

CComponent::~CComponent()
{
  DestructElements(m_TestCaseList);
}

void CComponent::Serialize(CArchive& ar)
{
  if (ar.IsStoring()) {
    ar.WriteCount(static_cast<uint32_t>(m_TestCaseList.size()));
    for (CTestCase* p : m_TestCaseList) {
      SerializeElements(ar, &p, 1);
    }
    return;
  }
  const uint32_t count = ar.ReadCount();
  for (uint32_t i = 0; i < count && !ar.Failed(); ++i) {
    CTestCase* p = nullptr;
    SerializeElements(ar, &p, 1);
    if (p != nullptr) {
      m_TestCaseList.push_back(p);
    }
  }
}

void CComponent::AssertValid() const {}

void CComponent::Dump() const
{
  std::fprintf(stderr, "component %s, model %s, %zu test cases\n", m_strClassName.c_str(),
               m_strModelName.c_str(), m_TestCaseList.size());
}

int CComponent::AddToComponentList()
{
  _ComponentList.push_back(this);
  return 1;
}

int CComponent::InitComponent()
{
  return 1;
}

int CComponent::ConfigureComponent(std::string&)
{
  return kConfigureFailed;
}

int CComponent::ReadModelFromRegistry()
{
  return 1;
}

int CComponent::SaveModelToRegistry(bool)
{
  return 1;
}

int CComponent::CreateDefaultRegistryEntry()
{
  return 1;
}

// clang-format off
void CComponent::SetClassName(const std::string& s) { m_strClassName = s; }
void CComponent::SetManufacturer(const std::string& s) { m_strManufacturer = s; }
void CComponent::SetModelName(const std::string& s) { m_strModelName = s; }
void CComponent::SetDriverVersion(const std::string& s) { m_strDriverVersion = s; }
void CComponent::SetFirmwareVersion(const std::string& s) { m_strFirmwareVersion = s; }
void CComponent::SetOEMName(const std::string& s) { m_strOEMName = s; }
void CComponent::SetSerialNum(const std::string& s) { m_strSerialNum = s; }
void CComponent::SetStatus(uint32_t dwStatus) { m_dwStatus = dwStatus; }
void CComponent::SetIconId(int nIconId) { m_nIconId = nIconId; }
// clang-format on
