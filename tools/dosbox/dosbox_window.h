// The emulator's window on the virtual display, watched and typed into with xdotool as a person
// at the screen would: read what runs from the title, press a key.
#pragma once

#include <string>
#include <string_view>

namespace dosbox {

// Works on the display named by DISPLAY. Used from one thread.
class DosBoxWindow
{
public:
  // Looks for DOSBox's window; true once found.
  bool Find();
  bool Found() const { return !m_id.empty(); }

  // The program DOSBox runs now, as its title names it; empty when unknown.
  std::string RunningProgram() const;

  // Presses and releases one key (an X key name such as "space") in the window.
  bool PressKey(const std::string& key) const;

  // The program in a DOSBox title ("DOSBox 0.74-3, Cpu speed: max 100% cycles, Frameskip 0,
  // Program:   DOSBOX"): the text after "Program:", blanks removed; empty when there is none.
  static std::string ProgramInTitle(std::string_view title);

  // The name DOSBox shows while its own shell, not a program, is in charge.
  static constexpr const char* kShellProgram = "DOSBOX";

private:
  std::string m_id;
};

} // namespace dosbox
