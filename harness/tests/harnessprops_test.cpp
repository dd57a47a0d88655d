// The harness properties sheet and the start-up box in the main window under the offscreen
// platform, on a private registry: Cancel writes nothing, OK saves every setting, level 7,
// the default buttons, NTLog present and absent, and the start-up box's check box.
#include "harness/harnessproperties.h"
#include "harness/logfile.h"
#include "harness/runstate.h"
#include "harness/stringids.h"
#include "harnessgeneralpage.h"
#include "harnesslogpage.h"
#include "harnesspropsheet.h"
#include "harnessreportingpage.h"
#include "mainframe.h"
#include "ourstatusbar.h"
#include "platform/registry.h"
#include "qtprompts.h"
#include "qtsupport.h"
#include "startuppage.h"
#include "startuppropsheet.h"
#include "testsupport/privateregistry.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace harness::test {

using namespace testsupport;
namespace {

constexpr const char* kRoot = testsupport::kRootKey;

// Sets an environment variable for one scope.
class ScopedEnv
{
public:
  ScopedEnv(const char* name, const char* value) : m_name(name)
  {
    if (const char* old = std::getenv(name))
      m_old = old;
    setenv(name, value, 1);
  }
  ~ScopedEnv()
  {
    if (m_old)
      setenv(m_name, m_old->c_str(), 1);
    else
      unsetenv(m_name);
  }

private:
  const char* m_name;
  std::optional<std::string> m_old;
};

class HarnessPropsTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    TestApplication();
    registry = std::make_unique<PrivateRegistry>(folder);
    registry->SeedRoot(folder.Path(), folder.File("defs/"));
    std::filesystem::create_directories(folder.File("logs"));
    app = std::make_unique<CHalvexApp>();
    app->QtPrompts().SetUnattended(true);
    ASSERT_TRUE(app->LoadResourceLibraries(BuildBinFolder()));
    app->SetRootKey(kRoot);
    CRegKey root;
    ASSERT_EQ(root.Open(platform::HKEY_LOCAL_MACHINE, kRoot), 0);
    root.WriteString("DefaultLoggingFolder", folder.File("logs"));
    root.WriteString("LogFilePath", folder.File("logs/log.txt"));
    root.WriteString("ResultsFilePath", folder.File("logs/results.txt"));
    root.WriteString("TestSuitesFolder", folder.File("suites"));
    root.WriteString(kSuspectFilesAreValue, app->Strings().Get(ids::kSuspectFilesUnchecked));
    root.Close();
    app->SetDefaults();
    ASSERT_TRUE(app->LoadSettings());
    ASSERT_TRUE(app->CreateMainFrame());
    frame = app->m_pMainFrame;
    frame->show();
    app->m_pStatusBar->Reset(guiLoggingLevel);
  }
  void TearDown() override
  {
    app->ExitInstance();
    app.reset();
  }

  // Every value below the root key, as text.
  std::map<std::string, std::string> RootValues() const
  {
    std::map<std::string, std::string> values;
    CRegKey root;
    if (root.Open(platform::HKEY_LOCAL_MACHINE, kRoot) != 0)
      return values;
    for (platform::DWORD i = 0;; ++i) {
      char name[256];
      platform::DWORD nameSize = sizeof name;
      platform::DWORD type = 0;
      platform::BYTE data[1024];
      platform::DWORD dataSize = sizeof data;
      if (platform::RegEnumValue(root, i, name, &nameSize, nullptr, &type, data, &dataSize) != 0)
        break;
      values[std::string(name, nameSize)] =
          std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), dataSize);
    }
    return values;
  }

  template <typename T> static T* Control(QWidget* page, int id)
  {
    T* control = page->findChild<T*>(QString::number(id));
    EXPECT_NE(control, nullptr) << id;
    return control;
  }

  // Opens the harness properties; `act` gets the sheet and closes it.
  void WithSheet(const std::function<void(CHarnessPropSheet*)>& act)
  {
    ScopedUnattended attended(false);
    bool shown = false;
    WhenModal([&](QWidget* modal) {
      auto* sheet = qobject_cast<CHarnessPropSheet*>(modal);
      shown = sheet != nullptr;
      if (sheet == nullptr) {
        modal->close();
        return;
      }
      act(sheet);
    });
    frame->Action(cmd::kHarnessProperties)->trigger();
    EXPECT_TRUE(shown);
  }

  TempFolder folder;
  std::unique_ptr<PrivateRegistry> registry;
  std::unique_ptr<CHalvexApp> app;
  CMainFrame* frame = nullptr;
};

TEST_F(HarnessPropsTest, CancelChangesNothingAndWritesNothing)
{
  const auto before = RootValues();
  const CHarnessSettings settings = app->m_settings;
  WithSheet([](CHarnessPropSheet* sheet) {
    Control<QLineEdit>(sheet->GeneralPage(), 1005)->setText(QStringLiteral("/elsewhere.txt"));
    Control<QCheckBox>(sheet->LogPage(), 1061)->setChecked(true);
    Control<QCheckBox>(sheet->ReportingPage(), 1055)->setChecked(false);
    sheet->reject();
  });
  EXPECT_EQ(RootValues(), before);
  EXPECT_EQ(app->m_settings.m_strResultsFilePath, settings.m_strResultsFilePath);
  EXPECT_EQ(app->m_settings.m_nReportFirmwareVersion, settings.m_nReportFirmwareVersion);
}

TEST_F(HarnessPropsTest, OkStoresEveryPageAndSavesTheSettings)
{
  WithSheet([this](CHarnessPropSheet* sheet) {
    QWidget* general = sheet->GeneralPage();
    Control<QLineEdit>(general, 1005)->setText(QString::fromStdString(folder.File("r.txt")));
    Control<QLineEdit>(general, 1001)->setText(QStringLiteral("bench 7"));
    general->findChild<QRadioButton*>(QStringLiteral("1049.0"))->setChecked(true);
    QWidget* log = sheet->LogPage();
    Control<QComboBox>(log, 1007)->setCurrentIndex(3);
    log->findChild<QRadioButton*>(QStringLiteral("1028.2"))->setChecked(true);
    log->findChild<QRadioButton*>(QStringLiteral("1043.0"))->setChecked(true);
    log->findChild<QRadioButton*>(QStringLiteral("1045.1"))->setChecked(true);
    Control<QCheckBox>(log, 1061)->setChecked(true);
    for (int id : {1055, 1059})
      Control<QCheckBox>(sheet->ReportingPage(), id)->setChecked(false);
    sheet->accept();
  });
  EXPECT_EQ(ReadString(kRoot, "ResultsFilePath"), folder.File("r.txt"));
  EXPECT_EQ(ReadDword(kRoot, "AppendToResultsFile"), 0);
  EXPECT_EQ(ReadDword(kRoot, "LoggingLevel"), 3);
  EXPECT_EQ(guiLoggingLevel, 3u);
  EXPECT_EQ(ReadDword(kRoot, "AppendToLogFile"), 0);
  EXPECT_EQ(ReadDword(kRoot, "LogDateTime"), 1);
  EXPECT_EQ(ReadDword(kRoot, "ReportFirmwareVersion"), 0);
  EXPECT_EQ(ReadDword(kRoot, "ReportDriverVersion"), 0);
  EXPECT_EQ(ReadDword(kRoot, "ReportModel"), 1);
  EXPECT_EQ(ReadString(kRoot, kSuspectFilesAreValue),
            app->Strings().Get(ids::kSuspectFilesChecked));
  EXPECT_EQ(app->m_settings.m_nLogDestination, 2);
  EXPECT_EQ(app->m_strHarnessNote, "bench 7");
  EXPECT_EQ(frame->GetStatusBar()->FieldText(COurStatusBar::kLoggingLevelField).toStdString(),
            LoggingLevelText(app->Strings(), 3));

  // The note is shown again the next time; nothing stores it.
  WithSheet([](CHarnessPropSheet* sheet) {
    EXPECT_EQ(Control<QLineEdit>(sheet->GeneralPage(), 1001)->text(), QStringLiteral("bench 7"));
    EXPECT_TRUE(Control<QCheckBox>(sheet->LogPage(), 1061)->isChecked());
    sheet->reject();
  });
}

TEST_F(HarnessPropsTest, LevelSevenIsShownAsLevelZeroAndBecomesIt)
{
  guiLoggingLevel = 7;
  const auto before = RootValues();
  WithSheet([this](CHarnessPropSheet* sheet) {
    EXPECT_EQ(Control<QComboBox>(sheet->LogPage(), 1007)->currentText().toStdString(),
              LoggingLevelText(app->Strings(), 0));
    sheet->reject();
  });
  EXPECT_EQ(guiLoggingLevel, 0u);
  EXPECT_EQ(RootValues(), before);
}

TEST_F(HarnessPropsTest, DefaultButtonsFillTheirEdits)
{
  WithSheet([this](CHarnessPropSheet* sheet) {
    const struct
    {
      QWidget* page;
      int button;
      int edit;
      std::string expected;
    } cases[] = {
        {sheet->GeneralPage(), 1014, 1005, folder.File("logs") + "/HalvexResults.txt"},
        {sheet->GeneralPage(), 1019, 1012, DefaultTestSuitesFolder(folder.Path(), app->Strings())},
        {sheet->LogPage(), 1018, 1010, folder.File("logs") + "/HalvexLog.txt"},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(c.button);
      Control<QLineEdit>(c.page, c.edit)->clear();
      Control<QPushButton>(c.page, c.button)->click();
      EXPECT_EQ(Control<QLineEdit>(c.page, c.edit)->text().toStdString(), c.expected);
    }
    EXPECT_EQ(Control<QLineEdit>(sheet->GeneralPage(), 1005)->maxLength(),
              static_cast<int>(kPropertiesTextMax));
    sheet->reject();
  });
}

TEST_F(HarnessPropsTest, NtLogControlsFollowWhetherTheLibraryIsThere)
{
  for (bool present : {false, true}) {
    SCOPED_TRACE(present);
    ScopedEnv ntlog("HALVEX_NTLOG", present ? "NTLog.dll" : "NoSuchNtLog.dll");
    // Each application binds NTLog once.
    frame = nullptr;
    app->ExitInstance();
    app.reset();
    app = std::make_unique<CHalvexApp>();
    app->QtPrompts().SetUnattended(true);
    ASSERT_TRUE(app->LoadResourceLibraries(BuildBinFolder()));
    app->SetRootKey(kRoot);
    ASSERT_TRUE(app->LoadSettings());
    ASSERT_TRUE(app->CreateMainFrame());
    frame = app->m_pMainFrame;
    frame->show();
    ASSERT_EQ(AppendLineToFile(app->m_settings.m_strResultsFilePath, "an earlier result"), 0);
    WithSheet([present](CHarnessPropSheet* sheet) {
      sheet->Tabs()->setCurrentIndex(0);
      QCoreApplication::processEvents();
      for (int id : {1063, 1052, 1015})
        EXPECT_EQ(Control<QWidget>(sheet->GeneralPage(), id)->isEnabled(), present) << id;
      if (present) {
        // The options create the log at the results file path, appending, and show the
        // library's own dialog, which is cancelled here.
        WhenModal([](QWidget* options) { options->close(); });
        Control<QPushButton>(sheet->GeneralPage(), 1015)->click();
      }
      sheet->reject();
    });
    const std::string results = ReadAll(app->m_settings.m_strResultsFilePath);
    EXPECT_NE(results.find("an earlier result"), std::string::npos);
    EXPECT_EQ(results.find("NTLog opened") != std::string::npos, present);
  }
}

TEST_F(HarnessPropsTest, WithoutTheRootKeySuspectFilesAreStaysUnticked)
{
  app->m_szRegistryKey = "SOFTWARE\\Orvane\\Missing";
  WithSheet([](CHarnessPropSheet* sheet) {
    EXPECT_FALSE(Control<QCheckBox>(sheet->LogPage(), 1061)->isChecked());
    sheet->reject();
  });
  EXPECT_FALSE(KeyExists("SOFTWARE\\Orvane\\Missing"));
}

TEST_F(HarnessPropsTest, StartupBoxShowsFivePagesAndStoresItsCheckBoxOnOk)
{
  const struct
  {
    const char* what;
    bool tick;
    bool accept;
    long stored; // -1: not written
  } cases[] = {
      {"cancel", true, false, -1}, {"ok ticked", true, true, 1}, {"ok cleared", false, true, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const bool shownTicked = app->m_settings.m_nDontShowStartupBox == 1;
    ScopedUnattended attended(false);
    WhenModal([&](QWidget* modal) {
      auto* box = qobject_cast<CStartupPropSheet*>(modal);
      ASSERT_NE(box, nullptr);
      ASSERT_EQ(box->Tabs()->count(), 5);
      for (CStartupPage* page : box->Pages())
        EXPECT_FALSE(page->Text()->toPlainText().isEmpty()) << page->objectName().toStdString();
      QCheckBox* check = box->Pages().front()->CheckBox();
      ASSERT_NE(check, nullptr);
      EXPECT_EQ(check->objectName(), QStringLiteral("1060"));
      EXPECT_EQ(check->isChecked(), shownTicked);
      check->setChecked(c.tick);
      if (c.accept)
        box->accept();
      else
        box->reject();
    });
    frame->Action(cmd::kHelpDisplayStartupBox)->trigger();
    EXPECT_EQ(ReadDword(kRoot, "DontShowStartupBox"), c.stored);
    // OK saves all settings, not the check box alone.
    EXPECT_EQ(ReadDword(kRoot, "LoggingLevel") != -1, c.accept);
  }
}

} // namespace
} // namespace harness::test
