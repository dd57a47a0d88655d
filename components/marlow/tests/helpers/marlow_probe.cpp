// A test program for Marlow's test cases. It carries an embedded version.
//   marlow_probe tagged pass|fail|warn LOG [LINES]  writes a tagged log and ends
//   marlow_probe plain pass|fail LOG                writes a +TEST+ log and ends
//   marlow_probe silent                             writes nothing and ends
//   marlow_probe late LOG                           writes a passing tagged log after 3 s
//   marlow_probe hang LOG PIDS                      writes a passing tagged log, starts a
//                                                   grandchild in a new session, writes both
//                                                   pids to PIDS, then sleeps
//   marlow_probe leave LOG PIDS                     the same, but ends at once
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

[[noreturn]] void SleepForever()
{
  for (;;)
    pause();
}

void WriteTagged(const std::string& path, const std::string& verdict, int lines)
{
  std::ofstream log(path);
  log << "[Head ]marlow probe\n[Test>]Probe (" << verdict << ")\n[Case>]Registers\n";
  for (int i = 0; i < lines; ++i)
    log << "[     ]Register " << i << " read back\n";
  if (verdict == "pass")
    log << "[ Pass]All registers read back as written\n";
  else if (verdict == "warn")
    log << "[ Warn]Register 7 read back after a retry\n";
  else
    log << "[ Fail]Register 7 read back 0x00, expected 0x5A\n";
  log << "[<Case]Registers\n[<Test]Probe\n[Foot ]End of log\n";
}

// A grandchild in a session of its own whose parent has ended: it belongs to no tree.
pid_t StartOrphan()
{
  int ready[2];
  if (pipe(ready) != 0)
    return 0;
  const pid_t intermediate = fork();
  if (intermediate == 0) {
    setsid();
    const pid_t grandchild = fork();
    if (grandchild == 0)
      SleepForever();
    const ssize_t ignored = write(ready[1], &grandchild, sizeof grandchild);
    (void)ignored;
    _exit(0);
  }
  pid_t grandchild = 0;
  if (read(ready[0], &grandchild, sizeof grandchild) != sizeof grandchild)
    return 0;
  waitpid(intermediate, nullptr, 0);
  return grandchild;
}

void WritePids(const std::string& path, pid_t grandchild)
{
  const std::string temporary = path + ".new";
  std::ofstream(temporary) << getpid() << " " << grandchild << "\n";
  std::rename(temporary.c_str(), path.c_str());
}

} // namespace

int main(int argc, char** argv)
{
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "tagged" && (argc == 4 || argc == 5)) {
    WriteTagged(argv[3], argv[2], argc == 5 ? std::atoi(argv[4]) : 2);
    return 0;
  }
  if (mode == "plain" && argc == 4) {
    std::ofstream(argv[3]) << "marlow probe\n"
                           << (std::string(argv[2]) == "pass" ? "+TEST+PASS looks good\n"
                                                              : "+TEST+SEV1 lost 3 bytes\n");
    return 0;
  }
  if (mode == "silent")
    return 0;
  if (mode == "late" && argc == 3) {
    sleep(3);
    WriteTagged(argv[2], "pass", 2);
    return 0;
  }
  if ((mode == "hang" || mode == "leave") && argc == 4) {
    WriteTagged(argv[2], "pass", 2);
    WritePids(argv[3], StartOrphan());
    if (mode == "hang")
      SleepForever();
    return 0;
  }
  std::fprintf(stderr, "usage: marlow_probe tagged|plain|silent|late|hang|leave ...\n");
  return 2;
}
