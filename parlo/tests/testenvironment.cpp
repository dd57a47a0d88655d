// One QApplication for the whole test program, created before the first test.
#include "testenvironment.h"

#include "cmainframe.h"
#include "stringtable.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <memory>

namespace parlo::test {
namespace {

class WindowEnvironment : public testing::Environment
{
public:
  void SetUp() override
  {
    qputenv("HALVEX_UNATTENDED", "1");
    qputenv("HALVEX_REGISTRY", TempPath(QStringLiteral("registry.db")).toLocal8Bit());
    m_application = std::make_unique<QApplication>(m_argc, m_argv);
    QString error;
    const QString bin =
        QDir(qEnvironmentVariable("HALVEX_BUILD_DIR")).filePath(QStringLiteral("bin"));
    ASSERT_TRUE(ResourceLibrary::MutableInstance().Load(bin, &error)) << error.toStdString();
  }
  void TearDown() override
  {
    ResourceLibrary::MutableInstance().Unload();
    m_application.reset();
  }

private:
  int m_argc = 1;
  char m_name[16] = "parlo_test";
  char* m_argv[2] = {m_name, nullptr};
  std::unique_ptr<QApplication> m_application;
};

[[maybe_unused]] testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new WindowEnvironment);

} // namespace

int LoadCount(CMainFrame& frame)
{
  return frame.property("parloTestLoads").toInt();
}

void CountLoads(CMainFrame& frame)
{
  QObject::connect(&frame, &CMainFrame::documentLoaded, &frame, [&frame] {
    frame.setProperty("parloTestLoads", frame.property("parloTestLoads").toInt() + 1);
  });
}

bool WaitFor(const std::function<bool()>& condition)
{
  QElapsedTimer safety;
  safety.start();
  while (!condition()) {
    if (safety.elapsed() > 120000)
      return false;
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  return true;
}

bool WaitForLoad(CMainFrame& frame, int loadsBefore)
{
  return WaitFor([&] { return LoadCount(frame) > loadsBefore; });
}

} // namespace parlo::test
