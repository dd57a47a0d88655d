// A real second process for the single-instance tests.
//   instance_helper listen <class> <log file> <ready file>
//       answers requests, logging each as a line; "1" for SHOW and for OPEN of an existing
//       file; stops cleanly on SIGTERM (removing its socket)
//   instance_helper hang <class> <ready file>
//       accepts requests and never answers
#include "platform/instance.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include <sys/stat.h>

namespace {

void MarkReady(const std::string& readyFile)
{
  std::ofstream(readyFile) << "ready\n";
}

int WaitForTerm()
{
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  int signal = 0;
  sigwait(&set, &signal);
  return 0;
}

} // namespace

int main(int argc, char** argv)
{
  // Blocked before any thread starts, so only sigwait sees it.
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);

  std::string mode = argc > 1 ? argv[1] : "";
  platform::InstanceListener listener;
  std::string error;
  if (mode == "listen" && argc == 5) {
    std::string logFile = argv[3];
    bool started = listener.Start(
        argv[2],
        [logFile](const platform::InstanceRequest& request) {
          std::ofstream log(logFile, std::ios::app);
          if (request.kind == platform::InstanceRequest::Kind::Show) {
            log << "SHOW\n";
            return true;
          }
          log << "OPEN " << request.path << "\n";
          struct stat st
          {
          };
          return stat(request.path.c_str(), &st) == 0;
        },
        &error);
    if (!started) {
      std::fprintf(stderr, "instance_helper: %s\n", error.c_str());
      return 1;
    }
    MarkReady(argv[4]);
    WaitForTerm();
    listener.Stop();
    return 0;
  }
  if (mode == "hang" && argc == 4) {
    bool started = listener.Start(
        argv[2],
        [](const platform::InstanceRequest&) {
          for (;;) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
          }
          return true;
        },
        &error);
    if (!started) {
      std::fprintf(stderr, "instance_helper: %s\n", error.c_str());
      return 1;
    }
    MarkReady(argv[3]);
    WaitForTerm();
    std::_Exit(0); // the handler never returns, so the listener cannot stop
  }
  std::fprintf(stderr, "usage: instance_helper listen CLASS LOG READY | hang CLASS READY\n");
  return 2;
}
