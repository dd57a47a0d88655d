// A private folder per test under the temporary folder, removed with everything in it at the
// end of the test, and the small file helpers the tests share.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

class TempFolder
{
public:
  TempFolder()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "halvex-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = ::mkdtemp(buffer.data());
    EXPECT_NE(made, nullptr);
    m_path = made ? made : "";
  }
  ~TempFolder()
  {
    std::error_code ignored;
    if (!m_path.empty())
      std::filesystem::remove_all(m_path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

  // Writes `text` to `name` below the folder, making the folders on the way.
  void Write(const std::string& name, const std::string& text) const
  {
    std::filesystem::path file = File(name);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << text;
  }

private:
  std::string m_path;
};

// Makes a folder the current one for its own lifetime, for code that works in the current
// folder; the one before comes back afterwards.
class CurrentFolder
{
public:
  explicit CurrentFolder(const std::string& path) : m_previous(std::filesystem::current_path())
  {
    std::filesystem::current_path(path);
  }
  ~CurrentFolder()
  {
    std::error_code ignored;
    std::filesystem::current_path(m_previous, ignored);
  }
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
  std::filesystem::path m_previous;
};

inline void WriteAll(const std::string& path, const std::string& bytes)
{
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

} // namespace testsupport
