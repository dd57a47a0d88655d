// The harness's NTLog log.
#include "harness/ntlogsession.h"

namespace harness {

CNtLogSession::CNtLogSession() = default;

CNtLogSession::~CNtLogSession()
{
  if (m_hLog != nullptr && m_binding.Bound())
    m_binding.Api().tlDestroyLog(m_hLog);
}

bool CNtLogSession::IsAvailable()
{
  return m_binding.Bind();
}

HLOG CNtLogSession::EnsureLog(const std::string& path, bool append)
{
  if (m_hLog == nullptr && IsAvailable())
    m_hLog = m_binding.Api().tlCreateLog_A(path.c_str(),
                                           append ? kNtLogAppendFlags : kNtLogNewFileFlags);
  return m_hLog;
}

int CNtLogSession::PromptLog(void* parentWindow, const std::string& path)
{
  if (!IsAvailable())
    return 0;
  return m_binding.Api().tlPromptLog(parentWindow, EnsureLog(path, true));
}

} // namespace harness
