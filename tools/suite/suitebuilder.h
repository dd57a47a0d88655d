// The suite-building commands of halvex-suite: new, add and list-tests.
#pragma once

#include <string>
#include <vector>

namespace suitebuilder {

// args[0] is the command. Returns the exit status.
int Run(const std::vector<std::string>& args);
void Usage();

} // namespace suitebuilder
