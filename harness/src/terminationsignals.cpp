// The signal handler only writes the signal's number into a pipe; the event loop reads it.
#include "terminationsignals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace harness {

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int signalNumber)
{
  const int saved = errno;
  const char number = static_cast<char>(signalNumber);
  [[maybe_unused]] const ssize_t written = write(g_pipe[1], &number, 1);
  errno = saved;
}

constexpr int kCaught[] = {SIGTERM, SIGINT};

} // namespace

CTerminationSignals::CTerminationSignals(QObject* parent) : QObject(parent)
{
  if (g_pipe[0] >= 0 || pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
    return;
  struct sigaction action = {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  // The second signal finds the default action again: a harness that does not end on the
  // first can still be ended.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (const int signalNumber : kCaught)
    sigaction(signalNumber, &action, nullptr);
  m_pNotifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(m_pNotifier, &QSocketNotifier::activated, this, &CTerminationSignals::OnReadable);
}

CTerminationSignals::~CTerminationSignals()
{
  if (m_pNotifier == nullptr)
    return;
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (const int signalNumber : kCaught)
    sigaction(signalNumber, &action, nullptr);
  close(g_pipe[0]);
  close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

void CTerminationSignals::OnReadable()
{
  char number = 0;
  while (read(g_pipe[0], &number, 1) == 1)
    emit terminationRequested(number);
}

} // namespace harness
