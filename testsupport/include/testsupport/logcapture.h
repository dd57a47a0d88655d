// Collects the log lines that code under test sends to this thread's main window.
#pragma once

#include "platform/messages.h"

#include <string>
#include <vector>

namespace testsupport {

// Collects the log lines sent to this thread's main window. Lines sent from this thread arrive
// at once.
class LogCapture
{
public:
  LogCapture()
  {
    m_msg = platform::RegisterWindowMessage("HALVEX Log Message");
    m_window = platform::CreateWindow(
        "HALVEXclass", [this](platform::UINT msg, platform::WPARAM, platform::LPARAM lParam) {
          if (msg == m_msg)
            m_lines.emplace_back(reinterpret_cast<const char*>(lParam));
          return platform::LRESULT{0};
        });
    m_previous = platform::GetMainWnd();
    platform::SetMainWnd(m_window);
  }
  ~LogCapture()
  {
    platform::SetMainWnd(m_previous);
    platform::DestroyWindow(m_window);
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  const std::vector<std::string>& Lines() const { return m_lines; }
  void Clear() { m_lines.clear(); }
  bool Has(const std::string& line) const
  {
    for (const auto& l : m_lines)
      if (l == line)
        return true;
    return false;
  }
  bool HasPart(const std::string& part) const
  {
    for (const auto& l : m_lines)
      if (l.find(part) != std::string::npos)
        return true;
    return false;
  }
  std::string All() const
  {
    std::string all;
    for (const auto& l : m_lines)
      all += l + "\n";
    return all;
  }

private:
  platform::UINT m_msg = 0;
  platform::HWND m_window = nullptr;
  platform::HWND m_previous = nullptr;
  std::vector<std::string> m_lines;
};

} // namespace testsupport
