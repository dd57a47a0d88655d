// A real program for the process tests.
//   process_helper exit CODE            ends with CODE
//   process_helper args FILE WORD...    writes each word on a line to FILE
//   process_helper tree FILE            starts a child in its group and a child that leaves
//                                       the group and session (setsid) with a grandchild,
//                                       writes all four pids to FILE, then sleeps
//   process_helper orphan FILE MODE     double-forks a grandchild into a new session whose
//                                       parent ends at once, writes the grandchild's pid to
//                                       FILE; MODE "exit": then ends, "hang": then sleeps;
//                                       the grandchild sleeps, or with "brief" ends after 0.3 s
//   process_helper env FILE NAME        writes the variable NAME of its environment to FILE
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

[[noreturn]] void SleepForever()
{
  for (;;) {
    pause();
  }
}

} // namespace

// Writes text to path in one step, so a reader never sees half of it.
void WriteFile(const std::string& path, const std::string& text)
{
  const std::string temporary = path + ".new";
  std::ofstream(temporary) << text;
  std::rename(temporary.c_str(), path.c_str());
}

int Orphan(const std::string& file, const std::string& mode)
{
  int ready[2];
  if (pipe(ready) != 0) {
    return 3;
  }
  const pid_t intermediate = fork();
  if (intermediate == 0) {
    setsid();
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      if (mode == "brief") {
        usleep(300000);
        _exit(0);
      }
      SleepForever();
    }
    ssize_t ignored = write(ready[1], &grandchild, sizeof(grandchild));
    (void)ignored;
    _exit(0);
  }
  pid_t grandchild = 0;
  if (read(ready[0], &grandchild, sizeof(grandchild)) != sizeof(grandchild)) {
    return 4;
  }
  waitpid(intermediate, nullptr, 0);
  WriteFile(file, std::to_string(grandchild) + "\n");
  if (mode == "hang") {
    SleepForever();
  }
  return 0;
}

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
  if (mode == "orphan" && argc == 4) {
    return Orphan(argv[2], argv[3]);
  }
  if (mode == "env" && argc == 4) {
    const char* value = std::getenv(argv[3]);
    WriteFile(argv[2], value ? value : "<unset>");
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
  std::fprintf(stderr, "usage: process_helper exit CODE | args FILE WORD... | tree FILE | "
                       "orphan FILE exit|hang|brief | env FILE NAME\n");
  return 2;
}
