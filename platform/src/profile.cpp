// The profile-string reader and writer over plain text files.
#include "platform/profile.h"

#include "platform/fdio.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool IsBlank(char c)
{
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text)
{
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && IsBlank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') {
      x = static_cast<char>(x - 'A' + 'a');
    }
    if (y >= 'A' && y <= 'Z') {
      y = static_cast<char>(y - 'A' + 'a');
    }
    if (x != y) {
      return false;
    }
  }
  return true;
}

std::string_view Unquote(std::string_view value)
{
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// What one line of a profile file is.
struct LineInfo
{
  enum Kind { Other, SectionHeader, KeyLine } kind = Other;
  std::string_view name;  // section or key name, trimmed
  std::string_view value; // for key lines: trimmed, not unquoted
};

LineInfo Classify(std::string_view line)
{
  LineInfo info;
  std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';') {
    return info;
  }
  if (trimmed.front() == '[') {
    std::string_view name = trimmed.substr(1);
    auto close = name.find(']');
    info.kind = LineInfo::SectionHeader;
    info.name = Trim(close == std::string_view::npos ? name : name.substr(0, close));
    return info;
  }
  info.kind = LineInfo::KeyLine;
  auto equals = trimmed.find('=');
  if (equals == std::string_view::npos) {
    info.name = trimmed;
  } else {
    info.name = Trim(trimmed.substr(0, equals));
    info.value = Trim(trimmed.substr(equals + 1));
  }
  return info;
}

// Splits text into lines, each with its line end (the last may have none).
std::vector<std::string_view> SplitLines(std::string_view text)
{
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    auto end = text.find('\n');
    std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(0, length));
    text.remove_prefix(length);
  }
  return lines;
}

std::string_view WithoutLineEnd(std::string_view line)
{
  if (!line.empty() && line.back() == '\n') {
    line.remove_suffix(1);
  }
  if (!line.empty() && line.back() == '\r') {
    line.remove_suffix(1);
  }
  return line;
}

// The whole file; nullopt when it cannot be read, "" when it does not exist.
std::optional<std::string> ReadWholeFile(const char* fileName)
{
  if (!fileName || !*fileName) {
    return std::string();
  }
  int fd = open(fileName, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return errno == ENOENT || errno == ENOTDIR ? std::optional<std::string>(std::string())
                                               : std::nullopt;
  }
  std::string text;
  char buffer[65536];
  while (true) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      close(fd);
      return std::nullopt;
    }
    if (got == 0) {
      break;
    }
    text.append(buffer, static_cast<std::size_t>(got));
  }
  close(fd);
  return text;
}

ProfileText LoadProfile(const char* fileName)
{
  auto text = ReadWholeFile(fileName);
  return ProfileText(text ? *text : std::string());
}

DWORD CopyText(std::string_view text, char* returned, DWORD size)
{
  if (!returned || size == 0) {
    return 0;
  }
  std::size_t count = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(returned, text.data(), count);
  returned[count] = '\0';
  return static_cast<DWORD>(count);
}

DWORD CopyList(const std::vector<std::string>& names, char* returned, DWORD size)
{
  if (!returned || size == 0) {
    return 0;
  }
  std::string list;
  for (const auto& name : names) {
    list += name;
    list += '\0';
  }
  if (list.size() + 1 <= size) {
    std::memcpy(returned, list.data(), list.size());
    returned[list.size()] = '\0';
    if (list.empty() && size >= 2) {
      returned[1] = '\0';
    }
    return static_cast<DWORD>(list.size());
  }
  if (size < 2) {
    returned[0] = '\0';
    return 0;
  }
  std::memcpy(returned, list.data(), size - 2);
  returned[size - 2] = '\0';
  returned[size - 1] = '\0';
  return size - 2;
}

bool ValidName(std::string_view name, std::string_view forbidden)
{
  return name == Trim(name) && name.find_first_of(forbidden) == std::string_view::npos;
}

// Replaces `fileName` with `text` through a temporary file in the same folder.
bool ReplaceFile(const std::string& fileName, const std::string& text)
{
  namespace fs = std::filesystem;
  fs::path target(fileName);
  fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = mkstemp(temporary.data());
  if (fd < 0) {
    return false;
  }
  struct stat existing = {};
  fchmod(fd, stat(fileName.c_str(), &existing) == 0 ? existing.st_mode & 07777 : 0644);
  bool ok = WriteAll(fd, text.data(), text.size()) == 0;
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temporary.c_str(), fileName.c_str()) == 0;
  if (!ok) {
    unlink(temporary.c_str());
  }
  return ok;
}

// Serialises writers: threads through a mutex, processes through a lock on the folder (the
// file itself is replaced, so a lock on it would not hold).
class WriteLock
{
public:
  explicit WriteLock(const std::string& fileName) : m_lock(Mutex())
  {
    std::filesystem::path target(fileName);
    auto folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    m_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd >= 0) {
      while (flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~WriteLock()
  {
    if (m_fd >= 0) {
      close(m_fd); // releases the lock
    }
  }
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;

private:
  static std::mutex& Mutex()
  {
    static std::mutex mutex;
    return mutex;
  }
  std::lock_guard<std::mutex> m_lock;
  int m_fd = -1;
};

bool WriteProfile(const char* section, const char* key, const char* value, const char* fileName)
{
  if (!fileName || !*fileName || !section) {
    return false;
  }
  // Names and values must read back as written.
  if (!ValidName(section, "]\r\n") || (key && (!*key || !ValidName(key, "=\r\n"))) ||
      (key && (key[0] == '[' || key[0] == ';')) ||
      (value && std::strpbrk(value, "\r\n") != nullptr)) {
    return false;
  }
  WriteLock lock(fileName);
  auto original = ReadWholeFile(fileName);
  if (!original) {
    return false;
  }
  std::vector<std::string_view> lines = SplitLines(*original);
  std::string newline = !lines.empty() && lines.front().size() >= 2 &&
                                lines.front().substr(lines.front().size() - 2) == "\r\n"
                            ? "\r\n"
                            : "\n";

  // The first matching section: header line and the end of its lines.
  std::size_t header = lines.size();
  std::size_t end = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    LineInfo info = Classify(WithoutLineEnd(lines[i]));
    if (info.kind != LineInfo::SectionHeader) {
      continue;
    }
    if (header == lines.size()) {
      if (EqualIgnoringCase(info.name, section)) {
        header = i;
      }
    } else {
      end = i;
      break;
    }
  }

  std::vector<std::string> output(lines.begin(), lines.end());
  auto ensureLineEnd = [&](std::size_t index) {
    if (!output[index].empty() && output[index].back() != '\n') {
      output[index] += newline;
    }
  };

  if (header == lines.size()) {
    if (!key || !value) {
      return true; // nothing to delete
    }
    if (!output.empty()) {
      ensureLineEnd(output.size() - 1);
    }
    output.push_back("[" + std::string(section) + "]" + newline);
    output.push_back(std::string(key) + "=" + value + newline);
  } else if (!key) {
    output.erase(output.begin() + static_cast<std::ptrdiff_t>(header),
                 output.begin() + static_cast<std::ptrdiff_t>(end));
  } else {
    std::size_t found = end;
    std::size_t lastContent = header;
    for (std::size_t i = header + 1; i < end; ++i) {
      std::string_view line = WithoutLineEnd(lines[i]);
      if (!Trim(line).empty()) {
        lastContent = i;
      }
      LineInfo info = Classify(line);
      if (found == end && info.kind == LineInfo::KeyLine && EqualIgnoringCase(info.name, key)) {
        found = i;
      }
    }
    if (found != end) {
      if (!value) {
        output.erase(output.begin() + static_cast<std::ptrdiff_t>(found));
      } else {
        // Keep the line's own key spelling and line end.
        std::string_view line = lines[found];
        std::string_view lineEnd = line.substr(WithoutLineEnd(line).size());
        std::string name(Classify(WithoutLineEnd(line)).name);
        output[found] = name + "=" + value + std::string(lineEnd);
      }
    } else if (value) {
      ensureLineEnd(lastContent);
      output.insert(output.begin() + static_cast<std::ptrdiff_t>(lastContent + 1),
                    std::string(key) + "=" + value + newline);
    }
  }

  std::string text;
  for (const auto& line : output) {
    text += line;
  }
  if (text == *original) {
    return true;
  }
  return ReplaceFile(fileName, text);
}

} // namespace

ProfileText::ProfileText(std::string_view text)
{
  Section* current = nullptr;
  for (std::string_view line : SplitLines(text)) {
    LineInfo info = Classify(WithoutLineEnd(line));
    if (info.kind == LineInfo::SectionHeader) {
      m_sections.push_back(Section{std::string(info.name), {}});
      current = &m_sections.back();
    } else if (info.kind == LineInfo::KeyLine && current) {
      current->entries.push_back(Entry{std::string(info.name), std::string(Unquote(info.value))});
    }
  }
}

const ProfileText::Section* ProfileText::FindSection(std::string_view name) const
{
  for (const auto& section : m_sections) {
    if (EqualIgnoringCase(section.name, name)) {
      return &section;
    }
  }
  return nullptr;
}

const std::string* ProfileText::Find(std::string_view section, std::string_view key) const
{
  const Section* found = FindSection(Trim(section));
  if (!found) {
    return nullptr;
  }
  std::string_view name = Trim(key);
  for (const auto& entry : found->entries) {
    if (EqualIgnoringCase(entry.key, name)) {
      return &entry.value;
    }
  }
  return nullptr;
}

std::vector<std::string> ProfileText::SectionNames() const
{
  std::vector<std::string> names;
  for (const auto& section : m_sections) {
    // An empty name cannot be told apart from the end of a NUL-separated list.
    if (!section.name.empty()) {
      names.push_back(section.name);
    }
  }
  return names;
}

std::vector<std::string> ProfileText::KeyNames(std::string_view section) const
{
  std::vector<std::string> names;
  if (const Section* found = FindSection(Trim(section))) {
    for (const auto& entry : found->entries) {
      if (!entry.key.empty()) {
        names.push_back(entry.key);
      }
    }
  }
  return names;
}

DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                              char* returned, DWORD size, const char* fileName)
{
  try {
    ProfileText profile = LoadProfile(fileName);
    if (!section) {
      return CopyList(profile.SectionNames(), returned, size);
    }
    if (!key) {
      return CopyList(profile.KeyNames(section), returned, size);
    }
    if (const std::string* value = profile.Find(section, key)) {
      return CopyText(*value, returned, size);
    }
    std::string_view fallback = defaultValue ? defaultValue : "";
    while (!fallback.empty() && fallback.back() == ' ') {
      fallback.remove_suffix(1);
    }
    return CopyText(fallback, returned, size);
  } catch (...) {
    return CopyText({}, returned, size);
  }
}

UINT GetPrivateProfileInt(const char* section, const char* key, int defaultValue,
                          const char* fileName)
{
  try {
    if (!section || !key) {
      return static_cast<UINT>(defaultValue);
    }
    ProfileText profile = LoadProfile(fileName);
    const std::string* value = profile.Find(section, key);
    if (!value || value->empty()) {
      return static_cast<UINT>(defaultValue);
    }
    std::string_view text = *value;
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
      negative = text.front() == '-';
      text.remove_prefix(1);
    }
    long long number = 0;
    for (char c : text) {
      if (c < '0' || c > '9') {
        break;
      }
      number = std::min<long long>(number * 10 + (c - '0'), UINT_MAX);
    }
    return static_cast<UINT>(negative ? -number : number);
  } catch (...) {
    return static_cast<UINT>(defaultValue);
  }
}

DWORD GetPrivateProfileSectionNames(char* returned, DWORD size, const char* fileName)
{
  return GetPrivateProfileString(nullptr, nullptr, nullptr, returned, size, fileName);
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* fileName)
{
  try {
    return WriteProfile(section, key, value, fileName);
  } catch (...) {
    return false;
  }
}

std::string ReadProfileString(const std::string& fileName, const std::string& section,
                              const std::string& key, const std::string& defaultValue)
{
  ProfileText profile = LoadProfile(fileName.c_str());
  const std::string* value = profile.Find(section, key);
  return value ? *value : defaultValue;
}

std::vector<std::string> ReadProfileSectionNames(const std::string& fileName)
{
  return LoadProfile(fileName.c_str()).SectionNames();
}

std::vector<std::string> ReadProfileKeyNames(const std::string& fileName,
                                             const std::string& section)
{
  return LoadProfile(fileName.c_str()).KeyNames(section);
}

bool WriteProfileString(const std::string& fileName, const std::string& section,
                        const std::string& key, const std::string& value)
{
  return WritePrivateProfileString(section.c_str(), key.c_str(), value.c_str(), fileName.c_str());
}

} // namespace platform
