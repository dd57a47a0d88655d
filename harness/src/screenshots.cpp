// Documentation pictures.
#include "screenshots.h"

#include "availabletestswnd.h"
#include "halvexapp.h"
#include "harness/harnessproperties.h"
#include "harnesspropsheet.h"
#include "mainframe.h"
#include "startuppropsheet.h"
#include "testcasestree.h"
#include "testsuitestree.h"

#include <QCoreApplication>
#include <QDir>
#include <QTabWidget>
#include <QThread>
#include <cstdio>

namespace harness {

namespace {

void Settle()
{
  for (int i = 0; i < 20; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(10);
  }
}

bool Save(QWidget* widget, const QDir& folder, const QString& name)
{
  Settle();
  const QString path = folder.filePath(name);
  if (widget->grab().save(path))
    return true;
  std::fprintf(stderr, "halvex: cannot write the screenshot %s\n", qPrintable(path));
  return false;
}

// Shows a dialog without running it, and pictures each of its tabs.
bool SaveTabs(QWidget* dialog, QTabWidget* tabs, const QDir& folder, const QString& stem)
{
  dialog->show();
  bool saved = true;
  for (int i = 0; i < tabs->count(); ++i) {
    tabs->setCurrentIndex(i);
    saved = Save(dialog, folder,
                 i == 0 ? stem + ".png" : stem + QStringLiteral("-%1.png").arg(i + 1)) &&
            saved;
  }
  tabs->setCurrentIndex(0);
  dialog->hide();
  return saved;
}

} // namespace

bool TakeScreenshots(CHalvexApp& app, const QString& folder)
{
  CMainFrame* frame = app.m_pMainFrame;
  if (frame == nullptr)
    return false;
  QDir dir(folder);
  dir.mkpath(QStringLiteral("."));
  CAvailableTestsWnd* left = frame->GetAvailableTestsWnd();
  left->SuitesTree()->expandAll();
  left->TestCasesTree()->expandAll();
  bool saved = true;
  left->Tabs()->setCurrentIndex(0);
  saved = Save(frame, dir, QStringLiteral("main-window.png")) && saved;
  left->Tabs()->setCurrentIndex(1);
  saved = Save(frame, dir, QStringLiteral("main-window-tests.png")) && saved;
  left->Tabs()->setCurrentIndex(0);

  HarnessPropertiesContext context{app.m_settings, guiLoggingLevel,     app.m_strHarnessNote,
                                   app.Store(),    app.m_szRegistryKey, app.Strings(),
                                   app.Prompts()};
  CHarnessPropSheet properties(
      app.Strings(), app.m_settings, FillHarnessProperties(context),
      [&app] { return app.ResultsView().IsNtLogAvailable(); }, {}, frame);
  saved =
      SaveTabs(&properties, properties.Tabs(), dir, QStringLiteral("harness-properties")) && saved;

  CStartupPropSheet startup(app.HalvexResources(), app.m_settings.m_nDontShowStartupBox == 1,
                            frame);
  saved = SaveTabs(&startup, startup.Tabs(), dir, QStringLiteral("startup-box")) && saved;
  return saved;
}

} // namespace harness
