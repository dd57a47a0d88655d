// The offscreen application, event-loop helpers and modal-dialog helpers for the harness's
// window tests.
#pragma once

#include "halvexapp.h"
#include "qtprompts.h"
#include "testsupport/hostsupport.h"
#include "testsupport/offscreen.h"
#include "testsupport/tempfolder.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace harness::test {

using testsupport::BuildBinFolder;
using testsupport::ProcessEventsUntil;
using testsupport::TestApplication;

// Sets HALVEX_UNATTENDED for one scope and puts back what was there.
class ScopedUnattended
{
public:
  explicit ScopedUnattended(bool on)
  {
    if (const char* old = std::getenv("HALVEX_UNATTENDED"))
      m_old = old;
    if (on)
      setenv("HALVEX_UNATTENDED", "1", 1);
    else
      unsetenv("HALVEX_UNATTENDED");
  }
  ~ScopedUnattended()
  {
    if (m_old)
      setenv("HALVEX_UNATTENDED", m_old->c_str(), 1);
    else
      unsetenv("HALVEX_UNATTENDED");
  }
  ScopedUnattended(const ScopedUnattended&) = delete;
  ScopedUnattended& operator=(const ScopedUnattended&) = delete;

private:
  std::optional<std::string> m_old;
};

// Once a modal dialog is open (called from the event loop it runs), `act` gets it; `act` must
// close it. Each call handles the next modal dialog to open.
inline void WhenModal(std::function<void(QWidget*)> act)
{
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act)] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr)
      return;
    timer->stop();
    timer->deleteLater();
    act(modal);
  });
  timer->start();
}

// An application on the build tree's resource libraries that answers every box at once, with
// its log, results and suites in `folder`. False when the resource libraries do not load.
inline bool PrepareApp(CHalvexApp& app, const testsupport::TempFolder& folder)
{
  app.QtPrompts().SetUnattended(true);
  if (!app.LoadResourceLibraries(BuildBinFolder()))
    return false;
  app.m_settings.m_strLogFilePath = folder.File("log.txt");
  app.m_settings.m_strResultsFilePath = folder.File("results.txt");
  app.m_settings.m_strDefaultLoggingFolder = folder.Path();
  app.m_settings.m_strTestSuitesFolder = folder.Path();
  return true;
}

} // namespace harness::test
