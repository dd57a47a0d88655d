// Fuzz target: Marlow's .ini definition parser over arbitrary text, and the test cases made
// from what it accepts through a suite file and back.
#include "marlow/inisuite.h"
#include "marlow/testcaseex.h"

#include "plinth/archive.h"
#include "plinth/component.h"
#include "plinth/testsuite.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

namespace {

bool IsBlank(char c)
{
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool Trimmed(const std::string& value)
{
  return value.size() < marlow::kValueBufferSize &&
         (value.empty() || (!IsBlank(value.front()) && !IsBlank(value.back())));
}

void Check(bool condition)
{
  if (!condition)
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  guiLoggingLevel = 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CIniSuite suite;
  if (!suite.ParseText("fuzz.ini", text))
    return 0;
  Check(!suite.m_strFriendlyName.empty() && !suite.m_strSummaryLog.empty() &&
        !suite.m_strLogEditor.empty());
  Check(suite.m_nTestDefs == static_cast<int>(suite.m_TestDefs.size()));
  std::set<std::string> names;
  CComponent component(nullptr);
  component.m_strClassName = suite.m_strFriendlyName;
  CTestSuite tsSuite;
  for (const CIniTestDef& def : suite.m_TestDefs) {
    Check(names.insert(def.m_strName).second);
    Check(!def.m_strImage.empty() && !def.m_strCmdLine.empty() && !def.m_strLogFile.empty());
    Check(!def.m_strReturnType.empty());
    for (const std::string* value : {&def.m_strName, &def.m_strReturnType, &def.m_strImage,
                                     &def.m_strCmdLine, &def.m_strLogFile})
      Check(Trimmed(*value));
    tsSuite.push_back(new CTestcaseEx(&component, "fuzz.ini", def.m_strName, def.m_strReturnType,
                                      def.m_strImage, def.m_strCmdLine, def.m_strMaxExecutionTime,
                                      def.m_strLogFile));
  }
  // What was made stores and loads back to the same bytes.
  CMemFile stored;
  {
    CArchive ar(&stored, CArchive::store);
    tsSuite.Serialize(ar);
    Check(ar.Close());
  }
  CMemFile again(stored.Data().data(), stored.Data().size());
  CArchive loadAr(&again, CArchive::load);
  CTestSuite loaded;
  loaded.Serialize(loadAr);
  Check(!loadAr.Failed() && loaded.size() == tsSuite.size());
  CMemFile restored;
  {
    CArchive ar(&restored, CArchive::store);
    loaded.Serialize(ar);
    Check(ar.Close());
  }
  Check(restored.Data() == stored.Data());
  return 0;
}
