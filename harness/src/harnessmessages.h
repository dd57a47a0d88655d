// The five harness window messages, registered when this module loads, and the dispatcher
// that hands messages from other threads to the user-interface thread's Qt event loop.
#pragma once

#include "harness/logsend.h"
#include "harness/ntlogentry.h"
#include "platform/messages.h"

#include <QObject>
#include <atomic>

namespace harness {

inline constexpr const char* kOpenMessageName = "HALVEX Open Message";
inline constexpr const char* kConditionsMessageName = "HALVEX Test Conditions Message";
inline constexpr const char* kResultsMessageName = "HALVEX Test Results Message";

extern const platform::UINT g_uOpenMessage;
extern const platform::UINT g_uLogMessage;
extern const platform::UINT g_uConditionsMessage;
extern const platform::UINT g_uResultsMessage;
extern const platform::UINT g_uNtLogMessage;

// Attaches itself to the constructing thread; construct and destroy it on the user-interface
// thread. Wake() may come from any thread and only posts an event to this object.
class CQtDispatcher : public QObject, public platform::Dispatcher
{
  Q_OBJECT

public:
  explicit CQtDispatcher(QObject* parent = nullptr);
  ~CQtDispatcher() override;

  void Wake() override;

protected:
  bool event(QEvent* event) override;

private:
  std::atomic<bool> m_bWakePosted{false};
};

} // namespace harness
