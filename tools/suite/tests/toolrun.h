// Runs the built halvex-suite program and collects what it printed.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace suitetest {

struct ToolRun
{
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// args go through the shell as written; the output lands in folder/out and folder/err.
inline ToolRun RunTool(const std::string& args, const std::string& folder)
{
  const char* build = std::getenv("HALVEX_BUILD_DIR");
  const std::string program = std::string(build ? build : ".") + "/bin/halvex-suite";
  const std::string out = folder + "/out";
  const std::string err = folder + "/err";
  const std::string command = program + " " + args + " >" + out + " 2>" + err;
  ToolRun run;
  const int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadAll(out);
  run.err = ReadAll(err);
  return run;
}

} // namespace suitetest
