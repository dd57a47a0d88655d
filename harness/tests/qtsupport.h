// The one QApplication of a window test program, and an application object on the build's
// resource libraries.
#pragma once

#include "halvexapp.h"
#include "testsupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>
#include <functional>

namespace harness::test {

inline QApplication& TestApplication()
{
  static int argc = 1;
  static char name[] = "harness_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// The build tree's bin folder, where the resource libraries lie.
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

} // namespace harness::test
