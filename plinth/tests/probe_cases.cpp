#include "probe_cases.h"

PLINTH_IMPLEMENT_SERIAL(CProbeCase, CTestCase, 1)
PLINTH_IMPLEMENT_SERIAL(CSchemaTwoCase, CTestCase, 2)
