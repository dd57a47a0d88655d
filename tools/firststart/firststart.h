// A new user's first start: when the user's registry has no harness root key, it is seeded
// from the installation's seed, with the folders of the installation and of the user, and the
// folders the settings name are made. A registry that has the root key is left alone.
#pragma once

#include "platform/regfile.h"

#include <string>
#include <vector>

namespace firststart {

struct FirstStartFiles
{
  std::string configurationIni; // halvex.ini, which names the root key
  std::string seed;             // the installation's .reg seed with placeholders
  std::string installation;     // the installation folder
};

enum class FirstStartOutcome { AlreadySetUp, Seeded, Failed };

struct FirstStartResult
{
  FirstStartOutcome outcome = FirstStartOutcome::Failed;
  std::string message; // what was done, or why nothing could be
};

FirstStartResult SeedUserRegistry(const FirstStartFiles& files);

// The user's configuration folder: $XDG_CONFIG_HOME when absolute, else ~/.config.
std::string UserConfigFolder();

// The folders that the harness settings among `changes` name and that must exist before the
// harness starts: the logging and suites folders and those of the log and results files.
std::vector<std::string> FoldersNamedBy(const std::vector<platform::RegFileChange>& changes);

} // namespace firststart
