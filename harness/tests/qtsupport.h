// The offscreen application and event-loop helpers for the harness's window tests.
#pragma once

#include "halvexapp.h"
#include "qtprompts.h"
#include "testsupport/hostsupport.h"
#include "testsupport/offscreen.h"
#include "testsupport/tempfolder.h"

namespace harness::test {

using testsupport::BuildBinFolder;
using testsupport::ProcessEventsUntil;
using testsupport::TestApplication;

// An application on the build tree's resource libraries that answers every box at once, with
// its log, results and suites in `folder`. False when the resource libraries do not load.
inline bool PrepareApp(CHalvexApp& app, const testsupport::TempFolder& folder)
{
  app.QtPrompts().SetUnattended(true);
  if (!app.LoadResourceLibraries(BuildBinFolder()))
    return false;
  app.m_settings.m_strLogFilePath = folder.File("log.txt");
  app.m_settings.m_strResultsFilePath = folder.File("results.txt");
  app.m_settings.m_strDefaultLoggingFolder = folder.Path();
  app.m_settings.m_strTestSuitesFolder = folder.Path();
  return true;
}

} // namespace harness::test
