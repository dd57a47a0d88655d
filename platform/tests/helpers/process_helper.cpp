// A real program for the process tests.
//   process_helper exit CODE            ends with CODE
//   process_helper args FILE WORD...    writes each word on a line to FILE
//   process_helper tree FILE            starts a child in its group and a child that leaves
//                                       the group and session (setsid) with a grandchild,
//                                       writes all four pids to FILE, then sleeps
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

[[noreturn]] void SleepForever()
{
  for (;;) {
    pause();
  }
}

} // namespace

int main(int argc, char** argv)
{
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "exit" && argc == 3) {
    return std::atoi(argv[2]);
  }
  if (mode == "args" && argc >= 3) {
    std::ofstream out(argv[2]);
    for (int i = 3; i < argc; ++i) {
      out << argv[i] << "\n";
    }
    return 0;
  }
  if (mode == "tree" && argc == 3) {
    int ready[2];
    if (pipe(ready) != 0) {
      return 3;
    }
    pid_t inGroup = fork();
    if (inGroup == 0) {
      SleepForever();
    }
    pid_t leaver = fork();
    if (leaver == 0) {
      setsid();
      pid_t grandchild = fork();
      if (grandchild == 0) {
        SleepForever();
      }
      ssize_t ignored = write(ready[1], &grandchild, sizeof(grandchild));
      (void)ignored;
      SleepForever();
    }
    pid_t grandchild = 0;
    if (read(ready[0], &grandchild, sizeof(grandchild)) != sizeof(grandchild)) {
      return 4;
    }
    {
      std::string temporary = std::string(argv[2]) + ".new";
      std::ofstream(temporary) << getpid() << " " << inGroup << " " << leaver << " " << grandchild
                               << "\n";
      std::rename(temporary.c_str(), argv[2]);
    }
    SleepForever();
  }
  std::fprintf(stderr, "usage: process_helper exit CODE | args FILE WORD... | tree FILE\n");
  return 2;
}
