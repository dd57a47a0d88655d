// The model property sheet under the offscreen platform: both layouts, OK, Cancel, the
// "Default" refusal, the pages by name and the module version it shows.
#include "skeleton/modelcomponent.h"
#include "skeleton/modelgeneralpage.h"
#include "skeleton/modelnextpage.h"
#include "skeleton/modelpropsheet.h"
#include "skeleton/stopbox.h"

#include "platform/system.h"

#include "testsupport/logcapture.h"
#include "testsupport/offscreen.h"
#include "testsupport/privateregistry.h"
#include "testsupport/stopboxcapture.h"
#include "testsupport/tempfolder.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <dlfcn.h>

using namespace testsupport;
using components::ModelField;
using components::ModelSheetLayout;

namespace {

// Runs `act` on the sheet once it is shown modally.
void OnSheet(const std::function<void(CModelPropSheet&)>& act)
{
  QTimer::singleShot(0, [act] {
    auto* sheet = dynamic_cast<CModelPropSheet*>(QApplication::activeModalWidget());
    ASSERT_NE(sheet, nullptr);
    act(*sheet);
  });
}

void Press(CModelPropSheet& sheet, QDialogButtonBox::StandardButton which)
{
  sheet.findChild<QDialogButtonBox*>()->button(which)->click();
}

class CLabComponent : public CModelComponent
{
public:
  CLabComponent(const std::string& dllPath, ModelSheetLayout layout)
      : CModelComponent(nullptr, std::move(layout))
  {
    m_strClassName = "Lab Tests";
    m_strDllPath = dllPath;
  }
};

// A module of ours with an embedded version: the platform library.
std::string VersionedModule()
{
  Dl_info info{};
  EXPECT_NE(dladdr(reinterpret_cast<const void*>(&platform::Beep), &info), 0);
  return info.dli_fname ? info.dli_fname : "";
}

class ModelPropSheetTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    TestApplication();
    m_registry.SeedRoot("/opt/halvex", "");
  }
  std::string Key() const { return std::string(kComponentDllsKey) + "\\Lab Tests"; }

  TempFolder m_folder;
  PrivateRegistry m_registry{m_folder};
  LogCapture m_log;
  StopBoxCapture m_boxes;
};

} // namespace

TEST_F(ModelPropSheetTest, MarlowLayoutShowsEightFieldsAndSavesUnderANewName)
{
  CLabComponent component(VersionedModule(), ModelSheetLayout::WithVersion());
  ASSERT_EQ(component.CreateDefaultRegistryEntry(), 1);
  const std::string version = component.GetDllVersion();
  EXPECT_NE(version, "Unknown");
  EXPECT_EQ(std::count(version.begin(), version.end(), '.'), 3);

  OnSheet([&](CModelPropSheet& sheet) {
    EXPECT_EQ(sheet.windowTitle(), "Model Properties");
    ASSERT_EQ(sheet.Pages()->count(), 1);
    EXPECT_EQ(sheet.Pages()->tabText(0), "General");
    CModelGeneralPage* page = sheet.GeneralPage();
    const auto edits = page->findChildren<QLineEdit*>();
    EXPECT_EQ(edits.size(), 8);
    EXPECT_EQ(page->Edit(ModelField::Path)->text().toStdString(), VersionedModule());
    EXPECT_TRUE(page->Edit(ModelField::Path)->isReadOnly());
    EXPECT_EQ(page->Edit(ModelField::Path)->maxLength(), 254);
    EXPECT_EQ(page->Edit(ModelField::Version)->text().toStdString(), version);
    EXPECT_FALSE(page->Edit(ModelField::Version)->isReadOnly());
    EXPECT_EQ(page->Edit(ModelField::Model)->text(), "Default");
    EXPECT_EQ(page->Edit(ModelField::Model)->maxLength(), 250);
    EXPECT_FALSE(sheet.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Apply));
    page->Edit(ModelField::Model)->setText("Bench 7");
    page->Edit(ModelField::OEM)->setText("OEM one");
    page->Edit(ModelField::Serial)->setText(QString(300, '9'));
    page->Edit(ModelField::Version)->setText("typed over");
    Press(sheet, QDialogButtonBox::Ok);
  });
  std::string newModel;
  EXPECT_EQ(component.ConfigureComponent(newModel), kConfigureSaved);
  EXPECT_EQ(newModel, "Bench 7");
  EXPECT_EQ(ReadString(Key() + "\\Bench 7", "OEMName"), "OEM one");
  EXPECT_EQ(ReadString(Key() + "\\Bench 7", "SerialNumber"), std::string(250, '9'));
  EXPECT_EQ(component.GetDllVersion(), version);
  EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(ModelPropSheetTest, ParameterPageLayoutShowsSevenFieldsAndASecondPage)
{
  CLabComponent component("/no/such/module.so", ModelSheetLayout::WithParameterPage());
  ASSERT_EQ(component.CreateDefaultRegistryEntry(), 1);
  EXPECT_EQ(component.GetDllVersion(), "Unknown");
  OnSheet([](CModelPropSheet& sheet) {
    ASSERT_EQ(sheet.Pages()->count(), 2);
    EXPECT_EQ(sheet.Pages()->tabText(1), "More Stuff Here");
    EXPECT_EQ(sheet.Pages()->widget(1)->findChild<QLabel*>()->text(), "Some Parameter:");
    EXPECT_EQ(sheet.GeneralPage()->findChildren<QLineEdit*>().size(), 7);
    EXPECT_EQ(sheet.GeneralPage()->Edit(ModelField::Version), nullptr);
    // Unchanged "Default": refused.
    Press(sheet, QDialogButtonBox::Ok);
  });
  std::string newModel = "stale";
  EXPECT_EQ(component.ConfigureComponent(newModel), kConfigureFailed);
  EXPECT_EQ(newModel, "");
  EXPECT_EQ(m_boxes.Boxes(),
            std::vector<std::string>{"You are not allowed to modify the 'Default' model."});
  EXPECT_EQ(SubKeys(Key()), std::vector<std::string>{"Default"});
}

TEST_F(ModelPropSheetTest, CancelAndCaseVariantsOfDefault)
{
  CLabComponent component("/no/such/module.so", ModelSheetLayout::WithVersion());
  ASSERT_EQ(component.CreateDefaultRegistryEntry(), 1);
  const struct
  {
    const char* typed;
    QDialogButtonBox::StandardButton button;
    int result;
    size_t boxes;
  } cases[] = {{"Bench", QDialogButtonBox::Cancel, kConfigureCancelled, 0},
               {"DEFAULT", QDialogButtonBox::Ok, kConfigureFailed, 1},
               {"", QDialogButtonBox::Ok, kConfigureFailed, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    m_boxes.Clear();
    OnSheet([&](CModelPropSheet& sheet) {
      sheet.GeneralPage()->Edit(ModelField::Model)->setText(c.typed);
      sheet.GeneralPage()->Edit(ModelField::Manufacturer)->setText("changed");
      Press(sheet, c.button);
    });
    std::string newModel;
    EXPECT_EQ(component.ConfigureComponent(newModel), c.result);
    EXPECT_EQ(m_boxes.Boxes().size(), c.boxes);
    EXPECT_EQ(SubKeys(Key()), std::vector<std::string>{"Default"});
    EXPECT_EQ(ReadString(Key() + "\\Default", "Manufacturer"), "Default");
  }
}

TEST(ModelPagesTest, PagesByName)
{
  TestApplication();
  std::unique_ptr<QWidget> general(CModelPropSheet::CreatePage("CModelGeneralPage"));
  ASSERT_NE(general, nullptr);
  EXPECT_EQ(general->windowTitle(), "General");
  EXPECT_EQ(general->findChildren<QLineEdit*>().size(), 8);
  std::unique_ptr<QWidget> next(CModelPropSheet::CreatePage("CModelNextPage"));
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->windowTitle(), "Marlow Component");
  EXPECT_EQ(next->findChild<QLabel*>()->text(), "This page is removed");
  EXPECT_EQ(CModelPropSheet::CreatePage("CModelLastPage"), nullptr);
}
