// The offscreen application and event-loop helpers for the harness's window tests.
#pragma once

#include "halvexapp.h"
#include "testsupport/hostsupport.h"
#include "testsupport/offscreen.h"
#include "testsupport/tempfolder.h"

namespace harness::test {

using testsupport::BuildBinFolder;
using testsupport::ProcessEventsUntil;
using testsupport::TestApplication;

} // namespace harness::test
