// Seeding in one transaction: a start that fails half-way leaves no half-seeded registry, and
// the next start tries again.
#include "firststart.h"

#include "seedtext.h"

#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/system.h"

#include <pwd.h>
#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace firststart {

namespace {

namespace fs = std::filesystem;

FirstStartResult Failure(std::string message)
{
  return {FirstStartOutcome::Failed, std::move(message)};
}

std::string HomeFolder()
{
  if (const char* home = std::getenv("HOME"); home && home[0] == '/')
    return home;
  const passwd* account = getpwuid(getuid());
  return account && account->pw_dir ? account->pw_dir : "";
}

bool NamesRootKey(const platform::RegFileChange& change, const std::string& rootKey)
{
  return change.root == platform::HKEY_LOCAL_MACHINE &&
         change.kind != platform::RegFileChange::Kind::DeleteKey &&
         strcasecmp(change.path.c_str(), rootKey.c_str()) == 0;
}

} // namespace

std::string UserConfigFolder()
{
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string folder = config && config[0] == '/' ? config : HomeFolder() + "/.config";
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  return folder;
}

std::vector<std::string> FoldersNamedBy(const std::vector<platform::RegFileChange>& changes)
{
  std::vector<std::string> folders;
  for (const platform::RegFileChange& change : changes) {
    if (change.kind != platform::RegFileChange::Kind::SetValue ||
        change.root != platform::HKEY_LOCAL_MACHINE || change.type != platform::REG_SZ)
      continue;
    // The data is stored with its terminating NUL.
    const std::string value(change.data.c_str());
    const std::string& name = change.valueName;
    if (value.empty())
      continue;
    if (strcasecmp(name.c_str(), "DefaultLoggingFolder") == 0 ||
        strcasecmp(name.c_str(), "TestSuitesFolder") == 0)
      folders.push_back(value);
    else if (strcasecmp(name.c_str(), "LogFilePath") == 0 ||
             strcasecmp(name.c_str(), "ResultsFilePath") == 0)
      folders.push_back(fs::path(value).parent_path().string());
  }
  return folders;
}

FirstStartResult SeedUserRegistry(const FirstStartFiles& files)
{
  const std::string rootKey =
      platform::ReadProfileString(files.configurationIni, "General", "RegistryKey");
  if (rootKey.empty())
    return Failure(files.configurationIni + " names no registry key ([General] RegistryKey)");

  platform::HKEY key = nullptr;
  const platform::LONG opened = platform::RegOpenKeyEx(
      platform::HKEY_LOCAL_MACHINE, rootKey.c_str(), 0, platform::KEY_READ, &key);
  if (opened == platform::ERROR_SUCCESS) {
    platform::RegCloseKey(key);
    return {FirstStartOutcome::AlreadySetUp, "HKEY_LOCAL_MACHINE\\" + rootKey + " is set up"};
  }
  if (opened != platform::ERROR_FILE_NOT_FOUND)
    return Failure("cannot read HKEY_LOCAL_MACHINE\\" + rootKey + ": " +
                   platform::RegErrorMessage(opened));

  std::ifstream in(files.seed, std::ios::binary);
  if (!in)
    return Failure("cannot read the registry seed " + files.seed);
  const std::string seed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const SeedFolders folders{files.installation, platform::UserDataFolder(), UserConfigFolder()};
  std::string text;
  std::string error;
  if (!FillSeed(seed, folders, text, error))
    return Failure(files.seed + ": " + error);

  std::vector<platform::RegFileChange> changes;
  platform::RegFileError fileError;
  if (!platform::ParseRegFile(text, changes, fileError))
    return Failure(files.seed + ":" + std::to_string(fileError.line) + ": " + fileError.message);
  bool createsRoot = false;
  for (const platform::RegFileChange& change : changes)
    createsRoot = createsRoot || NamesRootKey(change, rootKey);
  if (!createsRoot)
    return Failure(files.seed + " does not create HKEY_LOCAL_MACHINE\\" + rootKey +
                   ", the key that " + files.configurationIni + " names");

  for (const std::string& folder : FoldersNamedBy(changes)) {
    std::error_code made;
    fs::create_directories(folder, made);
    if (made)
      return Failure("cannot make the folder " + folder + ": " + made.message());
  }
  const platform::LONG imported = platform::ImportRegFile(text, platform::RegRoots{}, fileError);
  if (imported != platform::ERROR_SUCCESS)
    return Failure(
        "cannot seed the registry from " + files.seed + ": " +
        (fileError.message.empty() ? platform::RegErrorMessage(imported) : fileError.message));
  return {FirstStartOutcome::Seeded,
          "registry " + platform::RegDefaultFile() + " set up from " + files.seed};
}

} // namespace firststart
