// The AUTOEXEC.BAT additions and the reboot batch, byte for byte, in both families.
#include "harness/dosstartfiles.h"

#include <gtest/gtest.h>

namespace {

using harness::AutoexecAdditions;
using harness::RebootBatchNamesFor;
using harness::RebootBatchText;
using platform::PlatformFamily;

TEST(DosStartFilesTest, RebootBatchInBothFamilies)
{
  struct Case
  {
    PlatformFamily family;
    const char* expected;
  };
  const Case cases[] = {
      {PlatformFamily::NT,
       "echo REM Created by Redi Devuzad > ~~Marlow.bat\r\n"
       "echo copy ~~Marlow.bat reboot.bat > ~Marlow.bat\r\n"
       "echo echo ------------------------------------------------------->> ~Marlow.bat\r\n"
       "echo echo Reboot utility is being called now.>> ~Marlow.bat\r\n"
       "echo echo When system restarts, remove the floppy from the drive>> ~Marlow.bat\r\n"
       "echo echo ------------------------------------------------------->> ~Marlow.bat\r\n"
       "echo pause>> ~Marlow.bat\r\n"
       "echo reboot.com >> ~Marlow.bat\r\n"
       "~Marlow.bat"},
      {PlatformFamily::Win9x,
       "echo REM Created by Redi Devuzad > C:\\TMP\\~~Marlow.bat\r\n"
       "echo copy C:\\TMP\\~~Marlow.bat C:\\TMP\\~halvex\\reboot.bat > C:\\TMP\\~Marlow.bat\r\n"
       "echo C:\\TMP\\~halvex\\reboot.com >> C:\\TMP\\~Marlow.bat\r\n"
       "C:\\TMP\\~Marlow.bat"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.family == PlatformFamily::NT ? "NT" : "9x");
    EXPECT_EQ(RebootBatchText(c.family, RebootBatchNamesFor(c.family, "C:\\TMP")), c.expected);
  }
}

TEST(DosStartFilesTest, AutoexecAdditionsInBothFamilies)
{
  struct Case
  {
    PlatformFamily family;
    const char* expected;
  };
  const Case cases[] = {
      {PlatformFamily::NT, "\r\n\r\n@ECHO OFF\r\ncall Marlow.bat\r\ncall reboot.bat\r\n"},
      {PlatformFamily::Win9x, "\r\n"
                              "call C:\\TMP\\~halvex\\Marlow.bat\r\n"
                              "call C:\\TMP\\~halvex\\reboot.bat\r\n"
                              "copy C:\\CONFIG.BAK C:\\CONFIG.SYS\r\n"
                              "del C:\\CONFIG.BAK\r\n"
                              "copy C:\\AUTOEXEC.BAK C:\\AUTOEXEC.BAT\r\n"
                              "del C:\\AUTOEXEC.BAK\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.family == PlatformFamily::NT ? "NT" : "9x");
    EXPECT_EQ(AutoexecAdditions(c.family, "C:\\TMP", "C:\\"), c.expected);
  }
}

} // namespace
