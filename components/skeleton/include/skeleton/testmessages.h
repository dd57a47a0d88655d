// The component side of the results window: report and condition lines of a running test case
// go to the calling thread's main window as the "HALVEX Test Results Message" and the "HALVEX
// Test Conditions Message", and the sender waits until the window has taken them.
#pragma once

#include <string>

namespace components {

// Any thread; without a main window nothing is sent.
void SendResultLine(const std::string& text);
void SendConditionLine(const std::string& text);

} // namespace components
