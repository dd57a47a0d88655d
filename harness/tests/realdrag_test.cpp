// A real drag with the mouse under a virtual X display: xdotool presses on a test case of the
// Available Tests tab, moves over the second row of a suite window and lets go. Registered to
// run under xvfb-run with the xcb platform; elsewhere it is skipped.
#include "treessupport.h"

#include <QProcess>
#include <QTabWidget>
#include <QWindow>

#include <cstdlib>

namespace harness::test {

using namespace testsupport;
namespace {

QString Move(const QPoint& point)
{
  return QStringLiteral("mousemove %1 %2 sleep 0.15 ").arg(point.x()).arg(point.y());
}

TEST_F(TreesTest, ATestCaseDraggedWithTheMouseLandsOnTheRowUnderIt)
{
  if (QGuiApplication::platformName() != QStringLiteral("xcb"))
    GTEST_SKIP() << "needs an X display (xvfb-run)";
  CHalvexView* view = Open(WriteSuite("s.ts", "Suite", "Lab", {"A", "B", "C"}));
  ASSERT_NE(view, nullptr);
  frame->GetAvailableTestsWnd()->Tabs()->setCurrentIndex(1);
  frame->activateWindow();
  QTreeWidgetItem* boot = Find(TestsTree(), {"Lab", "Boot"});
  TestsTree()->scrollToItem(boot);
  ASSERT_TRUE(ProcessEventsUntil([&] { return frame->windowHandle()->isExposed(); }));
  ProcessEventsUntil([] { return false; }, 500);

  const QPoint from =
      TestsTree()->viewport()->mapToGlobal(TestsTree()->visualItemRect(boot).center());
  const QPoint to = view->viewport()->mapToGlobal(PointAt(view, 1));
  const QString script = Move(from) + QStringLiteral("mousedown 1 sleep 0.2 ") +
                         Move(from + QPoint(8, 8)) + Move(from + QPoint(30, 20)) +
                         Move((from + to) / 2) + Move(to + QPoint(0, 1)) + Move(to) +
                         QStringLiteral("sleep 0.3 mouseup 1");
  QProcess xdotool;
  xdotool.start(QStringLiteral("xdotool"), script.split(QLatin1Char(' '), Qt::SkipEmptyParts));
  ASSERT_TRUE(xdotool.waitForStarted(5000)) << "xdotool is missing";
  ProcessEventsUntil([&] { return xdotool.state() == QProcess::NotRunning; }, 30000);
  ProcessEventsUntil([&] { return view->Document().m_suite.size() == 4; }, 5000);
  EXPECT_EQ(xdotool.exitCode(), 0) << xdotool.readAllStandardError().toStdString();
  EXPECT_EQ(Labels(view), (std::vector<std::string>{"A", "Boot", "B", "C"}));
}

} // namespace
} // namespace harness::test
