// The suite-building commands of halvex-suite: new, add and list-tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

class CTestSuite;

namespace suitebuilder {

// What component plug-ins expect of the program that loads them, for as long as it lives: a
// main window that prints their error lines on standard error, and the component registry
// key below the root key that halvex.ini beside the program names.
class ModuleHost
{
public:
  virtual ~ModuleHost() = default;
  // Deletes the components in the global list while their modules are still loaded.
  virtual void ReleaseComponents() = 0;
};
std::unique_ptr<ModuleHost> MakeModuleHost();

// Reads a suite file; 0, or 1 (cannot open) or 2 (damaged) after the cause and the byte
// offset went to standard error. The test cases' classes must be loaded already.
int ReadSuite(const std::string& path, CTestSuite& suite);

// args[0] is the command. Returns the exit status.
int Run(const std::vector<std::string>& args);
void Usage();

} // namespace suitebuilder
