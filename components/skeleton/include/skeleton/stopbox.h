// Boxes of the component plug-ins: error boxes for the failures that come before any component
// exists, and plain boxes (file errors while a test case runs). The plug-ins hold no windows of
// their own: the host program shows the box when it exports the routine; otherwise the text goes
// to standard error.
#pragma once

#include <string>

// What a host program exports to show a plug-in's error box (stop icon, one OK button).
// extern "C" void halvex_show_stop_box(const char* text);
inline constexpr const char* kShowStopBoxSymbol = "halvex_show_stop_box";
// What a host program exports to show a plain box (no icon, one OK button); any thread, the
// caller waits until it is closed.
// extern "C" void halvex_show_message_box(const char* text);
inline constexpr const char* kShowMessageBoxSymbol = "halvex_show_message_box";

namespace components {

using StopBoxHandler = void (*)(const std::string& text);

// Shows text through the handler set below, else the host's routine, else standard error.
void ShowStopBox(const std::string& text);

// Shows text through the handler set below, else the host's plain box, else standard error.
void ShowMessageBox(const std::string& text);

// Replaces what ShowStopBox and ShowMessageBox do (nullptr restores the default). Tests use it
// to see the texts.
void SetStopBoxHandler(StopBoxHandler handler);

} // namespace components
