// The component side of the harness log: lines go to the calling thread's main window as the
// "HALVEX Log Message", filtered here by the shared logging level.
#pragma once

#include <string>

namespace components {

inline constexpr int kLogError = 0;
inline constexpr int kLogProgress = 2;
inline constexpr int kLogNotice = 3;

// Sends text when guiLoggingLevel is at least level (unsigned comparison); waits at most
// 500 ms for the main window and drops the line after that or without a main window.
// Any thread.
void LogMessage(int level, const std::string& text);

// The same without the level filter.
void SendLogText(const std::string& text);

} // namespace components
