// The preparation pass's end without a restart.
#include "harness/dosrestart.h"

#include "harness/stringids.h"

namespace harness {

CNoDosRestart::CNoDosRestart(const StringTable& strings, LogFunction log)
    : m_strings(strings), m_log(std::move(log))
{
}

bool CNoDosRestart::AfterPreparationPass(const DosPreparation&)
{
  if (m_log)
    m_log(0, m_strings.Get(ids::kDosPrepared));
  return true;
}

} // namespace harness
