// halvex: the test harness program.
#include "halvexapp.h"
#include "mainframe.h"
#include "screenshots.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>
#include <cstdlib>

int main(int argc, char** argv)
{
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("halvex"));
  QApplication::setOrganizationName(QStringLiteral("Orvane"));
  int code = 0;
  {
    harness::CHalvexApp app;
    code = app.InitInstance(QApplication::arguments());
    if (code == harness::CHalvexApp::kRunEventLoop) {
      // For the README and the guide: pictures of the windows as start-up left them.
      if (const char* shots = std::getenv("HALVEX_SCREENSHOTS"))
        harness::TakeScreenshots(app, QString::fromLocal8Bit(shots));
      // Demos and benchmarks end a session after a while; the close guards still apply.
      if (const char* after = std::getenv("HALVEX_QUIT_AFTER_MS"))
        QTimer::singleShot(std::atoi(after), &application, [&app] {
          if (harness::HalvexApp() && app.m_pMainFrame)
            app.m_pMainFrame->close();
        });
      // Ending the session during a run asks first; "no" keeps the session and the run.
      QObject::connect(&application, &QGuiApplication::commitDataRequest,
                       [&app](QSessionManager& manager) {
                         if (app.m_pMainFrame && !app.m_pMainFrame->OnQueryEndSession())
                           manager.cancel();
                       });
      QApplication::setQuitOnLastWindowClosed(true);
      application.exec();
      code = app.ExitInstance();
    } else {
      app.ExitInstance();
    }
  }
  return code;
}
