// Helpers shared by the harness tests: private temporary folders and a recording prompt.
#pragma once

#include "harness/prompts.h"
#include "harness/settings.h"
#include "harness/stringtable.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace harness::test {

// A folder of its own under the temporary folder, removed at the end of the test.
class TempFolder
{
public:
  TempFolder()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "halvex-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    m_path = ::mkdtemp(buffer.data());
  }
  ~TempFolder() { std::filesystem::remove_all(m_path); }
  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
  std::string m_path;
};

inline std::string ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Records every box and answers like an unattended run.
class RecordingPrompts : public UserPrompts
{
public:
  BoxAnswer Ask(const BoxRequest& request) override
  {
    requests.push_back(request);
    if (request.buttons == BoxButtons::Ok)
      return BoxAnswer::Ok;
    return request.defaultAnswer == BoxAnswer::No ? BoxAnswer::No : BoxAnswer::Yes;
  }
  std::vector<BoxRequest> requests;
};

// The harness's own string table, read from the source tree.
inline StringTable HarnessStrings()
{
  StringTable table;
  std::string error;
  const char* source = std::getenv("HALVEX_SOURCE_DIR");
  std::string path = std::string(source ? source : ".") + "/harness/resources/halvex/strings.txt";
  table.Parse(ReadAll(path), error);
  return table;
}

} // namespace harness::test
