// Filling the seed's placeholders.
#include "seedtext.h"

#include <gtest/gtest.h>

namespace {

using firststart::FillSeed;
using firststart::SeedFolders;

const SeedFolders kFolders{"/opt/halvex", "/home/ann/.local/share", "/home/ann/.config"};

TEST(SeedTextTest, PlaceholdersBecomeTheirFolders)
{
  struct Case
  {
    const char* name;
    std::string seed;
    SeedFolders folders;
    std::string expected;
  };
  const Case cases[] = {
      {"no placeholder", "\"a\"=\"b\"\n", kFolders, "\"a\"=\"b\"\n"},
      {"all three", "%INSTALLATION%|%USERDATA%/x|%USERCONFIG%", kFolders,
       "/opt/halvex|/home/ann/.local/share/x|/home/ann/.config"},
      {"twice", "%INSTALLATION%%INSTALLATION%", kFolders, "/opt/halvex/opt/halvex"},
      {"quote and backslash escaped",
       "\"%USERDATA%\"",
       {"", "/home/o\"neil\\x", ""},
       "\"/home/o\\\"neil\\\\x\""},
      {"other percent signs kept", "100% %d% %% 5%", kFolders, "100% %d% %% 5%"},
      {"percent right before one", "100%%INSTALLATION%", kFolders, "100%/opt/halvex"},
      {"unclosed", "%INSTALLATION", kFolders, "%INSTALLATION"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text = "unchanged";
    std::string error;
    EXPECT_TRUE(FillSeed(c.seed, c.folders, text, error)) << error;
    EXPECT_EQ(text, c.expected);
  }
}

TEST(SeedTextTest, UnknownPlaceholdersAndLineBreaksAreRefused)
{
  struct Case
  {
    const char* name;
    std::string seed;
    SeedFolders folders;
    std::string error;
  };
  const Case cases[] = {
      {"unknown", "\"a\"=\"%HOME%\"", kFolders, "unknown placeholder %HOME%"},
      {"line break", "%USERDATA%", {"", "/home/a\nb", ""}, "line break"},
      {"carriage return", "%USERCONFIG%", {"", "", "/home/a\rb"}, "line break"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text = "unchanged";
    std::string error;
    EXPECT_FALSE(FillSeed(c.seed, c.folders, text, error));
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_EQ(text, "unchanged");
  }
}

} // namespace
