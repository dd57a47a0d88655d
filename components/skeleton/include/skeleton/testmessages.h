// What a running test case tells the harness besides log lines: status and report texts as the
// "HALVEX Test Results Message", condition lines as the "HALVEX Test Conditions Message" and
// information records as the "HALVEX NTLog Message". All are sent to the calling thread's main
// window and wait until it has handled them; without a main window nothing is sent. Any thread.
#pragma once

#include <cstdint>
#include <string>

namespace components {

// NtLogEntry flags of an information line.
inline constexpr std::uint32_t kNtLogInformation = 0x40;

void SendTestResultsText(const std::string& text);

// One line on the conditions a test runs under (its parameters).
void SendTestConditionsText(const std::string& text);

// An information record from sourceFile at line.
void SendNtLogInformation(const char* sourceFile, int line, const std::string& text);

} // namespace components
