// A bare Qt main window that ends once shown: the baseline for the harness's start-up.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv)
{
  QApplication application(argc, argv);
  QMainWindow window;
  window.showMaximized();
  QTimer::singleShot(0, &window, &QWidget::close);
  return application.exec();
}
