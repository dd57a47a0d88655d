#include "plinth/archive.h"
#include "plinth/component.h"

#include "probe_cases.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

class CSampleComponent : public CComponent
{
public:
  CSampleComponent() : CComponent(reinterpret_cast<platform::HMODULE>(0x1234))
  {
    m_strClassName = "Sample";
    m_strModelName = "Model 7";
    m_TestCaseList.push_back(new CTestCase(this, "", 1, 1, 0));
    m_TestCaseList.push_back(new CProbeCase);
  }
};

TEST(ComponentTest, Globals)
{
  EXPECT_EQ(guiLoggingLevel, 1u);
  EXPECT_TRUE(gszComponentRegistryKey.empty());
}

TEST(ComponentTest, SettersAndGetters)
{
  CSampleComponent c;
  c.SetClassName("Class");
  c.SetManufacturer("Maker");
  c.SetModelName("Model");
  c.SetDriverVersion("1.2");
  c.SetFirmwareVersion("3.4");
  c.SetOEMName("OEM");
  c.SetSerialNum("SN");
  c.SetStatus(4);
  c.SetIconId(134);
  c.m_strDllPath = "/opt/Marlow.so";
  EXPECT_EQ(c.GetClassName(), "Class");
  EXPECT_EQ(c.GetManufacturer(), "Maker");
  EXPECT_EQ(c.GetModelName(), "Model");
  EXPECT_EQ(c.GetDriverVersion(), "1.2");
  EXPECT_EQ(c.GetFirmwareVersion(), "3.4");
  EXPECT_EQ(c.GetOEMName(), "OEM");
  EXPECT_EQ(c.GetSerialNum(), "SN");
  EXPECT_EQ(c.GetStatus(), 4u);
  EXPECT_EQ(c.GetIconId(), 134);
  EXPECT_EQ(c.GetModuleName(), "/opt/Marlow.so");
  EXPECT_EQ(c.GetInstanceHandle(), reinterpret_cast<platform::HMODULE>(0x1234));
  std::string model = "unchanged";
  EXPECT_EQ(c.ConfigureComponent(model), kConfigureFailed);
  EXPECT_EQ(c.InitComponent(), 1);
}

TEST(ComponentTest, ComponentListHoldsAddedComponents)
{
  auto* c = new CSampleComponent;
  EXPECT_EQ(c->AddToComponentList(), 1);
  ASSERT_FALSE(_ComponentList.empty());
  EXPECT_EQ(_ComponentList.back(), c);
  _ComponentList.remove(c);
  delete c;
}

TEST(ComponentTest, PrototypeListRoundTrip)
{
  CSampleComponent c;
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    c.Serialize(ar);
    ASSERT_TRUE(ar.Close());
  }
  CComponent back(nullptr);
  CMemFile in(file.Data().data(), file.Data().size());
  CArchive ar(&in, CArchive::load);
  back.Serialize(ar);
  ASSERT_FALSE(ar.Failed());
  ASSERT_EQ(back.m_TestCaseList.size(), 2u);
  EXPECT_EQ(back.m_TestCaseList.front()->GetClassName(), "Sample");
  EXPECT_TRUE(back.m_TestCaseList.back()->IsKindOf(PLINTH_RUNTIME_CLASS(CProbeCase)));
}

TEST(TestCaseTest, ConstructorTakesTheComponentsNames)
{
  CSampleComponent c;
  CTestCase fromComponent(&c, "", 1, 1, 0);
  EXPECT_EQ(fromComponent.GetClassName(), "Sample");
  EXPECT_EQ(fromComponent.GetModelName(), "Model 7");
  EXPECT_EQ(fromComponent.GetLabel(), "");
  EXPECT_EQ(fromComponent.m_nIterations, 1);
  EXPECT_EQ(fromComponent.m_dwStatus, kTestStatusCleared);
  EXPECT_FALSE(fromComponent.IsAbortRequested());

  CTestCase withoutComponent(nullptr, "label", 3, 7, 1);
  EXPECT_EQ(withoutComponent.GetClassName(), "");
  EXPECT_EQ(withoutComponent.GetLabel(), "label");
  EXPECT_EQ(withoutComponent.m_nIterations, 3);
  EXPECT_EQ(withoutComponent.m_dwStatus, 7u);
  EXPECT_TRUE(withoutComponent.IsAbortRequested());
}

TEST(TestCaseTest, BaseBehaviour)
{
  CProbeCase t;
  t.SetLabel("renamed");
  t.SetIterations(5);
  t.SetStatus(kTestStatusPassed);
  EXPECT_EQ(t.GetLabel(), "renamed");
  EXPECT_EQ(t.GetIterations(), 5);
  EXPECT_EQ(t.GetStatus(), kTestStatusPassed);
  EXPECT_EQ(t.GetBaseName(), "ProbeCase");
  EXPECT_EQ(t.Configure(), 2);

  std::thread other([&] { t.Abort(); });
  other.join();
  EXPECT_TRUE(t.IsAbortRequested());
  t.ClearStatus();
  EXPECT_EQ(t.GetStatus(), kTestStatusCleared);
  EXPECT_FALSE(t.IsAbortRequested());

  CTestCase plain;
  EXPECT_EQ(plain.Execute(), kTestStatusNotRun);
  EXPECT_EQ(plain.GetBaseName(), "TestCase");
}

TEST(TestCaseTest, CloneCopiesEveryField)
{
  CProbeCase t;
  t.m_strClassName = "Owner";
  t.m_strLabel = "label";
  t.m_strModelName = "model";
  t.m_nIterations = 9;
  t.m_dwStatus = kTestStatusFailed;
  t.m_nProbe = 41;
  std::unique_ptr<CTestCase> clone(t.Clone());
  ASSERT_NE(clone, nullptr);
  ASSERT_EQ(clone->GetRuntimeClass(), PLINTH_RUNTIME_CLASS(CProbeCase));
  auto* probe = static_cast<CProbeCase*>(clone.get());
  EXPECT_EQ(probe->m_strClassName, "Owner");
  EXPECT_EQ(probe->m_strLabel, "label");
  EXPECT_EQ(probe->m_strModelName, "model");
  EXPECT_EQ(probe->m_nIterations, 9);
  EXPECT_EQ(probe->m_dwStatus, kTestStatusFailed);
  EXPECT_EQ(probe->m_nProbe, 41u);
  EXPECT_EQ(probe->Execute(), kTestStatusPassed);
}

TEST(TestCaseTest, ElementHelpers)
{
  CTestCase* elements[3] = {new CTestCase, new CProbeCase, new CTestCase};
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    SerializeElements(ar, elements, 3);
    ASSERT_TRUE(ar.Close());
  }
  DestructElements(elements, 3);
  for (CTestCase* p : elements) {
    EXPECT_EQ(p, nullptr);
  }
  CMemFile in(file.Data().data(), file.Data().size());
  CArchive ar(&in, CArchive::load);
  SerializeElements(ar, elements, 3);
  ASSERT_FALSE(ar.Failed());
  EXPECT_TRUE(elements[1]->IsKindOf(PLINTH_RUNTIME_CLASS(CProbeCase)));
  DestructElements(elements, 3);

  CTestCase* withNull[1] = {nullptr};
  CMemFile out;
  CArchive storing(&out, CArchive::store);
  SerializeElements(storing, withNull, 1);
  EXPECT_EQ(storing.GetError(), ArchiveError::generic);
}

} // namespace
