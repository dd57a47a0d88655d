// WriteAll: every byte arrives through short and interrupted writes; failures give errno.
#include "platform/fdio.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

namespace {

void IgnoreAlarm(int) {}

// A signal handler without SA_RESTART, fired every millisecond while it lives, so that a
// blocked write returns early.
class AlarmStorm
{
public:
  AlarmStorm()
  {
    struct sigaction action = {};
    action.sa_handler = IgnoreAlarm;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, &m_previous);
    itimerval every = {{0, 1000}, {0, 1000}};
    setitimer(ITIMER_REAL, &every, nullptr);
  }
  ~AlarmStorm()
  {
    itimerval off = {};
    setitimer(ITIMER_REAL, &off, nullptr);
    sigaction(SIGALRM, &m_previous, nullptr);
  }

private:
  struct sigaction m_previous = {};
};

TEST(WriteAll, EveryByteArrivesThroughInterruptedWrites)
{
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::string data(4 << 20, '\0');
  for (std::size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<char>(i * 7 + i / 4096);

  std::string received;
  std::thread reader([&] {
    char buffer[4096];
    for (;;) {
      const ssize_t got = read(fds[0], buffer, sizeof buffer);
      if (got > 0)
        received.append(buffer, static_cast<std::size_t>(got));
      else if (got == 0 || errno != EINTR)
        break;
      // A slow reader keeps the pipe full, so the writer blocks and is interrupted.
      usleep(20);
    }
  });
  int result = -1;
  {
    AlarmStorm storm;
    result = platform::WriteAll(fds[1], data.data(), data.size());
  }
  close(fds[1]);
  reader.join();
  close(fds[0]);
  EXPECT_EQ(result, 0);
  ASSERT_EQ(received.size(), data.size());
  EXPECT_TRUE(received == data);
}

TEST(WriteAll, FailuresGiveTheErrno)
{
  EXPECT_EQ(platform::WriteAll(-1, "x", 1), EBADF);

  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);
  struct sigaction ignore = {}, previous = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &previous);
  EXPECT_EQ(platform::WriteAll(fds[1], "line\n", 5), EPIPE);
  sigaction(SIGPIPE, &previous, nullptr);
  close(fds[1]);

  EXPECT_EQ(platform::WriteAll(-1, "", 0), 0); // nothing to write is no failure
}

} // namespace
