// One open NTLog log: its file, participants, variations and statistics. Thread-safe.
#pragma once

#include "ntlog/ntlog.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

namespace ntlog {

class TestLog
{
public:
  // Null when the file cannot be opened.
  static std::unique_ptr<TestLog> Open(const std::string& fileName, std::uint32_t flags);
  ~TestLog();
  TestLog(const TestLog&) = delete;
  TestLog& operator=(const TestLog&) = delete;

  std::string FileName() const;
  bool SetFileName(const std::string& fileName);

  // False when the file could not be written.
  bool Log(std::uint32_t level, std::string_view source, int line, std::string_view text);

  bool AddParticipant(std::uint32_t levelMask, int number);
  bool RemoveParticipant();

  tlLogInfo Info() const;
  void SetLevelMask(std::uint32_t mask);

  tlStats TestStats() const;
  bool VariationStats(tlStats* stats) const;
  void ClearTestStats();
  bool ClearVariationStats();

  void StartVariation();
  std::uint32_t EndVariation();

  void ReportStats();
  // Ends open variations and writes the closing line; the file closes with the object.
  void Close();

private:
  struct Participant
  {
    int number = 0;
    std::uint32_t levelMask = 0;
    bool inVariation = false;
    std::uint32_t variation = 0;
    std::uint32_t worst = 0;
    tlStats stats{};
  };

  TestLog(std::FILE* file, std::string fileName, std::uint32_t flags);

  // The calling thread's participant; a thread that logs without joining joins.
  Participant& Self();
  std::uint32_t EndVariationLocked(Participant& who, std::string_view why);
  void WriteLine(std::string_view kindColumn, bool variationScope, int participant,
                 std::string_view source, int line, std::string_view text, bool flushNow);
  void WriteRaw(std::string_view text);
  void WriteOut(); // hands the pending text to the file
  void Flush();    // WriteOut, and the file's own buffers too
  void AppendTime(const timespec& now);
  void AppendNumber(long long number);

  mutable std::mutex m_mutex;
  std::FILE* m_file;
  std::string m_fileName;
  std::uint32_t m_flags;
  std::unordered_map<std::thread::id, Participant> m_participants;
  int m_lastParticipantNumber = 0;
  std::thread::id m_lastThread; // who logged last, and its entry (nodes are stable)
  Participant* m_lastParticipant = nullptr;
  std::uint32_t m_variationsStarted = 0;
  tlStats m_testStats{};
  std::string m_pending;       // entries not yet handed to the file
  long long m_lastFlushMs = 0; // wall-clock milliseconds of the last flush
  std::time_t m_cachedSecond = -1;
  char m_cachedClock[16] = {};
  bool m_writeFailed = false;
};

// "YYYY-MM-DD HH:MM:SS" of the local time now.
std::string LocalDateTime();

} // namespace ntlog
