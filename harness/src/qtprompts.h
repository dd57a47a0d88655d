// Message boxes on the user-interface thread, asked for from any thread.
#pragma once

#include "harness/prompts.h"

#include <QObject>
#include <QString>

namespace harness {

// Construct on the user-interface thread. A box asked for on another thread is shown on the
// user-interface thread while the asking thread waits for the answer. With HALVEX_UNATTENDED=1
// every box prints to standard error and takes its default answer at once.
class CQtPrompts : public QObject, public UserPrompts
{
  Q_OBJECT

public:
  explicit CQtPrompts(QString title, QObject* parent = nullptr);
  BoxAnswer Ask(const BoxRequest& request) override;

  // Unattended answering, also when HALVEX_UNATTENDED is not set (for tests).
  void SetUnattended(bool unattended) { m_bUnattended = unattended; }

private:
  BoxAnswer AskHere(const BoxRequest& request);

  QString m_title;
  bool m_bUnattended;
};

} // namespace harness
