// .reg text files: parser, importer and exporter.
#include "platform/regfile.h"

#include <cstdio>
#include <cstring>

namespace platform {

namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::size_t kMaxDepth = 512;

bool IsBlank(char c)
{
  return c == ' ' || c == '\t' || c == '\r';
}

std::string_view TrimLeft(std::string_view text)
{
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  return text;
}

std::string_view TrimRight(std::string_view text)
{
  while (!text.empty() && IsBlank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

std::string_view Trim(std::string_view text)
{
  return TrimRight(TrimLeft(text));
}

char Lower(char c)
{
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) {
      return false;
    }
  }
  return true;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
  return text.size() >= prefix.size() && EqualIgnoringCase(text.substr(0, prefix.size()), prefix);
}

int HexDigit(char c)
{
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  c = Lower(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Reads 1 to `maxDigits` hex digits as the whole of `text`.
bool ParseHexNumber(std::string_view text, std::size_t maxDigits, DWORD& value)
{
  if (text.empty() || text.size() > maxDigits) {
    return false;
  }
  value = 0;
  for (char c : text) {
    int digit = HexDigit(c);
    if (digit < 0) {
      return false;
    }
    value = (value << 4) | static_cast<DWORD>(digit);
  }
  return true;
}

bool IsStringType(DWORD type)
{
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

bool Fail(RegFileError& error, int line, std::string message)
{
  error.line = line;
  error.message = std::move(message);
  return false;
}

// The file as single-byte text: UTF-16LE files are narrowed, a UTF-8 mark is dropped.
bool DecodeText(std::string_view raw, std::string& text, RegFileError& error)
{
  if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF &&
      static_cast<unsigned char>(raw[1]) == 0xFE) {
    if (raw.size() % 2 != 0) {
      return Fail(error, 0, "the UTF-16 file ends in the middle of a character");
    }
    int line = 1;
    text.reserve(raw.size() / 2);
    for (std::size_t i = 2; i < raw.size(); i += 2) {
      unsigned unit = static_cast<unsigned char>(raw[i]) |
                      (static_cast<unsigned>(static_cast<unsigned char>(raw[i + 1])) << 8);
      if (unit > 0xFF) {
        return Fail(error, line, "a character outside the single-byte range");
      }
      if (unit == '\n') {
        ++line;
      }
      text.push_back(static_cast<char>(unit));
    }
    return true;
  }
  if (raw.size() >= 3 && raw.substr(0, 3) == "\xEF\xBB\xBF") {
    raw.remove_prefix(3);
  }
  text.assign(raw);
  return true;
}

// Checks a key path below a root the way the registry will.
bool ValidKeyPath(std::string_view path, std::string& why)
{
  if (path.empty()) {
    return true;
  }
  std::size_t depth = 0;
  while (true) {
    auto separator = path.find('\\');
    std::string_view name = path.substr(0, separator);
    if (name.empty()) {
      why = "an empty key name in the path";
      return false;
    }
    if (name.size() > kMaxKeyNameLength) {
      why = "a key name longer than 255 characters";
      return false;
    }
    for (char c : name) {
      if (static_cast<unsigned char>(c) < 0x20) {
        why = "a control character in a key name";
        return false;
      }
    }
    if (++depth > kMaxDepth) {
      why = "a key path deeper than 512 levels";
      return false;
    }
    if (separator == std::string_view::npos) {
      return true;
    }
    path.remove_prefix(separator + 1);
  }
}

// Reads a quoted string at the start of `text` (which begins with '"'); `text` is left after
// the closing quote.
bool ParseQuoted(std::string_view& text, std::string& out, std::string& why)
{
  out.clear();
  for (std::size_t i = 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      text.remove_prefix(i + 1);
      return true;
    }
    if (c == '\\') {
      if (i + 1 >= text.size()) {
        break;
      }
      char next = text[++i];
      if (next != '\\' && next != '"') {
        why = std::string("an unknown escape \\") + next;
        return false;
      }
      out.push_back(next);
    } else {
      out.push_back(c);
    }
  }
  why = "a string without its closing quote";
  return false;
}

bool ParseHexBytes(std::string_view list, std::string& bytes, std::string& why)
{
  list = Trim(list);
  if (!list.empty() && list.back() == ',') {
    list.remove_suffix(1);
  }
  if (Trim(list).empty()) {
    return true;
  }
  while (true) {
    auto comma = list.find(',');
    std::string_view item = Trim(list.substr(0, comma));
    DWORD value = 0;
    if (!ParseHexNumber(item, 2, value)) {
      why = "\"" + std::string(item) + "\" is not a hex byte";
      return false;
    }
    bytes.push_back(static_cast<char>(value));
    if (comma == std::string_view::npos) {
      return true;
    }
    list.remove_prefix(comma + 1);
  }
}

class Parser
{
public:
  Parser(std::vector<RegFileChange>& changes, RegFileError& error)
      : m_changes(changes), m_error(error)
  {
  }

  bool Run(std::string_view text)
  {
    std::vector<std::string_view> lines;
    while (true) {
      auto end = text.find('\n');
      lines.push_back(text.substr(0, end));
      if (end == std::string_view::npos) {
        break;
      }
      text.remove_prefix(end + 1);
    }
    bool haveHeader = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      int lineNumber = static_cast<int>(i) + 1;
      std::string_view line = Trim(lines[i]);
      if (!haveHeader) {
        if (line.empty()) {
          continue;
        }
        if (line == kHeader5) {
          m_unicodeHex = true;
        } else if (line != kHeader4) {
          return Fail(m_error, lineNumber,
                      "not a registry file: the first line must be \"" + std::string(kHeader5) +
                          "\" or \"" + std::string(kHeader4) + "\"");
        }
        haveHeader = true;
        continue;
      }
      if (line.empty() || line.front() == ';') {
        continue;
      }
      if (line.front() == '[') {
        if (!KeyLine(line, lineNumber)) {
          return false;
        }
        continue;
      }
      if (line.front() == '"' || line.front() == '@') {
        // Join continuation lines of hex data.
        std::string joined(line);
        while (!joined.empty() && joined.back() == '\\' && IsHexData(joined)) {
          joined.pop_back();
          if (++i >= lines.size()) {
            return Fail(m_error, lineNumber, "the value continues past the end of the file");
          }
          joined += Trim(lines[i]);
        }
        if (!ValueLine(joined, lineNumber)) {
          return false;
        }
        continue;
      }
      return Fail(m_error, lineNumber, "a line that is neither a key, a value nor a comment");
    }
    if (!haveHeader) {
      return Fail(m_error, 1, "not a registry file: the file is empty");
    }
    return true;
  }

private:
  // Whether a value line's data is a hex list (only those continue on the next line).
  static bool IsHexData(std::string_view line)
  {
    std::string_view rest = line;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else {
      std::string name;
      std::string why;
      if (!ParseQuoted(rest, name, why)) {
        return false;
      }
    }
    rest = TrimLeft(rest);
    if (rest.empty() || rest.front() != '=') {
      return false;
    }
    return StartsWithIgnoringCase(TrimLeft(rest.substr(1)), "hex");
  }

  bool KeyLine(std::string_view line, int lineNumber)
  {
    if (line.back() != ']') {
      return Fail(m_error, lineNumber, "a key line without its closing ']'");
    }
    std::string_view name = line.substr(1, line.size() - 2);
    bool remove = !name.empty() && name.front() == '-';
    if (remove) {
      name.remove_prefix(1);
    }
    HKEY root = nullptr;
    std::string path;
    if (!ParseRegKeyName(name, root, path)) {
      std::string_view rootName = name.substr(0, name.find('\\'));
      return Fail(m_error, lineNumber, "unknown root key \"" + std::string(rootName) + "\"");
    }
    std::string why;
    if (!ValidKeyPath(path, why)) {
      return Fail(m_error, lineNumber, "invalid key path: " + why);
    }
    if (remove && path.empty()) {
      return Fail(m_error, lineNumber, "a root key cannot be deleted");
    }
    RegFileChange change;
    change.kind = remove ? RegFileChange::Kind::DeleteKey : RegFileChange::Kind::CreateKey;
    change.line = lineNumber;
    change.root = root;
    change.path = path;
    m_changes.push_back(change);
    m_haveKey = true;
    m_keyDeleted = remove;
    m_root = root;
    m_path = path;
    return true;
  }

  bool ValueLine(std::string_view line, int lineNumber)
  {
    if (!m_haveKey) {
      return Fail(m_error, lineNumber, "a value before any key");
    }
    if (m_keyDeleted) {
      return Fail(m_error, lineNumber, "a value under a key that is being deleted");
    }
    RegFileChange change;
    change.line = lineNumber;
    change.root = m_root;
    change.path = m_path;
    std::string_view rest = line;
    std::string why;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else if (!ParseQuoted(rest, change.valueName, why)) {
      return Fail(m_error, lineNumber, "in the value name: " + why);
    }
    if (change.valueName.size() > kMaxValueNameLength) {
      return Fail(m_error, lineNumber, "a value name longer than 16383 characters");
    }
    rest = TrimLeft(rest);
    if (rest.empty() || rest.front() != '=') {
      return Fail(m_error, lineNumber, "'=' expected after the value name");
    }
    rest = Trim(rest.substr(1));
    if (!ValueData(rest, change, why)) {
      return Fail(m_error, lineNumber, why);
    }
    m_changes.push_back(std::move(change));
    return true;
  }

  bool ValueData(std::string_view data, RegFileChange& change, std::string& why)
  {
    if (data == "-") {
      change.kind = RegFileChange::Kind::DeleteValue;
      return true;
    }
    change.kind = RegFileChange::Kind::SetValue;
    if (!data.empty() && data.front() == '"') {
      if (!ParseQuoted(data, change.data, why)) {
        why = "in the value data: " + why;
        return false;
      }
      if (!Trim(data).empty()) {
        why = "unexpected text after the closing quote";
        return false;
      }
      change.type = REG_SZ;
      change.data.push_back('\0');
      return true;
    }
    if (StartsWithIgnoringCase(data, "dword:")) {
      DWORD value = 0;
      if (!ParseHexNumber(data.substr(6), 8, value)) {
        why = "a dword value needs 1 to 8 hex digits";
        return false;
      }
      change.type = REG_DWORD;
      change.data.assign(reinterpret_cast<const char*>(&value), sizeof value);
      return true;
    }
    if (StartsWithIgnoringCase(data, "hex:")) {
      change.type = REG_BINARY;
      data.remove_prefix(4);
    } else if (StartsWithIgnoringCase(data, "hex(")) {
      auto close = data.find("):");
      if (close == std::string_view::npos ||
          !ParseHexNumber(data.substr(4, close - 4), 8, change.type)) {
        why = "hex(n): needs a type number of 1 to 8 hex digits";
        return false;
      }
      data.remove_prefix(close + 2);
    } else {
      why = "unknown value data: expected \"text\", dword:, hex:, hex(n): or -";
      return false;
    }
    std::string bytes;
    if (!ParseHexBytes(data, bytes, why)) {
      return false;
    }
    if (m_unicodeHex && IsStringType(change.type)) {
      if (bytes.size() % 2 != 0) {
        why = "UTF-16 text data with an odd number of bytes";
        return false;
      }
      for (std::size_t i = 0; i < bytes.size(); i += 2) {
        if (bytes[i + 1] != 0) {
          why = "a character outside the single-byte range";
          return false;
        }
        change.data.push_back(bytes[i]);
      }
    } else {
      change.data = std::move(bytes);
    }
    return true;
  }

  std::vector<RegFileChange>& m_changes;
  RegFileError& m_error;
  bool m_unicodeHex = false;
  bool m_haveKey = false;
  bool m_keyDeleted = false;
  HKEY m_root = HKEY_LOCAL_MACHINE;
  std::string m_path;
};

std::string Describe(LONG code)
{
  std::string message = RegErrorMessage(code);
  std::string detail = RegLastErrorDetail();
  if (code != ERROR_FILE_NOT_FOUND && code != ERROR_INVALID_PARAMETER && !detail.empty()) {
    message += " (" + detail + ")";
  }
  return message;
}

LONG Apply(const RegFileChange& change, const RegRoots& roots)
{
  HKEY root = change.root == HKEY_LOCAL_MACHINE ? roots.machine : roots.user;
  const char* path = change.path.c_str();
  HKEY key = nullptr;
  LONG result = ERROR_SUCCESS;
  switch (change.kind) {
  case RegFileChange::Kind::CreateKey:
  case RegFileChange::Kind::SetValue:
    result = RegCreateKeyEx(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr);
    if (result == ERROR_SUCCESS && change.kind == RegFileChange::Kind::SetValue) {
      result = RegSetValueEx(key, change.valueName.c_str(), 0, change.type,
                             reinterpret_cast<const BYTE*>(change.data.data()),
                             static_cast<DWORD>(change.data.size()));
    }
    break;
  case RegFileChange::Kind::DeleteKey:
    result = RegDeleteTree(root, path);
    return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
  case RegFileChange::Kind::DeleteValue:
    result = RegOpenKeyEx(root, path, 0, KEY_ALL_ACCESS, &key);
    if (result == ERROR_SUCCESS) {
      result = RegDeleteValue(key, change.valueName.c_str());
    }
    if (result == ERROR_FILE_NOT_FOUND) {
      result = ERROR_SUCCESS;
    }
    break;
  }
  if (key) {
    RegCloseKey(key);
  }
  return result;
}

// Export.

std::string Escape(std::string_view text)
{
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') {
      out.push_back('\\');
    }
    out.push_back(c);
  }
  return out;
}

bool PrintableString(const std::string& data)
{
  if (data.empty() || data.back() != '\0') {
    return false;
  }
  return data.find_first_of(std::string_view("\0\r\n", 3)) == data.size() - 1;
}

void AppendHex(std::string& out, std::string_view prefix, const std::string& bytes)
{
  out += prefix;
  std::size_t column = prefix.size();
  char item[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bool last = i + 1 == bytes.size();
    std::snprintf(item, sizeof item, last ? "%02x" : "%02x,", static_cast<unsigned char>(bytes[i]));
    if (column + 3 > 77) {
      out += "\\\n  ";
      column = 2;
    }
    out += item;
    column += std::strlen(item);
  }
  out += '\n';
}

void AppendValue(std::string& out, const std::string& name, DWORD type, const std::string& data)
{
  std::string prefix = name.empty() ? "@=" : "\"" + Escape(name) + "\"=";
  if (type == REG_SZ && PrintableString(data)) {
    out += prefix + "\"" + Escape(std::string_view(data).substr(0, data.size() - 1)) + "\"\n";
    return;
  }
  if (type == REG_DWORD && data.size() == 4) {
    DWORD value = 0;
    std::memcpy(&value, data.data(), 4);
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", value);
    out += prefix + text + "\n";
    return;
  }
  if (type == REG_BINARY) {
    AppendHex(out, prefix + "hex:", data);
    return;
  }
  char typeText[16];
  std::snprintf(typeText, sizeof typeText, "hex(%x):", type);
  std::string bytes;
  if (IsStringType(type)) {
    for (char c : data) {
      bytes.push_back(c);
      bytes.push_back('\0');
    }
  } else {
    bytes = data;
  }
  AppendHex(out, prefix + typeText, bytes);
}

LONG ReadValue(HKEY key, DWORD index, std::string& name, DWORD& type, std::string& data)
{
  std::vector<char> nameBuffer(kMaxValueNameLength + 1);
  while (true) {
    DWORD nameSize = static_cast<DWORD>(nameBuffer.size());
    DWORD dataSize = 0;
    LONG result =
        RegEnumValue(key, index, nameBuffer.data(), &nameSize, nullptr, &type, nullptr, &dataSize);
    if (result != ERROR_SUCCESS) {
      return result;
    }
    data.assign(dataSize, '\0');
    nameSize = static_cast<DWORD>(nameBuffer.size());
    result = RegEnumValue(key, index, nameBuffer.data(), &nameSize, nullptr, &type,
                          reinterpret_cast<BYTE*>(data.data()), &dataSize);
    if (result == ERROR_MORE_DATA) {
      continue; // changed in between; ask again
    }
    if (result != ERROR_SUCCESS) {
      return result;
    }
    data.resize(dataSize);
    name.assign(nameBuffer.data(), nameSize);
    return ERROR_SUCCESS;
  }
}

LONG ExportTree(HKEY key, const std::string& fullName, std::string& out)
{
  out += "[" + fullName + "]\n";
  for (DWORD index = 0;; ++index) {
    std::string name;
    std::string data;
    DWORD type = 0;
    LONG result = ReadValue(key, index, name, type, data);
    if (result == ERROR_NO_MORE_ITEMS) {
      break;
    }
    if (result != ERROR_SUCCESS) {
      return result;
    }
    AppendValue(out, name, type, data);
  }
  out += "\n";
  for (DWORD index = 0;; ++index) {
    char name[kMaxKeyNameLength + 1];
    DWORD nameSize = sizeof name;
    LONG result = RegEnumKeyEx(key, index, name, &nameSize, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) {
      break;
    }
    if (result != ERROR_SUCCESS) {
      return result;
    }
    HKEY child = nullptr;
    result = RegOpenKeyEx(key, name, 0, KEY_READ, &child);
    if (result != ERROR_SUCCESS) {
      return result;
    }
    result = ExportTree(child, fullName + "\\" + name, out);
    RegCloseKey(child);
    if (result != ERROR_SUCCESS) {
      return result;
    }
  }
  return ERROR_SUCCESS;
}

// The stored spelling of a sub-key name of `parent` that matches `name` ignoring case.
LONG StoredName(HKEY parent, std::string_view name, std::string& stored)
{
  for (DWORD index = 0;; ++index) {
    char buffer[kMaxKeyNameLength + 1];
    DWORD size = sizeof buffer;
    LONG result = RegEnumKeyEx(parent, index, buffer, &size, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) {
      return result == ERROR_NO_MORE_ITEMS ? ERROR_FILE_NOT_FOUND : result;
    }
    if (EqualIgnoringCase(std::string_view(buffer, size), name)) {
      stored.assign(buffer, size);
      return ERROR_SUCCESS;
    }
  }
}

} // namespace

bool ParseRegKeyName(std::string_view name, HKEY& root, std::string& path)
{
  auto separator = name.find('\\');
  std::string_view rootName = name.substr(0, separator);
  if (EqualIgnoringCase(rootName, "HKEY_LOCAL_MACHINE") || EqualIgnoringCase(rootName, "HKLM")) {
    root = HKEY_LOCAL_MACHINE;
  } else if (EqualIgnoringCase(rootName, "HKEY_CURRENT_USER") ||
             EqualIgnoringCase(rootName, "HKCU")) {
    root = HKEY_CURRENT_USER;
  } else {
    return false;
  }
  path =
      separator == std::string_view::npos ? std::string() : std::string(name.substr(separator + 1));
  if (!path.empty() && path.back() == '\\') {
    path.pop_back();
  }
  return true;
}

bool ParseRegFile(std::string_view text, std::vector<RegFileChange>& changes, RegFileError& error)
{
  changes.clear();
  error = RegFileError{};
  try {
    std::string decoded;
    if (!DecodeText(text, decoded, error)) {
      return false;
    }
    Parser parser(changes, error);
    return parser.Run(decoded);
  } catch (const std::bad_alloc&) {
    return Fail(error, 0, "not enough memory for the file");
  }
}

LONG ImportRegFile(std::string_view text, const RegRoots& roots, RegFileError& error)
{
  std::vector<RegFileChange> changes;
  if (!ParseRegFile(text, changes, error)) {
    return ERROR_INVALID_PARAMETER;
  }
  try {
    return RegRunTransaction(roots.machine, [&] {
      for (const auto& change : changes) {
        LONG result = Apply(change, roots);
        if (result != ERROR_SUCCESS) {
          error.line = change.line;
          error.message = Describe(result);
          return result;
        }
      }
      return ERROR_SUCCESS;
    });
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

LONG ExportRegKey(const RegRoots& roots, std::string_view keyName, std::string& text)
{
  try {
    HKEY predefined = nullptr;
    std::string path;
    if (!ParseRegKeyName(keyName, predefined, path)) {
      return ERROR_INVALID_PARAMETER;
    }
    HKEY root = predefined == HKEY_LOCAL_MACHINE ? roots.machine : roots.user;
    std::string fullName =
        predefined == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
    // Walk down, taking each name's stored spelling.
    HKEY key = nullptr;
    LONG result = RegOpenKeyEx(root, nullptr, 0, KEY_READ, &key);
    std::string_view rest = path;
    while (result == ERROR_SUCCESS && !rest.empty()) {
      auto separator = rest.find('\\');
      std::string stored;
      result = StoredName(key, rest.substr(0, separator), stored);
      if (result != ERROR_SUCCESS) {
        break;
      }
      HKEY child = nullptr;
      result = RegOpenKeyEx(key, stored.c_str(), 0, KEY_READ, &child);
      RegCloseKey(key);
      key = child;
      fullName += "\\" + stored;
      rest = separator == std::string_view::npos ? std::string_view() : rest.substr(separator + 1);
    }
    if (result != ERROR_SUCCESS) {
      if (key) {
        RegCloseKey(key);
      }
      return result;
    }
    std::string out = std::string(kHeader5) + "\n\n";
    result = ExportTree(key, fullName, out);
    RegCloseKey(key);
    if (result == ERROR_SUCCESS) {
      text = std::move(out);
    }
    return result;
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

std::string RegTypeName(DWORD type)
{
  switch (type) {
  case REG_NONE:
    return "REG_NONE";
  case REG_SZ:
    return "REG_SZ";
  case REG_EXPAND_SZ:
    return "REG_EXPAND_SZ";
  case REG_BINARY:
    return "REG_BINARY";
  case REG_DWORD:
    return "REG_DWORD";
  case REG_MULTI_SZ:
    return "REG_MULTI_SZ";
  default:
    return "REG_TYPE_" + std::to_string(type);
  }
}

bool ParseRegTypeName(std::string_view name, DWORD& type)
{
  for (DWORD candidate : {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ}) {
    if (EqualIgnoringCase(name, RegTypeName(candidate))) {
      type = candidate;
      return true;
    }
  }
  return false;
}

} // namespace platform
