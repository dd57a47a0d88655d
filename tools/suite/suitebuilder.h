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
  // Loads one more plug-in by path or name, as the harness's Add Component does; false after
  // the reason went to standard error.
  virtual bool LoadModule(const std::string& path) = 0;
  // Deletes the components in the global list while their modules are still loaded, then
  // frees the modules, Marlow last.
  virtual void ReleaseComponents() = 0;
};
// Loads the registered components and Marlow as the harness does. Without a root key or
// registry nothing is loaded, and the reason goes to standard error when `verbose`.
std::unique_ptr<ModuleHost> LoadRegisteredComponents(bool verbose);

// Reads a suite file; 0, or 1 (cannot open) or 2 (damaged) after the cause and the byte
// offset went to standard error. The test cases' classes must be loaded already.
int ReadSuite(const std::string& path, CTestSuite& suite);

// args[0] is the command. Returns the exit status.
int Run(const std::vector<std::string>& args);
void Usage();

} // namespace suitebuilder
