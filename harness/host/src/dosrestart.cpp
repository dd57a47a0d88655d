// The preparation pass's end without a restart, and the restart made at its first use.
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

CDeferredDosRestart::CDeferredDosRestart(std::function<std::unique_ptr<DosRestart>()> make)
    : m_make(std::move(make))
{
}

DosRestart& CDeferredDosRestart::Get()
{
  if (m_pRestart == nullptr)
    m_pRestart = m_make();
  return *m_pRestart;
}

bool CDeferredDosRestart::AfterPreparationPass(const DosPreparation& preparation)
{
  return Get().AfterPreparationPass(preparation);
}

void CDeferredDosRestart::RemoveRestartEntry()
{
  Get().RemoveRestartEntry();
}

void CDeferredDosRestart::PutBackUnrunStartLines()
{
  Get().PutBackUnrunStartLines();
}

void CDeferredDosRestart::ClearInterruptedPreparation()
{
  if (m_pRestart != nullptr)
    m_pRestart->ClearInterruptedPreparation();
  else if (std::unique_ptr<DosRestart> restart = m_make())
    restart->ClearInterruptedPreparation();
}

} // namespace harness
