// The string table and the message formatter.
#include "skeleton/strings.h"

#include <gtest/gtest.h>

using components::FormatMessageText;
using components::LoadComponentString;

TEST(ComponentStrings, TableHoldsEntriesTwoToNine)
{
  EXPECT_EQ(LoadComponentString(2), "halvex.ini");
  EXPECT_EQ(LoadComponentString(7),
            "ERROR 0012: Null component object found in the component list.");
  EXPECT_EQ(LoadComponentString(8),
            "ERROR 0013: Invalid component object found in the component list.");
  EXPECT_EQ(LoadComponentString(1), "");
  EXPECT_EQ(LoadComponentString(10), "");
  EXPECT_EQ(FormatMessageText(LoadComponentString(9), {"2"}),
            "\"ERROR 0009: Unable to start the results file viewer application, error code 2.\"\n");
  // Entries 3 and 4 keep their quote marks and line end.
  EXPECT_EQ(LoadComponentString(3).front(), '"');
  EXPECT_EQ(LoadComponentString(3).substr(LoadComponentString(3).size() - 2), "\"\n");
  EXPECT_EQ(LoadComponentString(4).substr(0, 2), " \"");
}

TEST(ComponentStrings, FileErrorEntries)
{
  EXPECT_EQ(LoadComponentString(2019), "");
  EXPECT_EQ(LoadComponentString(2020), "ERROR 0020: The file could not be located.");
  EXPECT_EQ(LoadComponentString(2021), "ERROR 0021: All or part of the path  is invalid.");
  EXPECT_EQ(LoadComponentString(2027),
            "ERROR 0027: Share.exe was not loaded, or a shared region was locked.");
  EXPECT_EQ(LoadComponentString(2034), "ERROR 0034: Unknown file exception cause.");
  EXPECT_EQ(FormatMessageText(LoadComponentString(2035), {"", "A.BAT", "5"}),
            ": Filename: A.BAT, Error code 5.");
  EXPECT_EQ(LoadComponentString(2036), "");
}

TEST(ComponentStrings, FormatsInserts)
{
  const struct
  {
    std::string pattern;
    std::vector<std::string> args;
    std::string expected;
  } cases[] = {
      {"Invalid TestSuite: -  .ini file: %1-",
       {"/d/a.ini"},
       "Invalid TestSuite: -  .ini file: /d/a.ini-"},
      {"Invalid TestCase: -  .ini file: %1 - ",
       {"/d/a.ini"},
       "Invalid TestCase: -  .ini file: /d/a.ini - "},
      {"key \"%1!s!\", error code = %2!d!.", {"K", "2"}, "key \"K\", error code = 2."},
      {"%2 before %1", {"a", "b"}, "b before a"},
      {"100%% and %3 stays", {"a"}, "100% and %3 stays"},
      {"trailing %", {}, "trailing %"},
      {"%1!s without end", {"x"}, "x!s without end"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(FormatMessageText(c.pattern, c.args), c.expected);
  }
}

TEST(ComponentStrings, RegistryErrorTextAsShown)
{
  EXPECT_EQ(FormatMessageText(LoadComponentString(3), {"SOFTWARE\\X", "2"}),
            "\"ERROR 0004: Could not read registry key \"SOFTWARE\\X\", error code = 2.\"\n");
  EXPECT_EQ(FormatMessageText(LoadComponentString(4), {"/opt/bin/halvex.ini"}),
            " \"ERROR 0015: Could not read the registry key from the file /opt/bin/halvex.ini. "
            "Please make sure that this file is in the same folder as the halvex.exe file.\"\n");
}
