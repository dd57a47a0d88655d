// halvex: the test harness program.
#include "halvexapp.h"
#include "mainframe.h"
#include "platform/standardoptions.h"
#include "platform/subreaper.h"
#include "screenshots.h"
#include "terminationsignals.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>
#include <cstdlib>

namespace {

constexpr char kHelp[] =
    "Usage: halvex [SUITE.ts]\n"
    "  or:  halvex -run SUITE.ts\n"
    "The test harness: loads the test cases of the component plug-ins, builds and edits test\n"
    "suites from them, runs them, and shows and files every log line and result.\n"
    "\n"
    "  -run SUITE.ts  run every test case of SUITE.ts, then end\n"
    "\n"
    "Without -run, SUITE.ts is opened; a second start hands it to the running halvex.\n";

} // namespace

int main(int argc, char** argv)
{
  // Before the window system, so that it needs no display.
  if (const auto answered = platform::AnswerStandardOption(argc, argv, "halvex", kHelp))
    return *answered;
  // Whatever a test program starts stays below the harness, even when its parent has ended,
  // so that ending the test case can end it too.
  platform::BecomeChildSubreaper();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("halvex"));
  QApplication::setOrganizationName(QStringLiteral("Orvane"));
  int code = 0;
  {
    harness::CHalvexApp app;
    harness::CTerminationSignals termination;
    QObject::connect(&termination, &harness::CTerminationSignals::terminationRequested, &app,
                     &harness::CHalvexApp::OnTerminationRequest);
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
