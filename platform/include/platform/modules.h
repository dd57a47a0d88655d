// Loading modules by name at run time: the Linux form of LoadLibrary, GetProcAddress and
// FreeLibrary, with the attach and detach routines a module may export.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

struct ModuleRecord;
using HMODULE = ModuleRecord*;

// Exported by a module that wants to run code after it is loaded and before it is unloaded.
// extern "C" int halvex_module_attach(void);   non-zero: attached; zero: the load fails
// extern "C" void halvex_module_detach(void);
inline constexpr const char* kModuleAttachSymbol = "halvex_module_attach";
inline constexpr const char* kModuleDetachSymbol = "halvex_module_detach";

// Exported by a module that carries icons, the way a resource holds them elsewhere:
// extern "C" const unsigned char* halvex_module_icon(int id, size_t* size);
// the PNG bytes of icon `id`, owned by the module, or null when it has no such icon.
inline constexpr const char* kModuleIconSymbol = "halvex_module_icon";
using ModuleIconRoutine = const unsigned char* (*)(int id, std::size_t* size);

// Loads a module. "X.dll" means "X.so" (matched ignoring case). A name without a folder is
// looked for in the program's folder, then the plug-in folder, then the loader's path; a
// name with a folder only in that folder. Loading a module that is loaded already returns
// the same handle and counts a reference, without attaching again. nullptr on failure;
// LastModuleError() says why (loader text, missing file, failed attach).
HMODULE LoadLibrary(const std::string& name);

// Address of an exported symbol, nullptr when the module has none by that name.
void* GetProcAddress(HMODULE module, const char* name);

// The PNG bytes of icon `id` of a loaded module; false when it carries no such icon.
bool LoadModuleIcon(HMODULE module, int id, std::vector<unsigned char>& png);

// Drops one reference; the last one runs detach and unloads. False for a null or unknown handle.
bool FreeLibrary(HMODULE module);

// Why the last LoadLibrary on this thread failed.
std::string LastModuleError();

// Full path of a loaded module.
std::string ModuleFileName(HMODULE module);

// Full path of the running program, and its folder (no trailing separator).
std::string ProgramFileName();
std::string ProgramFolder();

// Where plug-ins are installed, relative to the program: <program folder>/../lib/halvex/plugins.
std::string PluginFolder();

} // namespace platform
