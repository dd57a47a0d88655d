// Error boxes of the component plug-ins, for the failures that come before any component
// exists. Unattended runs (HALVEX_UNATTENDED=1) and programs without windows get the text on
// standard error instead.
#pragma once

#include <string>

namespace components {

using StopBoxHandler = void (*)(const std::string& text);

// Shows text with the stop icon, or hands it to the handler set below.
void ShowStopBox(const std::string& text);

// Replaces what ShowStopBox does (nullptr restores the default). Tests use it to see the texts.
void SetStopBoxHandler(StopBoxHandler handler);

} // namespace components
