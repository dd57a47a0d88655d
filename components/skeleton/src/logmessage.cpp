// LogMessage over the platform's registered messages.
#include "skeleton/logmessage.h"

#include "plinth/component.h"

#include "platform/messages.h"

namespace components {

namespace {

// Registered while the module loads, as every sender of the harness messages does.
const platform::UINT s_msgLogMessage = platform::RegisterWindowMessage("HALVEX Log Message");

constexpr platform::UINT kLogSendTimeoutMs = 500;

} // namespace

void LogMessage(int level, const std::string& text)
{
  if (guiLoggingLevel >= static_cast<unsigned int>(level))
    SendLogText(text);
}

void SendLogText(const std::string& text)
{
  platform::SendTextToMainWindowTimeout(s_msgLogMessage, 0, text, platform::SMTO_BLOCK,
                                        kLogSendTimeoutMs, nullptr);
}

} // namespace components
