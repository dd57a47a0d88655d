// The restart made at its first use.
#include "harness/dosrestart.h"

namespace harness {

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
