// CAnalog_In_Basic_Functionality: the video input test that runs a three-minute capture
// through a graph file with the test filter and reports the filter's assertions.
#pragma once

#include "plinth/testcase.h"

#include <cstdint>
#include <string>

class CAnalog_In_Basic_Functionality : public CTestCase
{
  PLINTH_DECLARE_SERIAL(CAnalog_In_Basic_Functionality)

public:
  // For loading from a .ts file: class name "Video Input Tests", model "Default", defaults.
  CAnalog_In_Basic_Functionality();
  // The prototype of pComponent. Anything that is not a component is logged and leaves the
  // test's own fields empty.
  explicit CAnalog_In_Basic_Functionality(CObject* pComponent);

  // Base fields, then FOURCC, vendor, standard (strings), diagnostics, width (32 bits each).
  void Serialize(CArchive& ar) override;
  void CopyFrom(const CTestCase* pOther) override;
  // The "Basic Capture Functionality Test" dialog; the values change only when it is
  // accepted. 1 accepted, 2 cancelled (also without a user interface to show it in).
  int Configure() override;
  CTestCase* Clone() const override;
  // The capture run (basiccapturerun.h); blocks for about three minutes.
  uint32_t Execute() override;

  std::string m_strFourcc;
  std::string m_strVendor;
  std::string m_strStandard;
  int32_t m_nDiagnostics = 0;
  int32_t m_nWidth = 0;
};

namespace kestrel {
inline constexpr const char* kComponentClassName = "Video Input Tests";
inline constexpr const char* kBasicFunctionalityName = "Analog_In_Basic_Functionality";
inline constexpr const char* kDefaultFourcc = "YUY2";
inline constexpr const char* kDefaultVendor = "Custom";
inline constexpr const char* kDefaultStandard = "NTSC";
inline constexpr int32_t kDefaultWidth = 720;
} // namespace kestrel
