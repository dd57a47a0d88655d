// What one component plug-in keeps while it is loaded, and the steps of its attach and detach
// that both plug-ins share. Each plug-in links its own copy, so the state is per module.
// Attach, detach and configuration run on the user-interface thread; FindComponent may also
// run on a test thread while nothing changes the list.
#pragma once

#include <string>
#include <vector>

class CComponent;
class CModelComponent;

namespace components {

// Full path of the module this code is linked into ("" when it cannot be found).
std::string ThisModulePath();

// The components this module created and registered, in creation order. Not owned:
// _ComponentList owns them.
std::vector<CModelComponent*>& OwnComponents();

// The component that settings and DOS runs take their folder and results file from: the last
// one constructed during attach, or the one whose model sheet is open. May be null.
CModelComponent* GetCurrentComponent();
void SetCurrentComponent(CModelComponent* pComponent);

// Attach steps 1 and 2: the loading notice and the module's own set-up. False (after the
// error line) when the module cannot find itself. displayName is the plug-in's own name.
bool BeginAttach(const char* displayName);

// Attach steps 4 to 8 for one constructed component: default registry entry, model, global
// list, initialisation, own list. On failure the error line is sent, the component is taken
// out of _ComponentList again and deleted, and the result is false.
bool RegisterComponent(CModelComponent* pComponent);

// After a failed attach: every component of this module leaves _ComponentList and is deleted,
// so none outlives the module's code.
void WithdrawComponents();

// The body of a module's attach export: runs attach, turns an exception into the failure's log
// line (running out of memory names displayName), and withdraws the module's components when
// the attach fails. 1 attached, 0 failed.
int RunAttach(const char* displayName, bool (*attach)());

// Process detach: the own list is emptied. Components still in _ComponentList at this point
// would outlive their code, so they are withdrawn and deleted as after a failed attach.
void EndDetach();

// The first own component whose class name equals className ignoring case, or null. Broken
// entries are reported (string-table entries 7 and 8) and skipped.
CComponent* FindComponent(const std::string& className);

// The folder of .ini definitions: INIFilesFolder below the harness root key, else
// InstallationFolder + "/test/bin/". The root key path comes from halvex.ini (HarnessIniPath).
// False after a stop box when it cannot be read.
bool GetIniFolder(std::string& folder);

// The harness root key path from halvex.ini; "" when missing.
std::string ReadHarnessRootKey();

// Where halvex.ini is read: beside the running program unless another path was set (tests
// that cannot place a file beside their program set one; "" restores the default).
std::string HarnessIniPath();
void SetHarnessIniPath(const std::string& path);

} // namespace components
