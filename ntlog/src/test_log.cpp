// The NTLog file: one line per entry, variation markers and summary blocks (ntlog/README.md).
#include "test_log.h"

#include "levels.h"

#include <charconv>
#include <cinttypes>
#include <cstring>
#include <sys/stat.h>
#include <utility>

namespace ntlog {

namespace {

// Entries that are not failures are written in blocks; a quiet log still reaches the disk
// within this time of the next entry.
constexpr long long kFlushIntervalMs = 100;
// Entries are handed to the file in blocks of about this size.
constexpr std::size_t kBlockSize = 256 * 1024;

long long NowMs()
{
  timespec now{};
  clock_gettime(CLOCK_REALTIME_COARSE, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

std::FILE* OpenLogFile(const std::string& fileName, std::uint32_t flags)
{
  if (fileName.empty()) {
    return nullptr;
  }
  std::FILE* file = std::fopen(fileName.c_str(), (flags & TL_NEW_FILE) ? "we" : "ae");
  if (file) {
    // The log keeps its own buffer (m_pending) and hands the file whole blocks.
    std::setvbuf(file, nullptr, _IONBF, 0);
  }
  return file;
}

void Count(tlStats& stats, std::uint32_t kind)
{
  switch (kind) {
  case TL_ABORT:
    ++stats.abort;
    break;
  case TL_SEV1:
    ++stats.sev1;
    break;
  case TL_SEV2:
    ++stats.sev2;
    break;
  case TL_SEV3:
    ++stats.sev3;
    break;
  case TL_WARN:
    ++stats.warn;
    break;
  case TL_PASS:
    ++stats.pass;
    break;
  default:
    ++stats.info;
    break;
  }
}

std::uint32_t WorstOf(const tlStats& stats)
{
  if (stats.abort) {
    return TL_ABORT;
  }
  if (stats.sev1) {
    return TL_SEV1;
  }
  if (stats.sev2) {
    return TL_SEV2;
  }
  if (stats.sev3) {
    return TL_SEV3;
  }
  if (stats.warn) {
    return TL_WARN;
  }
  if (stats.pass) {
    return TL_PASS;
  }
  return TL_INFO;
}

std::string_view Trimmed(std::string_view name)
{
  while (!name.empty() && name.back() == ' ') {
    name.remove_suffix(1);
  }
  return name;
}

} // namespace

std::string LocalDateTime()
{
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

std::unique_ptr<TestLog> TestLog::Open(const std::string& fileName, std::uint32_t flags)
{
  std::FILE* file = OpenLogFile(fileName, flags);
  if (!file) {
    return nullptr;
  }
  return std::unique_ptr<TestLog>(new TestLog(file, fileName, flags));
}

TestLog::TestLog(std::FILE* file, std::string fileName, std::uint32_t flags)
    : m_file(file), m_fileName(std::move(fileName)), m_flags(flags), m_lastFlushMs(NowMs())
{
  m_pending.reserve(kBlockSize + 4096);
  char header[96];
  std::snprintf(header, sizeof header, "==== NTLog opened %s, flags 0x%08" PRIX32 " ====\n",
                LocalDateTime().c_str(), m_flags);
  WriteRaw(header);
  Flush();
}

TestLog::~TestLog()
{
  if (m_file) {
    WriteOut();
    std::fclose(m_file);
  }
}

std::string TestLog::FileName() const
{
  std::lock_guard lock(m_mutex);
  return m_fileName;
}

bool TestLog::SetFileName(const std::string& fileName)
{
  std::lock_guard lock(m_mutex);
  // Reopening the file the log already writes would start it anew under TL_NEW_FILE.
  struct stat current
  {
  };
  struct stat wanted
  {
  };
  if (fstat(fileno(m_file), &current) == 0 && stat(fileName.c_str(), &wanted) == 0 &&
      current.st_dev == wanted.st_dev && current.st_ino == wanted.st_ino) {
    return true;
  }
  std::FILE* file = OpenLogFile(fileName, m_flags);
  if (!file) {
    return false;
  }
  WriteRaw("==== NTLog continues in " + fileName + " ====\n");
  Flush();
  std::fclose(m_file);
  m_file = file;
  m_fileName = fileName;
  char header[96];
  std::snprintf(header, sizeof header, "==== NTLog opened %s, flags 0x%08" PRIX32 " ====\n",
                LocalDateTime().c_str(), m_flags);
  WriteRaw(header);
  Flush();
  return true;
}

TestLog::Participant& TestLog::Self()
{
  const std::thread::id self = std::this_thread::get_id();
  // Entries mostly come from the same thread as the last one.
  if (m_lastParticipant && m_lastThread == self) {
    return *m_lastParticipant;
  }
  auto [it, added] = m_participants.try_emplace(self);
  if (added) {
    it->second.number = ++m_lastParticipantNumber;
  }
  m_lastThread = self;
  m_lastParticipant = &it->second;
  return it->second;
}

bool TestLog::Log(std::uint32_t level, std::string_view source, int line, std::string_view text)
{
  std::lock_guard lock(m_mutex);
  Participant& who = Self();
  const std::uint32_t kind = KindOf(level);
  Count(m_testStats, kind);
  if (who.inVariation) {
    Count(who.stats, kind);
    if (Severity(kind) > Severity(who.worst)) {
      who.worst = kind;
    }
  }
  const std::uint32_t mask = (who.levelMask ? who.levelMask : m_flags) & TL_LEVEL_MASK;
  if (!(mask & kind)) {
    return true;
  }
  bool variationScope = who.inVariation;
  if (level & TL_VARIATION) {
    variationScope = true;
  } else if (level & TL_TEST) {
    variationScope = false;
  }
  WriteLine(KindName(kind), variationScope, who.number, source, line, text, IsFailure(kind));
  return !m_writeFailed;
}

bool TestLog::AddParticipant(std::uint32_t levelMask, int number)
{
  std::lock_guard lock(m_mutex);
  const bool known = m_participants.count(std::this_thread::get_id()) != 0;
  Participant& who = Self();
  if (known) {
    return true;
  }
  who.levelMask = levelMask & TL_LEVEL_MASK;
  if (number != 0) {
    who.number = number;
  }
  WriteLine("-----", false, who.number, {}, 0, "participant joined", true);
  return true;
}

bool TestLog::RemoveParticipant()
{
  std::lock_guard lock(m_mutex);
  auto it = m_participants.find(std::this_thread::get_id());
  if (it == m_participants.end()) {
    return false;
  }
  if (it->second.inVariation) {
    EndVariationLocked(it->second, " (participant left)");
  }
  WriteLine("-----", false, it->second.number, {}, 0, "participant left", true);
  m_participants.erase(it);
  m_lastParticipant = nullptr;
  return true;
}

tlLogInfo TestLog::Info() const
{
  std::lock_guard lock(m_mutex);
  tlLogInfo info{};
  info.flags = m_flags;
  info.participants = static_cast<std::uint32_t>(m_participants.size());
  info.variations = m_variationsStarted;
  return info;
}

void TestLog::SetLevelMask(std::uint32_t mask)
{
  std::lock_guard lock(m_mutex);
  m_flags = (m_flags & ~TL_LEVEL_MASK) | (mask & TL_LEVEL_MASK);
}

tlStats TestLog::TestStats() const
{
  std::lock_guard lock(m_mutex);
  return m_testStats;
}

bool TestLog::VariationStats(tlStats* stats) const
{
  std::lock_guard lock(m_mutex);
  auto it = m_participants.find(std::this_thread::get_id());
  if (it == m_participants.end()) {
    return false;
  }
  *stats = it->second.stats;
  return true;
}

void TestLog::ClearTestStats()
{
  std::lock_guard lock(m_mutex);
  m_testStats = {};
}

bool TestLog::ClearVariationStats()
{
  std::lock_guard lock(m_mutex);
  auto it = m_participants.find(std::this_thread::get_id());
  if (it == m_participants.end()) {
    return false;
  }
  it->second.stats = {};
  it->second.worst = 0;
  return true;
}

void TestLog::StartVariation()
{
  std::lock_guard lock(m_mutex);
  Participant& who = Self();
  if (who.inVariation) {
    EndVariationLocked(who, " (next variation started)");
  }
  who.inVariation = true;
  who.variation = ++m_variationsStarted;
  who.stats = {};
  who.worst = 0;
  WriteLine(">>>>>", true, who.number, {}, 0,
            "variation " + std::to_string(who.variation) + " started", false);
}

std::uint32_t TestLog::EndVariation()
{
  std::lock_guard lock(m_mutex);
  auto it = m_participants.find(std::this_thread::get_id());
  if (it == m_participants.end() || !it->second.inVariation) {
    return 0;
  }
  return EndVariationLocked(it->second, {});
}

std::uint32_t TestLog::EndVariationLocked(Participant& who, std::string_view why)
{
  const std::uint32_t result = who.worst ? who.worst : TL_INFO;
  who.inVariation = false;
  ++m_testStats.variations;
  if (IsFailure(result)) {
    ++m_testStats.failedVariations;
  }
  std::string text = "variation " + std::to_string(who.variation) + " ended: ";
  text += Trimmed(KindName(result));
  text += why;
  WriteLine("<<<<<", true, who.number, {}, 0, text, IsFailure(result));
  return result;
}

void TestLog::ReportStats()
{
  std::lock_guard lock(m_mutex);
  const tlStats& s = m_testStats;
  char block[512];
  std::snprintf(block, sizeof block,
                "---- summary %s ----\n"
                "entries     ABORT %" PRIu32 "  FAIL1 %" PRIu32 "  FAIL2 %" PRIu32
                "  FAIL3 %" PRIu32 "  WARN %" PRIu32 "  PASS %" PRIu32 "  INFO %" PRIu32 "\n"
                "variations  %" PRIu32 " ended, %" PRIu32 " failed\n"
                "verdict     %s\n"
                "----\n",
                LocalDateTime().c_str(), s.abort, s.sev1, s.sev2, s.sev3, s.warn, s.pass, s.info,
                s.variations, s.failedVariations,
                std::string(Trimmed(KindName(WorstOf(s)))).c_str());
  WriteRaw(block);
  Flush();
}

void TestLog::Close()
{
  std::lock_guard lock(m_mutex);
  for (auto& [id, who] : m_participants) {
    if (who.inVariation) {
      EndVariationLocked(who, " (log closed)");
    }
  }
  WriteRaw("==== NTLog closed " + LocalDateTime() + " ====\n");
  Flush();
}

void TestLog::AppendTime(const timespec& now)
{
  if (now.tv_sec != m_cachedSecond) {
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    std::strftime(m_cachedClock, sizeof m_cachedClock, "%H:%M:%S", &local);
    m_cachedSecond = now.tv_sec;
  }
  const int millis = static_cast<int>(now.tv_nsec / 1000000) % 1000;
  const char fraction[] = {'.', static_cast<char>('0' + millis / 100),
                           static_cast<char>('0' + millis / 10 % 10),
                           static_cast<char>('0' + millis % 10), ' '};
  m_pending.append(m_cachedClock, 8); // "HH:MM:SS"
  m_pending.append(fraction, sizeof fraction);
}

void TestLog::AppendNumber(long long number)
{
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  m_pending.append(digits, end);
}

void TestLog::WriteLine(std::string_view kindColumn, bool variationScope, int participant,
                        std::string_view source, int line, std::string_view text, bool flushNow)
{
  // The coarse clock costs next to nothing per entry; its few milliseconds of granularity are
  // fine for a log's time stamps and for deciding when to flush.
  timespec now{};
  clock_gettime(CLOCK_REALTIME_COARSE, &now);
  AppendTime(now);
  m_pending += kindColumn;
  m_pending += variationScope ? " VAR  p" : " TEST p";
  AppendNumber(participant);
  m_pending += ' ';
  if (!source.empty()) {
    m_pending += source;
    m_pending += '(';
    AppendNumber(line);
    m_pending += "): ";
  }
  const std::size_t textStart = m_pending.size();
  m_pending += text;
  // One entry, one line: line ends inside the text become blanks.
  if (std::memchr(text.data(), '\n', text.size()) || std::memchr(text.data(), '\r', text.size())) {
    for (std::size_t i = textStart; i < m_pending.size(); ++i) {
      if (m_pending[i] == '\n' || m_pending[i] == '\r') {
        m_pending[i] = ' ';
      }
    }
  }
  m_pending += '\n';
  if (m_pending.size() >= kBlockSize) {
    WriteOut();
  }
  const long long nowMs = now.tv_sec * 1000LL + now.tv_nsec / 1000000;
  if (flushNow || nowMs - m_lastFlushMs >= kFlushIntervalMs || nowMs < m_lastFlushMs) {
    Flush();
  }
}

void TestLog::WriteRaw(std::string_view text)
{
  m_pending += text;
}

void TestLog::WriteOut()
{
  if (!m_pending.empty() &&
      fwrite_unlocked(m_pending.data(), 1, m_pending.size(), m_file) != m_pending.size()) {
    m_writeFailed = true;
  }
  m_pending.clear();
}

void TestLog::Flush()
{
  WriteOut();
  if (std::fflush(m_file) != 0) {
    m_writeFailed = true;
  }
  m_lastFlushMs = NowMs();
}

} // namespace ntlog
