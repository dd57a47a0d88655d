// Log lines through the message path.
#include "harness/logsend.h"

namespace harness {

namespace {

const platform::UINT g_uLogMessage = platform::RegisterWindowMessage(kLogMessageName);

} // namespace

void SendLogLine(unsigned level, const std::string& text)
{
  platform::SendTextToMainWindowTimeout(g_uLogMessage, level, text, platform::SMTO_BLOCK,
                                        kLogSendTimeoutMs, nullptr);
}

} // namespace harness
