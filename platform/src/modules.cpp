// Run-time module loading over dlopen, with the Windows naming rules and attach/detach calls.
#include "platform/modules.h"

#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <strings.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace platform {

struct ModuleRecord
{
  void* handle = nullptr;
  std::string path;
  int references = 0;
};

namespace {

using AttachRoutine = int (*)();
using DetachRoutine = void (*)();

// Recursive: an attach or detach routine may load or free other modules on the same thread.
std::recursive_mutex& TableMutex()
{
  static std::recursive_mutex mutex;
  return mutex;
}

std::vector<std::unique_ptr<ModuleRecord>>& Table()
{
  static std::vector<std::unique_ptr<ModuleRecord>> table;
  return table;
}

thread_local std::string lastError;

bool EndsWithIgnoringCase(const std::string& text, const std::string& tail)
{
  return text.size() >= tail.size() &&
         strcasecmp(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

// "X.dll" becomes "X.so"; a name without an extension gets ".so", as the loader of the
// original platform appends its own; a trailing dot means "no extension, add none".
std::string LinuxFileName(const std::string& fileName)
{
  if (EndsWithIgnoringCase(fileName, ".dll"))
    return fileName.substr(0, fileName.size() - 4) + ".so";
  if (!fileName.empty() && fileName.back() == '.')
    return fileName.substr(0, fileName.size() - 1);
  if (fileName.find('.') == std::string::npos)
    return fileName + ".so";
  return fileName;
}

bool IsRegularFile(const std::string& path)
{
  struct stat info
  {
  };
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The file in folder whose name equals fileName: the exact name first, else the first entry
// in name order that matches ignoring case.
std::optional<std::string> FindInFolder(const std::string& folder, const std::string& fileName)
{
  const std::string exact = folder + "/" + fileName;
  if (IsRegularFile(exact))
    return exact;
  DIR* dir = opendir(folder.c_str());
  if (!dir)
    return std::nullopt;
  std::optional<std::string> best;
  while (const dirent* entry = readdir(dir)) {
    if (strcasecmp(entry->d_name, fileName.c_str()) != 0)
      continue;
    const std::string candidate = folder + "/" + entry->d_name;
    if (IsRegularFile(candidate) && (!best || candidate < *best))
      best = candidate;
  }
  closedir(dir);
  return best;
}

std::string AbsolutePath(const std::string& path)
{
  std::error_code error;
  const auto absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

// The path the dynamic loader recorded for a handle opened through its own search path.
std::string LoaderPath(void* handle, const std::string& fallback)
{
  link_map* map = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && *map->l_name)
    return AbsolutePath(map->l_name);
  return fallback;
}

ModuleRecord* FindByHandle(void* handle)
{
  for (auto& record : Table())
    if (record->handle == handle)
      return record.get();
  return nullptr;
}

bool IsKnown(HMODULE module)
{
  for (auto& record : Table())
    if (record.get() == module)
      return true;
  return false;
}

std::string DlError(const std::string& fallback)
{
  const char* text = dlerror();
  return text ? std::string(text) : fallback;
}

} // namespace

HMODULE LoadLibrary(const std::string& name)
{
  std::lock_guard lock(TableMutex());
  if (name.empty()) {
    lastError = "empty module name";
    return nullptr;
  }

  const auto slash = name.rfind('/');
  const std::string fileName =
      LinuxFileName(slash == std::string::npos ? name : name.substr(slash + 1));
  std::vector<std::string> folders;
  if (slash != std::string::npos)
    folders.push_back(slash == 0 ? "/" : name.substr(0, slash));
  else
    folders = {ProgramFolder(), PluginFolder()};

  std::optional<std::string> path;
  for (const auto& folder : folders)
    if ((path = FindInFolder(folder, fileName)))
      break;

  void* handle = nullptr;
  std::string fullPath;
  if (path) {
    fullPath = AbsolutePath(*path);
    handle = dlopen(fullPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      lastError = DlError("cannot load " + fullPath);
      return nullptr;
    }
  } else if (slash == std::string::npos) {
    handle = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      lastError = "module " + name + " not found in " + folders[0] + " or " + folders[1] +
                  "; loader: " + DlError("not found");
      return nullptr;
    }
    fullPath = LoaderPath(handle, fileName);
  } else {
    lastError = "module " + name + " not found in " + folders[0];
    return nullptr;
  }

  // The loader hands back the same handle for a file it holds already: count a reference
  // and keep one loader reference per record.
  if (ModuleRecord* loaded = FindByHandle(handle)) {
    dlclose(handle);
    ++loaded->references;
    return loaded;
  }

  auto record = std::make_unique<ModuleRecord>();
  record->handle = handle;
  record->path = fullPath;
  record->references = 1;
  if (auto attach = reinterpret_cast<AttachRoutine>(dlsym(handle, kModuleAttachSymbol))) {
    if (attach() == 0) {
      dlclose(handle);
      lastError = fullPath + ": " + kModuleAttachSymbol + " failed; module unloaded";
      return nullptr;
    }
  }
  Table().push_back(std::move(record));
  return Table().back().get();
}

void* GetProcAddress(HMODULE module, const char* name)
{
  std::lock_guard lock(TableMutex());
  if (!module || !name || !IsKnown(module))
    return nullptr;
  return dlsym(module->handle, name);
}

bool LoadModuleIcon(HMODULE module, int id, std::vector<unsigned char>& png)
{
  auto routine = reinterpret_cast<ModuleIconRoutine>(GetProcAddress(module, kModuleIconSymbol));
  if (routine == nullptr)
    return false;
  std::size_t size = 0;
  const unsigned char* data = routine(id, &size);
  if (data == nullptr || size == 0)
    return false;
  png.assign(data, data + size);
  return true;
}

bool FreeLibrary(HMODULE module)
{
  std::lock_guard lock(TableMutex());
  if (!module || !IsKnown(module))
    return false;
  if (--module->references > 0)
    return true;
  if (auto detach = reinterpret_cast<DetachRoutine>(dlsym(module->handle, kModuleDetachSymbol)))
    detach();
  void* handle = module->handle;
  auto& table = Table();
  for (auto it = table.begin(); it != table.end(); ++it) {
    if (it->get() == module) {
      table.erase(it);
      break;
    }
  }
  dlclose(handle);
  return true;
}

std::string LastModuleError()
{
  return lastError;
}

std::string ModuleFileName(HMODULE module)
{
  if (!module)
    return ProgramFileName();
  std::lock_guard lock(TableMutex());
  return IsKnown(module) ? module->path : std::string();
}

std::string ProgramFileName()
{
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0)
      return {};
    if (static_cast<std::size_t>(length) < buffer.size())
      return std::string(buffer.data(), static_cast<std::size_t>(length));
    buffer.resize(buffer.size() * 2);
  }
}

std::string ProgramFolder()
{
  const std::string program = ProgramFileName();
  const auto slash = program.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : program.substr(0, slash);
}

std::string PluginFolder()
{
  return (std::filesystem::path(ProgramFolder()) / ".." / "lib" / "halvex" / "plugins")
      .lexically_normal()
      .string();
}

} // namespace platform
