// Sending a harness log line to the main window of the calling thread, from any thread.
#pragma once

#include "platform/messages.h"

#include <string>

namespace harness {

inline constexpr const char* kLogMessageName = "HALVEX Log Message";
// Log sends give up after this long; the line is then dropped by the sender.
inline constexpr platform::UINT kLogSendTimeoutMs = 500;

// The level travels with the line; the receiver filters. From the user-interface thread this is
// a direct call; from a worker it waits until the line is handled or the time-out has passed.
// The message owns its copy of the text.
void SendLogLine(unsigned level, const std::string& text);

} // namespace harness
