// The stop box: a Qt message box on the user-interface thread of a widget program, else a line
// on standard error.
#include "common/stopbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace components {

namespace {

StopBoxHandler s_handler = nullptr;

bool IsUnattended()
{
  const char* value = std::getenv("HALVEX_UNATTENDED");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

bool CanShowWindows()
{
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  return app != nullptr && QThread::currentThread() == app->thread();
}

} // namespace

void ShowStopBox(const std::string& text)
{
  if (s_handler != nullptr) {
    s_handler(text);
    return;
  }
  if (!IsUnattended() && CanShowWindows()) {
    QMessageBox::critical(nullptr, QStringLiteral("Halvex"), QString::fromLocal8Bit(text));
    return;
  }
  std::fprintf(stderr, "halvex: error: %s\n", text.c_str());
}

void SetStopBoxHandler(StopBoxHandler handler)
{
  s_handler = handler;
}

} // namespace components
