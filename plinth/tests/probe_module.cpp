// A plug-in module for the tests: defines CPluginCase, which joins the class registry when the
// module is loaded and leaves it when the module is unloaded.
#include "plinth/archive.h"
#include "plinth/testcase.h"

class CPluginCase : public CTestCase
{
  PLINTH_DECLARE_SERIAL(CPluginCase)

public:
  CPluginCase() { m_strClassName = "Probe Component"; }
  void Serialize(CArchive& ar) override
  {
    CTestCase::Serialize(ar);
    if (ar.IsStoring()) {
      ar << m_strPayload;
    } else {
      ar >> m_strPayload;
    }
  }
  std::string m_strPayload = "payload";
};

PLINTH_IMPLEMENT_SERIAL(CPluginCase, CTestCase, 1)
