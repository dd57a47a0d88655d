// Whether the process can show the test cases' dialogs: only a program with a widget
// application (the harness) can; tools that load the plug-in cannot.
#pragma once

namespace kestrel {

// Logs why not when it cannot. User-interface thread only.
bool CanShowDialogs();

} // namespace kestrel
