// The one QApplication of a window test program (the offscreen platform, set by the test
// registration), the build tree's folders, and waiting on the event loop.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QThread>

#include <cstdlib>
#include <functional>

namespace testsupport {

inline QApplication& TestApplication()
{
  static int argc = 1;
  static char name[] = "halvex_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// The build tree's bin folder, where the programs and resource libraries lie.
inline QString BuildBinFolder()
{
  const char* build = std::getenv("HALVEX_BUILD_DIR");
  return QString::fromUtf8(build ? build : ".") + QStringLiteral("/bin");
}

// Runs the event loop until `done` or the limit; returns done().
inline bool ProcessEventsUntil(const std::function<bool()>& done, int limitMs = 20000)
{
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < limitMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(1);
  }
  return done();
}

} // namespace testsupport
