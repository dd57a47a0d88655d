// xdotool on DOSBox's window.
#include "dosbox_window.h"

#include "platform/process.h"

#include <cctype>

namespace dosbox {

namespace {

constexpr platform::DWORD kXdotoolLimitMs = 10000;

// Runs xdotool; its output when it ended with 0, else nothing.
bool Xdotool(const std::vector<std::string>& arguments, std::string& output)
{
  std::vector<std::string> words = {"xdotool"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  platform::ProgramResult result;
  platform::ProcessError error;
  if (!platform::RunProgram(words, kXdotoolLimitMs, result, error) || result.exitCode != 0) {
    return false;
  }
  output = result.output;
  return true;
}

std::string Trimmed(std::string_view text)
{
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) {
    return {};
  }
  const auto last = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(first, last - first + 1));
}

} // namespace

bool DosBoxWindow::Find()
{
  std::string output;
  if (!Xdotool({"search", "--class", "dosbox"}, output)) {
    return false;
  }
  const std::string first = Trimmed(output.substr(0, output.find('\n')));
  if (first.empty() || !std::isdigit(static_cast<unsigned char>(first[0]))) {
    return false;
  }
  m_id = first;
  return true;
}

std::string DosBoxWindow::RunningProgram() const
{
  std::string title;
  if (m_id.empty() || !Xdotool({"getwindowname", m_id}, title)) {
    return {};
  }
  return ProgramInTitle(title);
}

bool DosBoxWindow::PressKey(const std::string& key) const
{
  std::string ignored;
  return !m_id.empty() && Xdotool({"key", "--window", m_id, key}, ignored);
}

std::string DosBoxWindow::ProgramInTitle(std::string_view title)
{
  constexpr std::string_view kLabel = "Program:";
  const auto at = title.rfind(kLabel);
  if (at == std::string_view::npos) {
    return {};
  }
  return Trimmed(title.substr(at + kLabel.size()));
}

} // namespace dosbox
