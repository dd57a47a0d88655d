// Pictures of the harness for its documentation: the main window with each tab of the left bar,
// the harness properties sheet's pages and the start-up box, as PNG files in one folder.
#pragma once

#include <QString>

namespace harness {

class CHalvexApp;

// After start-up. False when a picture could not be written (the others are still taken).
bool TakeScreenshots(CHalvexApp& app, const QString& folder);

} // namespace harness
