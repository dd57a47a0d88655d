// Status, report and condition texts and information records for the harness's results.
#include "skeleton/testmessages.h"

#include "platform/messages.h"
#include "plinth/ntlogentry.h"

namespace components {

namespace {

// Registered while the module loads, as every sender of the harness messages does.
const platform::UINT s_msgTestResults =
    platform::RegisterWindowMessage("HALVEX Test Results Message");
const platform::UINT s_msgTestConditions =
    platform::RegisterWindowMessage("HALVEX Test Conditions Message");
const platform::UINT s_msgNtLog = platform::RegisterWindowMessage("HALVEX NTLog Message");

} // namespace

void SendTestResultsText(const std::string& text)
{
  platform::SendToMainWindow(s_msgTestResults, 0, reinterpret_cast<platform::LPARAM>(text.c_str()));
}

void SendTestConditionsText(const std::string& text)
{
  platform::SendToMainWindow(s_msgTestConditions, 0,
                             reinterpret_cast<platform::LPARAM>(text.c_str()));
}

void SendNtLogInformation(const char* sourceFile, int line, const std::string& text)
{
  NtLogEntry entry{kNtLogInformation, sourceFile, line, text.c_str()};
  platform::SendToMainWindow(s_msgNtLog, 0, reinterpret_cast<platform::LPARAM>(&entry));
}

} // namespace components
