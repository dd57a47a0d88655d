// DOSBox configuration text for one boot.
#include "dosbox_config.h"

namespace dosbox {

namespace {

bool Writable(const std::string& path)
{
  return !path.empty() && path.find_first_of("\"\r\n") == std::string::npos;
}

} // namespace

bool DosBoxConfigText(const DosBoot& boot, std::string& text)
{
  const bool floppy = !boot.floppyDevice.empty();
  if (!Writable(boot.systemRoot) || (floppy && !Writable(boot.floppyDevice)) ||
      (boot.bootDrive != 'A' && boot.bootDrive != 'C') || (boot.bootDrive == 'A' && !floppy)) {
    return false;
  }
  // Full speed for the test programs; nothing that needs a sound card or a joystick.
  text = "[sdl]\n"
         "fullscreen=false\n"
         "output=surface\n"
         "autolock=false\n"
         "[dosbox]\n"
         "machine=svga_s3\n"
         "memsize=16\n"
         "[cpu]\n"
         "core=auto\n"
         "cycles=max\n"
         "[mixer]\n"
         "nosound=true\n"
         "[midi]\n"
         "mpu401=none\n"
         "mididevice=none\n"
         "[sblaster]\n"
         "sbtype=none\n"
         "[gus]\n"
         "gus=false\n"
         "[speaker]\n"
         "pcspeaker=false\n"
         "tandy=off\n"
         "disney=false\n"
         "[joystick]\n"
         "joysticktype=none\n"
         "[serial]\n"
         "serial1=disabled\n"
         "serial2=disabled\n"
         "[dos]\n"
         "keyboardlayout=none\n"
         "[autoexec]\n";
  text += "mount C \"" + boot.systemRoot + "\"\n";
  if (floppy) {
    text += "imgmount A \"" + boot.floppyDevice + "\" -t floppy\n";
  }
  // The boot drive's AUTOEXEC.BAT, as DOS runs it at start; when it ends without restarting
  // the machine, the session ends too.
  text += std::string(1, boot.bootDrive) + ":\n";
  text += "if exist AUTOEXEC.BAT call AUTOEXEC.BAT\n";
  text += "exit\n";
  return true;
}

} // namespace dosbox
