// Message numbers and the Qt dispatcher.
#include "harnessmessages.h"

#include <QCoreApplication>
#include <QEvent>

namespace harness {

// Registered at static initialisation, so every number exists before any window does.
const platform::UINT g_uOpenMessage = platform::RegisterWindowMessage(kOpenMessageName);
const platform::UINT g_uLogMessage = platform::RegisterWindowMessage(kLogMessageName);
const platform::UINT g_uConditionsMessage = platform::RegisterWindowMessage(kConditionsMessageName);
const platform::UINT g_uResultsMessage = platform::RegisterWindowMessage(kResultsMessageName);
const platform::UINT g_uNtLogMessage = platform::RegisterWindowMessage(kNtLogMessageName);

namespace {

const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

} // namespace

CQtDispatcher::CQtDispatcher(QObject* parent) : QObject(parent)
{
  platform::SetThreadDispatcher(this);
}

CQtDispatcher::~CQtDispatcher()
{
  platform::SetThreadDispatcher(nullptr);
}

void CQtDispatcher::Wake()
{
  // One wake event at a time is enough: its handling takes everything that waits.
  if (!m_bWakePosted.exchange(true))
    QCoreApplication::postEvent(this, new QEvent(kWakeEvent));
}

bool CQtDispatcher::event(QEvent* event)
{
  if (event->type() != kWakeEvent)
    return QObject::event(event);
  m_bWakePosted = false;
  platform::ProcessPendingMessages();
  return true;
}

} // namespace harness
