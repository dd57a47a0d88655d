#include "plinth/component.h"
#include "plinth/testcase.h"
#include "plinth/testsuite.h"

#include "probe_cases.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <memory>

namespace {

TEST(RuntimeClassTest, ClassRecords)
{
  struct Case
  {
    const CRuntimeClass* cls;
    const char* name;
    uint16_t schema;
    const CRuntimeClass* base;
    bool creatable;
  };
  const Case cases[] = {
      {PLINTH_RUNTIME_CLASS(CObject), "CObject", 0xFFFF, nullptr, false},
      {PLINTH_RUNTIME_CLASS(CComponent), "CComponent", 0xFFFF, PLINTH_RUNTIME_CLASS(CObject),
       false},
      {PLINTH_RUNTIME_CLASS(CTestCase), "CTestCase", 1, PLINTH_RUNTIME_CLASS(CObject), true},
      {PLINTH_RUNTIME_CLASS(CTestSuite), "CTestSuite", 1, PLINTH_RUNTIME_CLASS(CObject), true},
      {PLINTH_RUNTIME_CLASS(CProbeCase), "CProbeCase", 1, PLINTH_RUNTIME_CLASS(CTestCase), true},
      {PLINTH_RUNTIME_CLASS(CSchemaTwoCase), "CSchemaTwoCase", 2, PLINTH_RUNTIME_CLASS(CTestCase),
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_STREQ(c.cls->m_lpszClassName, c.name);
    EXPECT_EQ(c.cls->m_wSchema, c.schema);
    EXPECT_EQ(c.cls->m_pBaseClass, c.base);
    EXPECT_EQ(CRuntimeClass::FromName(c.name), c.cls);
    std::unique_ptr<CObject> made(CRuntimeClass::CreateObject(c.name));
    EXPECT_EQ(made != nullptr, c.creatable);
    if (made) {
      EXPECT_EQ(made->GetRuntimeClass(), c.cls);
    }
  }
  EXPECT_EQ(CRuntimeClass::FromName("CNoSuchCase"), nullptr);
  EXPECT_EQ(CRuntimeClass::FromName("ctestcase"), nullptr); // names compare exactly
  EXPECT_EQ(CRuntimeClass::CreateObject("CNoSuchCase"), nullptr);
}

TEST(RuntimeClassTest, KindOf)
{
  CProbeCase probe;
  CTestSuite suite;
  CComponent component(nullptr);
  struct Case
  {
    const CObject* object;
    const CRuntimeClass* cls;
    bool expected;
  };
  const Case cases[] = {
      {&probe, PLINTH_RUNTIME_CLASS(CProbeCase), true},
      {&probe, PLINTH_RUNTIME_CLASS(CTestCase), true},
      {&probe, PLINTH_RUNTIME_CLASS(CObject), true},
      {&probe, PLINTH_RUNTIME_CLASS(CComponent), false},
      {&probe, PLINTH_RUNTIME_CLASS(CSchemaTwoCase), false},
      {&suite, PLINTH_RUNTIME_CLASS(CTestCase), false},
      {&component, PLINTH_RUNTIME_CLASS(CComponent), true},
      {&component, PLINTH_RUNTIME_CLASS(CTestCase), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.object->GetRuntimeClass()->m_lpszClassName) + " of " +
                 c.cls->m_lpszClassName);
    EXPECT_EQ(c.object->IsKindOf(c.cls), c.expected);
  }
}

TEST(RuntimeClassTest, SecondRegistrationOfANameIsRefused)
{
  static const CRuntimeClass impostor = {"CProbeCase", 1, nullptr, PLINTH_RUNTIME_CLASS(CObject)};
  {
    CClassRegistration second(&impostor);
    EXPECT_FALSE(second.IsRegistered());
    EXPECT_EQ(CRuntimeClass::FromName("CProbeCase"), PLINTH_RUNTIME_CLASS(CProbeCase));
  }
  // Ending the refused registration removed nothing.
  EXPECT_EQ(CRuntimeClass::FromName("CProbeCase"), PLINTH_RUNTIME_CLASS(CProbeCase));

  static const CRuntimeClass scoped = {"CScopedCase", 1, nullptr, PLINTH_RUNTIME_CLASS(CObject)};
  {
    CClassRegistration registration(&scoped);
    EXPECT_TRUE(registration.IsRegistered());
    EXPECT_EQ(CRuntimeClass::FromName("CScopedCase"), &scoped);
  }
  EXPECT_EQ(CRuntimeClass::FromName("CScopedCase"), nullptr);
}

TEST(RuntimeClassTest, PluginClassesComeAndGoWithTheirModule)
{
  EXPECT_EQ(CRuntimeClass::FromName("CPluginCase"), nullptr);
  void* module = dlopen(PLINTH_PROBE_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();

  const CRuntimeClass* cls = CRuntimeClass::FromName("CPluginCase");
  ASSERT_NE(cls, nullptr);
  EXPECT_TRUE(cls->IsDerivedFrom(PLINTH_RUNTIME_CLASS(CTestCase)));
  std::vector<uint8_t> bytes;
  {
    std::unique_ptr<CObject> made(CRuntimeClass::CreateObject("CPluginCase"));
    ASSERT_NE(made, nullptr);
    ASSERT_TRUE(made->IsKindOf(PLINTH_RUNTIME_CLASS(CTestCase)));
    auto* testCase = static_cast<CTestCase*>(made.get());
    EXPECT_EQ(testCase->GetClassName(), "Probe Component");
    EXPECT_EQ(testCase->GetBaseName(), "PluginCase");
    std::unique_ptr<CTestCase> clone(testCase->Clone());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetRuntimeClass(), cls);

    CTestSuite suite;
    suite.push_back(clone.release());
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    suite.Serialize(ar);
    ASSERT_TRUE(ar.Close());
    bytes = file.Data();
    CMemFile in(bytes.data(), bytes.size());
    CArchive loading(&in, CArchive::load);
    CTestSuite back;
    EXPECT_TRUE(back.TrySerialize(loading));
    EXPECT_EQ(back.size(), 1u);
  }
  ASSERT_EQ(dlclose(module), 0);

  EXPECT_EQ(CRuntimeClass::FromName("CPluginCase"), nullptr);
  EXPECT_EQ(CRuntimeClass::CreateObject("CPluginCase"), nullptr);
  CMemFile in(bytes.data(), bytes.size());
  CArchive loading(&in, CArchive::load);
  CTestSuite back;
  EXPECT_FALSE(back.TrySerialize(loading));
  EXPECT_EQ(loading.GetError(), ArchiveError::badClass);
  EXPECT_EQ(loading.GetErrorOffset(), 2u);
  EXPECT_EQ(loading.GetErrorClassName(), "CPluginCase");
  EXPECT_EQ(ArchiveErrorText(loading), "unknown or unexpected class \"CPluginCase\"");
}

} // namespace
