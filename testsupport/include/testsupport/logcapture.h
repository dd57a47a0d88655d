// Collects the log lines, and the report and condition lines of test cases, that code under
// test sends to this thread's main window.
#pragma once

#include "platform/messages.h"

#include <string>
#include <vector>

namespace testsupport {

// Collects the lines sent to this thread's main window. Lines sent from this thread arrive at
// once; Lines() are the log lines.
class LogCapture
{
public:
  enum class Kind { Log, Condition, Result };
  struct Message
  {
    Kind kind;
    std::string text;
  };

  LogCapture()
  {
    m_msg = platform::RegisterWindowMessage("HALVEX Log Message");
    m_conditionsMsg = platform::RegisterWindowMessage("HALVEX Test Conditions Message");
    m_resultsMsg = platform::RegisterWindowMessage("HALVEX Test Results Message");
    m_window = platform::CreateWindow(
        "HALVEXclass", [this](platform::UINT msg, platform::WPARAM, platform::LPARAM lParam) {
          const char* text = reinterpret_cast<const char*>(lParam);
          if (msg == m_msg) {
            m_lines.emplace_back(text);
            m_messages.push_back({Kind::Log, text});
          } else if (msg == m_conditionsMsg) {
            m_messages.push_back({Kind::Condition, text});
          } else if (msg == m_resultsMsg) {
            m_messages.push_back({Kind::Result, text});
          }
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
  // Every line of every kind, in the order it came.
  const std::vector<Message>& Messages() const { return m_messages; }
  // The texts of one kind, in order.
  std::vector<std::string> Texts(Kind kind) const
  {
    std::vector<std::string> texts;
    for (const Message& m : m_messages)
      if (m.kind == kind)
        texts.push_back(m.text);
    return texts;
  }
  void Clear()
  {
    m_lines.clear();
    m_messages.clear();
  }
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
  platform::UINT m_conditionsMsg = 0;
  platform::UINT m_resultsMsg = 0;
  platform::HWND m_window = nullptr;
  platform::HWND m_previous = nullptr;
  std::vector<std::string> m_lines;
  std::vector<Message> m_messages;
};

} // namespace testsupport
