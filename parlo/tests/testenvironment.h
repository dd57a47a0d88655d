// Shared set-up of the window tests: one application, the resource library, private settings.
#pragma once

#include "tempfiles.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace parlo {

class CMainFrame;

namespace test {

// Counts the frame's finished loads; call once right after creating the frame.
void CountLoads(CMainFrame& frame);
// Runs the event loop until the frame has finished loading its document; false after a
// generous safety limit, so a broken loader fails the test instead of hanging it.
bool WaitForLoad(CMainFrame& frame, int loadsBefore);
int LoadCount(CMainFrame& frame);
// Runs the event loop until the condition holds; false after the same safety limit.
bool WaitFor(const std::function<bool()>& condition);

} // namespace test
} // namespace parlo
