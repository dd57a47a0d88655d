// SIGTERM (a shut-down, a log-out, the restart into DOS) and SIGINT reach the event loop as a
// Qt signal, so that the harness stops its run and ends cleanly instead of dying wherever it
// happens to be. A second signal of the same kind ends the program at once.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace harness {

class CTerminationSignals : public QObject
{
  Q_OBJECT

public:
  explicit CTerminationSignals(QObject* parent = nullptr);
  ~CTerminationSignals() override;
  CTerminationSignals(const CTerminationSignals&) = delete;
  CTerminationSignals& operator=(const CTerminationSignals&) = delete;

  // False when the signals could not be caught; they then end the program as before.
  bool IsInstalled() const { return m_pNotifier != nullptr; }

signals:
  void terminationRequested(int signalNumber);

private:
  void OnReadable();

  QSocketNotifier* m_pNotifier = nullptr;
};

} // namespace harness
