// The left-over start lines of a DOS run.
#include "plinth/dosstartlines.h"

#include "plinth/dosbatch.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

namespace {

bool SameLetter(char a, char b)
{
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

} // namespace

bool ReadStartFileBytes(const std::string& path, std::string& bytes)
{
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool HoldsUnrunDosStartLines(const std::string& autoexecPath, const std::string& backupPath)
{
  std::string current;
  std::string saved;
  if (!ReadStartFileBytes(autoexecPath, current) || !ReadStartFileBytes(backupPath, saved))
    return false;
  if (current.size() <= saved.size() || current.compare(0, saved.size(), saved) != 0)
    return false;
  const std::string list = kDosBatchListName;
  return std::search(current.begin() + static_cast<std::ptrdiff_t>(saved.size()), current.end(),
                     list.begin(), list.end(), SameLetter) != current.end();
}
