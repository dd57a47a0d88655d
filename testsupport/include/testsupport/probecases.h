// Test-case classes for tests of the trees and drops: one that tells copies made by CopyFrom
// from clones and can be configured, one that cannot be cloned; and components built from them.
#pragma once

#include "plinth/archive.h"
#include "plinth/component.h"
#include "plinth/testcase.h"

#include <initializer_list>
#include <string>

class CDragProbeCase : public CTestCase
{
  PLINTH_DECLARE_SERIAL(CDragProbeCase)

public:
  void Serialize(CArchive& ar) override;
  void CopyFrom(const CTestCase* pOther) override;
  // A clone says so: copies the harness makes by CopyFrom do not.
  CTestCase* Clone() const override;
  // Accepts at once with the setting raised by one.
  int Configure() override;

  int32_t m_nSetting = 0;
  bool m_bCloned = false;
};

class CUncloneableCase : public CTestCase
{
  PLINTH_DECLARE_SERIAL(CUncloneableCase)

public:
  CTestCase* Clone() const override { return nullptr; }
};

namespace testsupport {

// A test case of a component's class with a label.
template <typename Case = CDragProbeCase>
Case* MakeCase(const std::string& className, const std::string& label, int setting = 0)
{
  auto* p = new Case;
  p->m_strClassName = className;
  p->m_strLabel = label;
  if constexpr (requires { p->m_nSetting; })
    p->m_nSetting = setting;
  return p;
}

// A component that owns one prototype per label, in the order given. Not in _ComponentList.
inline CComponent* MakeComponent(const std::string& className,
                                 std::initializer_list<const char*> labels)
{
  auto* pComponent = new CComponent(nullptr);
  pComponent->SetClassName(className);
  int setting = 0;
  for (const char* label : labels)
    pComponent->m_TestCaseList.push_back(MakeCase(className, label, ++setting));
  return pComponent;
}

} // namespace testsupport
