// The DOSBox configuration of one boot of the emulated DOS machine: W as C:, the floppy as A:,
// no sound, and an [autoexec] that runs the AUTOEXEC.BAT the real machine would boot with.
#pragma once

#include <string>

namespace dosbox {

struct DosBoot
{
  std::string systemRoot;   // the folder DOS sees as C:
  std::string floppyDevice; // the image or device DOS sees as A:; empty: no floppy
  char bootDrive = 'C';     // 'A' boots from the floppy, 'C' from the hard disk
};

// The configuration file's text, or false when a path cannot be written into DOSBox's
// commands (it holds a double quote or a line break) or the boot drive has no medium.
bool DosBoxConfigText(const DosBoot& boot, std::string& text);

} // namespace dosbox
