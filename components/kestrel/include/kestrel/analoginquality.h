// CAnalog_In_Quality: the example test case of the video input tests, which shows its two
// parameters and sends a few lines, and always passes.
#pragma once

#include "plinth/testcase.h"

#include <cstdint>
#include <string>

class CAnalog_In_Quality : public CTestCase
{
  PLINTH_DECLARE_SERIAL(CAnalog_In_Quality)

public:
  CAnalog_In_Quality();
  // The prototype of pComponent; anything else is logged and leaves the own fields empty.
  explicit CAnalog_In_Quality(CObject* pComponent);

  // Base fields, then parameter 1 (32 bits) and parameter 2 (string).
  void Serialize(CArchive& ar) override;
  void CopyFrom(const CTestCase* pOther) override;
  // The "Analog_In_Quality Configuration" dialog; 1 accepted, 2 cancelled.
  int Configure() override;
  CTestCase* Clone() const override;
  // Its parameters as conditions, three seconds of logged work, two report lines; passed.
  uint32_t Execute() override;

  int32_t m_nParameter1 = 0;
  std::string m_strParameter2;
};

namespace kestrel {
inline constexpr const char* kQualityName = "Analog_In_Quality";
inline constexpr int32_t kDefaultParameter1 = 32;
inline constexpr const char* kDefaultParameter2 = "Parameter 2";
} // namespace kestrel
