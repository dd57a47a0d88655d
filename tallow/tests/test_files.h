// Test helpers: a private temporary folder and whole-file reads and writes.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

struct TempFolder
{
  std::filesystem::path path;
  TempFolder()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "tallow-test-XXXXXX").string();
    path = mkdtemp(pattern.data());
  }
  ~TempFolder() { std::filesystem::remove_all(path); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string File(const std::string& name) const { return (path / name).string(); }
};

inline void WriteFile(const std::string& file, const std::string& bytes)
{
  std::ofstream(file, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& file)
{
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}
