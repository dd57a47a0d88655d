// Collects the log lines, result and condition texts and NTLog records that code under test
// sends to this thread's main window.
#pragma once

#include "platform/messages.h"
#include "plinth/ntlogentry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// Collects what is sent to this thread's main window. What is sent from this thread arrives
// at once; from other threads when this one processes its messages.
class LogCapture
{
public:
  // The texts of the log, condition and result messages, in one order of arrival.
  enum class Kind { Log, Condition, Result };
  struct Message
  {
    Kind kind;
    std::string text;
  };

  LogCapture()
  {
    m_msg = platform::RegisterWindowMessage("HALVEX Log Message");
    m_resultsMsg = platform::RegisterWindowMessage("HALVEX Test Results Message");
    m_ntLogMsg = platform::RegisterWindowMessage("HALVEX NTLog Message");
    m_conditionsMsg = platform::RegisterWindowMessage("HALVEX Test Conditions Message");
    m_window = platform::CreateWindow(
        "HALVEXclass", [this](platform::UINT msg, platform::WPARAM, platform::LPARAM lParam) {
          const char* text = reinterpret_cast<const char*>(lParam);
          if (msg == m_msg) {
            m_lines.emplace_back(text);
            m_messages.push_back({Kind::Log, text});
          }
          if (msg == m_resultsMsg) {
            m_results.emplace_back(text);
            m_messages.push_back({Kind::Result, text});
          }
          if (msg == m_conditionsMsg)
            m_messages.push_back({Kind::Condition, text});
          if (msg == m_ntLogMsg) {
            const auto* entry = reinterpret_cast<const NtLogEntry*>(lParam);
            m_ntLog.push_back({entry->flags, entry->sourceFile, entry->text});
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

  struct NtLogRecord
  {
    std::uint32_t flags;
    std::string sourceFile;
    std::string text;
  };

  const std::vector<std::string>& Lines() const { return m_lines; }
  // "HALVEX Test Results Message" texts and "HALVEX NTLog Message" records, in arrival order.
  const std::vector<std::string>& Results() const { return m_results; }
  const std::vector<NtLogRecord>& NtLog() const { return m_ntLog; }
  // Every log, condition and result text, in the order it came.
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
    m_messages.clear();
    m_lines.clear();
    m_results.clear();
    m_ntLog.clear();
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
  platform::UINT m_resultsMsg = 0;
  platform::UINT m_ntLogMsg = 0;
  platform::UINT m_conditionsMsg = 0;
  platform::HWND m_window = nullptr;
  platform::HWND m_previous = nullptr;
  std::vector<std::string> m_lines;
  std::vector<std::string> m_results;
  std::vector<NtLogRecord> m_ntLog;
  std::vector<Message> m_messages;
};

} // namespace testsupport
