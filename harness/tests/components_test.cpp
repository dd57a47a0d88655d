// Components in the harness under the offscreen platform: adding a module by path, the
// components dialog's rows and buttons, and configuration mode in the command state.
#include "componentsdialog.h"
#include "halvexapp.h"
#include "halvexview.h"
#include "limitededit.h"
#include "mainframe.h"
#include "modelselectiondialog.h"
#include "plinth/component.h"
#include "qtprompts.h"
#include "qtsupport.h"
#include "testsupport/logcapture.h"
#include "testsupport/privateregistry.h"
#include "testsupport/tempfolder.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>

namespace harness::test {

using namespace testsupport;
namespace {

using testsupport::kComponentDllsKey;
using testsupport::kRootKey;

// A component whose configuration always saves the model "Lab".
class CLabComponent : public CComponent
{
public:
  CLabComponent() : CComponent(nullptr) { SetClassName("Lab Bench"); }
  int ConfigureComponent(std::string& strNewModel) override
  {
    strNewModel = "Lab";
    return kConfigureSaved;
  }
};

void WriteModel(const std::string& className, const std::string& model)
{
  CRegKey key;
  ASSERT_EQ(key.CreateKeyString(platform::HKEY_LOCAL_MACHINE,
                                std::string(kComponentDllsKey) + "\\" + className),
            0);
  ASSERT_EQ(key.WriteString("CurrentModel", model), 0);
}

class ComponentsTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    TestApplication();
    app = std::make_unique<CHalvexApp>();
    guiLoggingLevel = 1;
    ASSERT_TRUE(PrepareApp(*app, folder));
    registry.SeedRoot(folder.Path(), folder.Path());
    app->SetRootKey(kRootKey);
    ASSERT_TRUE(app->CreateMainFrame());
    frame = app->m_pMainFrame;
  }
  void TearDown() override
  {
    _ComponentList.remove(&lab);
    app->ExitInstance();
    app.reset();
  }

  // The probe module under another file name: another component.
  std::string ProbeCopy(const std::string& name)
  {
    const std::string path = folder.File(name);
    std::filesystem::copy_file(PROBE_MODULE, path);
    return path;
  }
  QString LogText() const { return frame->GetLogWindow()->toPlainText(); }

  testsupport::TempFolder folder;
  testsupport::PrivateRegistry registry{folder};
  std::unique_ptr<CHalvexApp> app;
  CMainFrame* frame = nullptr;
  CLabComponent lab;
};

TEST_F(ComponentsTest, AddingAModuleLoadsItOnceAndReportsEveryOtherOutcome)
{
  const std::string probe = ProbeCopy("Probe.so");
  struct Case
  {
    std::string path;
    bool added;
    std::string told; // in the log or on standard error
  };
  const Case cases[] = {
      {probe, true, ""},
      {probe, false, "is loaded already"},
      {folder.File("Missing.so"), false, folder.File("Missing.so")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    testing::internal::CaptureStderr();
    const bool added = frame->AddComponentFile(c.path);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(added, c.added);
    if (!c.told.empty()) {
      EXPECT_TRUE(err.find(c.told) != std::string::npos || LogText().contains(c.told.c_str()))
          << err;
    }
  }
  ASSERT_NE(app->ComponentLoader()->FindComponentByClass("Probe"), nullptr);
  EXPECT_EQ(app->ComponentLoader()->GetLoadedModules().size(), 1u);
  // The module registered itself, so a later start loads it.
  EXPECT_EQ(testsupport::ReadString(std::string(kComponentDllsKey) + "\\Probe", "DllPath"), probe);
  // Without a display no file dialog is shown.
  setenv("HALVEX_UNATTENDED", "1", 1);
  EXPECT_FALSE(frame->AddComponent());
  unsetenv("HALVEX_UNATTENDED");
}

TEST_F(ComponentsTest, DialogListsComponentsWhoseModelReads)
{
  ASSERT_TRUE(frame->AddComponentFile(ProbeCopy("Alpha.so")));
  {
    CComponentsDialog dialog(*app, *frame, *app->ComponentLoader());
    ASSERT_EQ(dialog.List()->topLevelItemCount(), 1);
    EXPECT_EQ(dialog.List()->topLevelItem(0)->text(0), QStringLiteral("Alpha"));
    EXPECT_EQ(dialog.List()->topLevelItem(0)->text(1), QStringLiteral("Default"));
    EXPECT_TRUE(dialog.List()->topLevelItem(0)->isSelected());
    EXPECT_EQ(dialog.List()->columnWidth(0), CComponentsDialog::kColumnWidth);
    EXPECT_EQ(dialog.List()->columnWidth(1), CComponentsDialog::kColumnWidth);
  }
  // A component without a registry entry has no row; with one it has.
  lab.AddToComponentList();
  ASSERT_TRUE(frame->AddComponentFile(ProbeCopy("Beta.so")));
  CComponentsDialog dialog(*app, *frame, *app->ComponentLoader());
  EXPECT_EQ(dialog.List()->topLevelItemCount(), 2);
  EXPECT_TRUE(dialog.List()->selectedItems().isEmpty());
  WriteModel("Lab Bench", "Bench 1");
  dialog.Fill();
  ASSERT_EQ(dialog.List()->topLevelItemCount(), 3);
  EXPECT_EQ(dialog.List()->topLevelItem(1)->text(0), QStringLiteral("Lab Bench"));
  EXPECT_EQ(dialog.List()->topLevelItem(1)->text(1), QStringLiteral("Bench 1"));
}

TEST_F(ComponentsTest, ButtonsNeedASelectionAndKeepOrChangeTheModel)
{
  lab.AddToComponentList();
  WriteModel("Lab Bench", "Bench 1");
  ASSERT_TRUE(frame->AddComponentFile(ProbeCopy("Alpha.so")));
  CComponentsDialog dialog(*app, *frame, *app->ComponentLoader());
  ASSERT_EQ(dialog.List()->topLevelItemCount(), 2);
  const std::string modelKey = std::string(kComponentDllsKey) + "\\Lab Bench";

  struct Case
  {
    const char* button;
    bool select;
    std::string stderrPart;
    std::string logPart;
    std::string modelAfter;
  };
  const Case cases[] = {
      {"Configure", false, "Select a component", "", "Bench 1"},
      {"Model", false, "Select a component", "", "Bench 1"},
      {"Remove", true, "Remove Compnt", "", "Bench 1"},
      {"Configure", true, "", "", "Lab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    dialog.List()->clearSelection();
    if (c.select)
      dialog.List()->setCurrentItem(dialog.List()->topLevelItem(0));
    auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(c.button));
    ASSERT_NE(button, nullptr);
    testing::internal::CaptureStderr();
    button->click();
    const std::string err = testing::internal::GetCapturedStderr();
    if (!c.stderrPart.empty()) {
      EXPECT_NE(err.find(c.stderrPart), std::string::npos) << err;
    }
    if (!c.logPart.empty()) {
      EXPECT_TRUE(LogText().contains(c.logPart.c_str())) << LogText().toStdString();
    }
    EXPECT_EQ(testsupport::ReadString(modelKey, "CurrentModel"), c.modelAfter);
  }
  // The saved configuration shows in the refilled list.
  EXPECT_EQ(dialog.List()->topLevelItem(0)->text(1), QStringLiteral("Lab"));
  EXPECT_EQ(dialog.List()->topLevelItemCount(), 2);
}

namespace {

// Runs `act` on the model selection dialog once it is shown.
void OnModelDialog(const std::function<void(CModelSelectionDialog&)>& act)
{
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<CModelSelectionDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    act(*dialog);
  });
}

void Press(QDialog& dialog, QDialogButtonBox::StandardButton which)
{
  dialog.findChild<QDialogButtonBox*>()->button(which)->click();
}

QStringList Items(const QListWidget* list)
{
  QStringList items;
  for (int row = 0; row < list->count(); ++row)
    items << list->item(row)->text();
  return items;
}

} // namespace

TEST_F(ComponentsTest, ModelCommandSelectsAModelAndCancelUndoesNewModel)
{
  lab.AddToComponentList();
  const std::string modelKey = std::string(kComponentDllsKey) + "\\Lab Bench";
  WriteModel("Lab Bench", "Bench 2");
  for (const char* model : {"Bench 1", "Bench 2", "Default"}) {
    CRegKey key;
    ASSERT_EQ(key.CreateKeyString(platform::HKEY_LOCAL_MACHINE, modelKey + "\\" + model), 0);
  }
  CComponentsDialog dialog(*app, *frame, *app->ComponentLoader());
  ASSERT_EQ(dialog.List()->topLevelItemCount(), 1);
  auto* model = dialog.findChild<QPushButton*>(QStringLiteral("Model"));

  // New Model saves "Lab", which becomes current; Cancel puts "Bench 2" back.
  OnModelDialog([&](CModelSelectionDialog& selection) {
    EXPECT_EQ(selection.ClassNameEdit()->text(), QStringLiteral("Lab Bench"));
    EXPECT_TRUE(selection.ClassNameEdit()->isReadOnly());
    EXPECT_EQ(Items(selection.List()), (QStringList{"Bench 1", "Bench 2", "Default"}));
    EXPECT_EQ(selection.List()->currentItem()->text(), QStringLiteral("Bench 2"));
    selection.NewModelButton()->click();
    EXPECT_EQ(testsupport::ReadString(modelKey, "CurrentModel"), "Lab");
    Press(selection, QDialogButtonBox::Cancel);
  });
  model->click();
  EXPECT_EQ(testsupport::ReadString(modelKey, "CurrentModel"), "Bench 2");
  EXPECT_EQ(dialog.List()->topLevelItem(0)->text(1), QStringLiteral("Bench 2"));

  // OK without a selection keeps the dialog open; with one it loads it and the list shows it.
  OnModelDialog([&](CModelSelectionDialog& selection) {
    selection.List()->clearSelection();
    testing::internal::CaptureStderr();
    Press(selection, QDialogButtonBox::Ok);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Select a model in the list first."), std::string::npos) << err;
    EXPECT_TRUE(selection.isVisible());
    selection.List()->setCurrentRow(0);
    Press(selection, QDialogButtonBox::Ok);
  });
  model->click();
  EXPECT_EQ(testsupport::ReadString(modelKey, "CurrentModel"), "Bench 1");
  EXPECT_EQ(dialog.List()->topLevelItem(0)->text(1), QStringLiteral("Bench 1"));
}

TEST_F(ComponentsTest, ConfigurationModeFollowsConfigurationsSet)
{
  struct Case
  {
    const char* what;
    bool write;
    platform::DWORD value;
    bool configMode;
  };
  const Case cases[] = {
      {"missing", false, 0, false}, {"zero", true, 0, true}, {"one", true, 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.write) {
      CRegKey root;
      ASSERT_EQ(root.Open(platform::HKEY_LOCAL_MACHINE, kRootKey), 0);
      ASSERT_EQ(root.WriteDword("Configurations Set", c.value), 0);
    }
    frame->RefreshConfigMode();
    EXPECT_EQ(frame->IsConfigMode(), c.configMode);
    EXPECT_EQ(frame->CommandContext().configMode, c.configMode);
  }
  // The components command reads it again when its dialog closes.
  CRegKey root;
  ASSERT_EQ(root.Open(platform::HKEY_LOCAL_MACHINE, kRootKey), 0);
  ASSERT_EQ(root.WriteDword("Configurations Set", 0), 0);
  setenv("HALVEX_UNATTENDED", "1", 1);
  frame->OnConfigureComponent();
  unsetenv("HALVEX_UNATTENDED");
  EXPECT_TRUE(frame->IsConfigMode());
}

TEST_F(ComponentsTest, OpenedSuitesFillTheRecentFileMenu)
{
  // Zero-length files are empty suites.
  std::vector<std::string> paths;
  for (int i = 1; i <= 5; ++i) {
    paths.push_back(folder.File("suite" + std::to_string(i) + ".ts"));
    folder.Write("suite" + std::to_string(i) + ".ts", "");
  }
  for (const std::string& path : paths)
    ASSERT_TRUE(app->OpenDocumentFile(path));
  const std::vector<std::string> newestFour = {paths[4], paths[3], paths[2], paths[1]};
  EXPECT_EQ(app->RecentFiles().Entries(), newestFour);
  ASSERT_EQ(frame->RecentFileActions().size(), 4);
  EXPECT_EQ(frame->RecentFileActions()[0]->text(),
            QStringLiteral("&1 %1").arg(QString::fromStdString(paths[4])));

  // The list is in the registry: the next start shows it.
  auto next = std::make_unique<CHalvexApp>();
  next->QtPrompts().SetUnattended(true);
  next->SetRootKey(kRootKey);
  next->LoadRecentFiles();
  EXPECT_EQ(next->RecentFiles().Entries(), newestFour);
  next.reset();

  // An entry whose file has gone leaves the list and the menu; the others open.
  const int windowsBefore = static_cast<int>(frame->MdiArea()->subWindowList().size());
  std::filesystem::remove(paths[3]);
  frame->RecentFileActions()[1]->trigger();
  EXPECT_EQ(app->RecentFiles().Entries(), (std::vector<std::string>{paths[4], paths[2], paths[1]}));
  EXPECT_EQ(frame->RecentFileActions().size(), 3);
  // A suite that is open already comes forward instead of opening twice.
  frame->RecentFileActions()[2]->trigger();
  EXPECT_EQ(app->RecentFiles().Entries().front(), paths[1]);
  EXPECT_EQ(static_cast<int>(frame->MdiArea()->subWindowList().size()), windowsBefore);
  ASSERT_NE(frame->ActiveSuiteWindow(), nullptr);
  EXPECT_EQ(frame->ActiveSuiteWindow()->Document().GetPathName(), paths[1]);
}

} // namespace
} // namespace harness::test
