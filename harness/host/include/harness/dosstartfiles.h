// The texts DOS boots with after a preparation pass: the lines added to AUTOEXEC.BAT and the
// reboot batch that ends the DOS pass. Pure text; harness/host/doc/dos_start_files.md shows them.
#pragma once

#include "platform/system.h"
#include "plinth/dosbatch.h"

#include <string>

namespace harness {

inline constexpr const char* kDosRebootBatchName = "reboot.bat";

// How DOS names the four files the reboot batch handles: full DOS paths on the 9x family, bare
// names on the NT family (everything lies in the boot floppy's root).
struct RebootBatchNames
{
  std::string handOver;      // ~Marlow.bat in the temporary folder
  std::string remark;        // ~~Marlow.bat in the temporary folder
  std::string rebootBatch;   // reboot.bat in the batch folder
  std::string rebootProgram; // reboot.com in the batch folder
};

// The names for a family; tempFolderDos is the DOS form of the temporary folder (unused on the
// NT family).
RebootBatchNames RebootBatchNamesFor(platform::PlatformFamily family,
                                     const std::string& tempFolderDos);

// The reboot batch with CR LF line ends; its last line (the hand-over) has none.
std::string RebootBatchText(platform::PlatformFamily family, const RebootBatchNames& names);

// What is appended to AUTOEXEC.BAT. tempFolderDos: the temporary folder's DOS form;
// systemRootDos: the system drive root, "C:\".
std::string AutoexecAdditions(platform::PlatformFamily family, const std::string& tempFolderDos,
                              const std::string& systemRootDos);

} // namespace harness
