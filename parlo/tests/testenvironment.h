// Shared set-up of the window tests: one application, the resource library, private settings.
#pragma once

#include <QByteArray>
#include <QString>

namespace parlo {

class CMainFrame;

namespace test {

// A private folder for this test program's files.
QString TempFolder();
QString WriteFile(const QString& name, const QByteArray& bytes);
void AppendFile(const QString& path, const QByteArray& bytes);
// Counts the frame's finished loads; call once right after creating the frame.
void CountLoads(CMainFrame& frame);
// Runs the event loop until the frame has finished loading its document; false after a
// generous safety limit, so a broken loader fails the test instead of hanging it.
bool WaitForLoad(CMainFrame& frame, int loadsBefore);
int LoadCount(CMainFrame& frame);

} // namespace test
} // namespace parlo
