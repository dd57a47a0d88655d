// parlo: the viewer for the harness's log and results files.
#include "cparloapp.h"

#include "platform/standardoptions.h"

#include <QApplication>

namespace {

constexpr char kHelp[] =
    "Usage: parlo [FILE]\n"
    "Shows a log or results file of the test harness, failures in red and warnings in orange;\n"
    "reloads it, follows what its writer appends, finds text, and prints it.\n";

} // namespace

int main(int argc, char** argv)
{
  // Before the window system, so that it needs no display.
  if (const auto answered = platform::AnswerStandardOption(argc, argv, "parlo", kHelp))
    return *answered;
  QApplication application(argc, argv);
  parlo::CParloApp app;
  if (!app.InitInstance(QApplication::arguments(), QApplication::applicationDirPath()))
    return 1;
  return QApplication::exec();
}
