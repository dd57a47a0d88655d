// The suite properties: the page's starting values in new and existing mode, what OK puts
// back, and the sheet under the offscreen platform.
#include "halvexapp.h"
#include "harness/stringids.h"
#include "harness/suiteproperties.h"
#include "plinth/component.h"
#include "qtsupport.h"
#include "suitepropertiessheet.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace harness::test {

using namespace testsupport;
namespace {

const std::string kSeveral = "Several components";

void AddTestCases(CTestSuite& suite, const std::vector<std::string>& classNames)
{
  for (const std::string& name : classNames) {
    auto* p = new CTestCase;
    p->m_strClassName = name;
    suite.push_back(p);
  }
}

// Two loaded components, in list order, for the combo box.
class SuitePropertiesTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    TestApplication();
    app = std::make_unique<CHalvexApp>();
    ASSERT_TRUE(app->LoadResourceLibraries(BuildBinFolder()));
    alpha.SetClassName("Alpha");
    beta.SetClassName("Beta");
    _ComponentList.push_back(&alpha);
    _ComponentList.push_back(&beta);
    suite.m_strName = "Nightly";
    suite.m_strPath = "/suites/nightly.ts";
    suite.m_strComponent = "Beta";
  }
  void TearDown() override
  {
    _ComponentList.remove(&alpha);
    _ComponentList.remove(&beta);
  }

  std::unique_ptr<CHalvexApp> app;
  CComponent alpha{nullptr};
  CComponent beta{nullptr};
  CTestSuite suite;
};

TEST_F(SuitePropertiesTest, NewSuiteComponentTextComesFromItsTestCases)
{
  struct Case
  {
    const char* what;
    std::vector<std::string> classes;
    std::string component;
  };
  const Case cases[] = {
      {"one", {"Alpha"}, "Alpha"},
      {"same twice", {"Alpha", "Alpha"}, "Alpha"},
      {"two components", {"Alpha", "Beta"}, kSeveral},
      {"differs later", {"Beta", "Beta", "Alpha"}, kSeveral},
      {"letter case differs", {"Alpha", "alpha"}, kSeveral},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CTestSuite s;
    s.m_strName = "Name";
    s.m_strPath = "/p.ts";
    AddTestCases(s, c.classes);
    SuitePropertiesValues values;
    ASSERT_TRUE(PrepareSuiteProperties(s, kSuitePropertiesNew, kSeveral, values));
    EXPECT_EQ(values.component, c.component);
    EXPECT_EQ(values.existingSuite, 0);
    EXPECT_EQ(values.name, "Name");
    EXPECT_EQ(values.path, "/p.ts");
    EXPECT_TRUE(values.ComponentEditable());
    EXPECT_TRUE(values.NameEditable());
    EXPECT_EQ(values.componentChoices, (std::vector<std::string>{"Alpha", "Beta"}));
  }
}

TEST_F(SuitePropertiesTest, EmptyNewSuiteShowsNothingButAnExistingOneDoes)
{
  SuitePropertiesValues values;
  EXPECT_FALSE(PrepareSuiteProperties(suite, kSuitePropertiesNew, kSeveral, values));
  // Any mode other than 1 is a new suite.
  EXPECT_FALSE(PrepareSuiteProperties(suite, 7, kSeveral, values));
  EXPECT_EQ(ShowSuiteProperties(suite, kSuitePropertiesNew, app->Strings()),
            kSuitePropertiesUnchanged);

  AddTestCases(suite, {"Alpha"});
  ASSERT_TRUE(PrepareSuiteProperties(suite, kSuitePropertiesExisting, kSeveral, values));
  // An existing suite keeps its stored component text whatever its test cases say.
  EXPECT_EQ(values.component, "Beta");
  EXPECT_EQ(values.existingSuite, 1);
  EXPECT_FALSE(values.ComponentEditable());
  EXPECT_FALSE(values.NameEditable());
}

TEST_F(SuitePropertiesTest, OkCutsTextsToTheControlsLimits)
{
  SuitePropertiesValues values;
  values.component = std::string(300, 'c');
  values.path = std::string(300, 'p');
  values.name = std::string(300, 'n');
  ApplySuiteProperties(values, suite);
  EXPECT_EQ(suite.m_strComponent.size(), kComponentTextMax);
  EXPECT_EQ(suite.m_strPath.size(), kSuitePathMax);
  EXPECT_EQ(suite.m_strName.size(), kSuiteNameMax);
}

TEST_F(SuitePropertiesTest, PageShowsTheValuesAndLocksAnExistingSuite)
{
  struct Case
  {
    const char* what;
    int mode;
    std::vector<std::string> classes;
    int comboIndex;
    QString comboText;
    bool locked;
  };
  const Case cases[] = {
      {"new, one component", kSuitePropertiesNew, {"Beta"}, 1, "Beta", false},
      {"new, several",
       kSuitePropertiesNew,
       {"Beta", "Alpha"},
       -1,
       QString::fromStdString(kSeveral),
       false},
      {"existing", kSuitePropertiesExisting, {"Alpha"}, 1, "Beta", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CTestSuite s;
    s.m_strName = "Nightly";
    s.m_strPath = "/suites/nightly.ts";
    s.m_strComponent = "Beta";
    AddTestCases(s, c.classes);
    SuitePropertiesValues values;
    ASSERT_TRUE(PrepareSuiteProperties(s, c.mode, kSeveral, values));
    CTestSuitePropertiesSheet sheet(app->Strings(), values);
    CTestSuitePropertiesPage* page = sheet.Page();
    EXPECT_EQ(page->ComponentBox()->count(), 2);
    EXPECT_EQ(page->ComponentBox()->currentIndex(), c.comboIndex);
    EXPECT_EQ(page->ComponentBox()->currentText(), c.comboText);
    EXPECT_EQ(page->ComponentBox()->isEnabled(), !c.locked);
    EXPECT_EQ(page->NameEdit()->isReadOnly(), c.locked);
    EXPECT_EQ(page->NameEdit()->text(), QStringLiteral("Nightly"));
    EXPECT_EQ(page->PathEdit()->text(), QStringLiteral("/suites/nightly.ts"));
    EXPECT_EQ(page->ExistingEdit()->text(), QString::number(c.locked ? 1 : 0));
    EXPECT_EQ(page->NameEdit()->maxLength(), static_cast<int>(kSuiteNameMax));
    EXPECT_EQ(page->PathEdit()->maxLength(), static_cast<int>(kSuitePathMax));
    EXPECT_EQ(sheet.windowTitle(),
              QString::fromStdString(app->Strings().Get(ids::kSuitePropertiesTitle)));
    // A selection change is the field's value at once.
    if (!c.locked) {
      page->ComponentBox()->setCurrentIndex(0);
      EXPECT_EQ(page->Values().component, "Alpha");
    }
  }
}

TEST_F(SuitePropertiesTest, OkChangesTheSuiteAndCancelLeavesIt)
{
  AddTestCases(suite, {"Alpha", "Beta"});
  struct Case
  {
    const char* what;
    bool unattended;
    bool accept;
    int result;
    std::string path;
  };
  const Case cases[] = {
      {"no display", true, true, kSuitePropertiesUnchanged, "/suites/nightly.ts"},
      {"cancel", false, false, kSuitePropertiesUnchanged, "/suites/nightly.ts"},
      {"ok", false, true, kSuitePropertiesChanged, "/suites/weekly.ts"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedUnattended unattended(c.unattended);
    bool shown = false;
    QTimer::singleShot(0, [&] {
      auto* sheet = qobject_cast<CTestSuitePropertiesSheet*>(QApplication::activeModalWidget());
      if (sheet == nullptr)
        return;
      shown = true;
      sheet->Page()->PathEdit()->setText(QStringLiteral("/suites/weekly.ts"));
      sheet->Page()->NameEdit()->setText(QStringLiteral("Weekly"));
      if (c.accept)
        sheet->accept();
      else
        sheet->reject();
    });
    EXPECT_EQ(ShowSuiteProperties(suite, kSuitePropertiesNew, app->Strings()), c.result);
    QCoreApplication::processEvents();
    EXPECT_EQ(shown, !c.unattended);
    EXPECT_EQ(suite.m_strPath, c.path);
    EXPECT_EQ(suite.m_strName, c.result == kSuitePropertiesChanged ? "Weekly" : "Nightly");
    EXPECT_EQ(suite.m_strComponent, c.result == kSuitePropertiesChanged ? kSeveral : "Beta");
  }
}

} // namespace
} // namespace harness::test
