// Runs the built halvex-suite program and collects what it printed.
#pragma once

#include "testsupport/tempfolder.h"

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace suitetest {

struct ToolRun
{
  int status = -1;
  std::string out;
  std::string err;
};

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
  run.out = testsupport::ReadAll(out);
  run.err = testsupport::ReadAll(err);
  return run;
}

} // namespace suitetest
