// Profile (.ini) files: the profile-string reader and writer.
//
// Reading: "[name]" starts a section; "key=value" lines belong to the last section; a line whose
// first non-blank character is ';' is a comment; a line without '=' is a key with an empty value.
// Section and key names compare ignoring ASCII case and are trimmed of blanks; the first matching
// section, and the first matching key in it, win. Values are trimmed, and lose one pair of
// matching quotes (" or ') that encloses them. Lines end with "\n" or "\r\n".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

using DWORD = std::uint32_t;
using UINT = unsigned int;

// The value of `key` in `section`, else `defaultValue` (null: "") without its trailing blanks,
// copied into `returned` of `size` characters: at most size - 1 of them and a NUL. Returns the
// number copied, without the NUL. A null section gives all section names, a null key all key
// names of the section, as a list of NUL-terminated names ending with one more NUL; when the list
// does not fit it is cut to size - 2 characters (ending in two NULs) and size - 2 is returned.
DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                              char* returned, DWORD size, const char* fileName);

// The value as a decimal number (leading digits, optional sign; "12abc" is 12, "abc" is 0);
// `defaultValue` when the key is missing or empty.
UINT GetPrivateProfileInt(const char* section, const char* key, int defaultValue,
                          const char* fileName);

// All section names as a double-NUL list, cut like GetPrivateProfileString's lists.
DWORD GetPrivateProfileSectionNames(char* returned, DWORD size, const char* fileName);

// Sets `key` in `section` to `value`, keeping every other line of the file as it was: the first
// matching key line is rewritten, or a line is added at the end of the first matching section,
// or the section is added at the end of the file. A null value deletes the key, a null key the
// whole section. The file is replaced atomically (a temporary file renamed over it). False when
// the file cannot be written or a name or value would not read back (line breaks, '=' in a key,
// ']' in a section name, blanks around a name).
bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* fileName);

// The same with standard strings.
std::string ReadProfileString(const std::string& fileName, const std::string& section,
                              const std::string& key, const std::string& defaultValue = {});
std::vector<std::string> ReadProfileSectionNames(const std::string& fileName);
std::vector<std::string> ReadProfileKeyNames(const std::string& fileName,
                                             const std::string& section);
bool WriteProfileString(const std::string& fileName, const std::string& section,
                        const std::string& key, const std::string& value);

// The parsed form of a profile text, for readers that hold the text already.
class ProfileText
{
public:
  explicit ProfileText(std::string_view text);

  // Null when the section or key is missing.
  const std::string* Find(std::string_view section, std::string_view key) const;
  std::vector<std::string> SectionNames() const;
  std::vector<std::string> KeyNames(std::string_view section) const;

private:
  struct Entry
  {
    std::string key;
    std::string value;
  };
  struct Section
  {
    std::string name;
    std::vector<Entry> entries;
  };
  const Section* FindSection(std::string_view name) const;

  std::vector<Section> m_sections;
};

} // namespace platform
