// parlo: the viewer for the harness's log and results files.
#include "cparloapp.h"

#include <QApplication>

int main(int argc, char** argv)
{
  QApplication application(argc, argv);
  parlo::CParloApp app;
  if (!app.InitInstance(QApplication::arguments(), QApplication::applicationDirPath()))
    return 1;
  return QApplication::exec();
}
