// Report and condition lines over the platform's registered messages.
#include "skeleton/testmessages.h"

#include "platform/messages.h"

namespace components {

namespace {

// Registered while the module loads, as every sender of the harness messages does.
const platform::UINT s_msgTestResults =
    platform::RegisterWindowMessage("HALVEX Test Results Message");
const platform::UINT s_msgTestConditions =
    platform::RegisterWindowMessage("HALVEX Test Conditions Message");

} // namespace

void SendResultLine(const std::string& text)
{
  platform::SendToMainWindow(s_msgTestResults, 0, reinterpret_cast<platform::LPARAM>(text.c_str()));
}

void SendConditionLine(const std::string& text)
{
  platform::SendToMainWindow(s_msgTestConditions, 0,
                             reinterpret_cast<platform::LPARAM>(text.c_str()));
}

} // namespace components
