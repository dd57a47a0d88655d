#include "platform/desktop_entry.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(DesktopEntryTest, StringValuesEscapeAndComeBack)
{
  const struct
  {
    const char* text;
    const char* value;
  } cases[] = {
      {"plain", "plain"},
      {" leading", "\\sleading"},
      {"a b", "a b"},
      {"back\\slash", "back\\\\slash"},
      {"line\nfeed\ttab\rcr", "line\\nfeed\\ttab\\rcr"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(EscapeDesktopValue(c.text), c.value);
    EXPECT_EQ(UnescapeDesktopValue(c.value), c.text);
  }
  EXPECT_EQ(UnescapeDesktopValue("keep \\q and end\\"), "keep \\q and end\\");
}

TEST(DesktopEntryTest, ExecQuotingAsTheSpecificationWritesIt)
{
  const struct
  {
    std::vector<std::string> words;
    const char* exec;
  } cases[] = {
      {{"/opt/halvex/bin/halvex", "/home/x/suite.ts"}, "/opt/halvex/bin/halvex /home/x/suite.ts"},
      {{"/opt/my halvex/halvex", "My Suite.ts"}, "\"/opt/my halvex/halvex\" \"My Suite.ts\""},
      {{"prog", ""}, "prog \"\""},
      {{"prog", "100%"}, "prog 100%%"},
      {{"prog", "a \"b\" $c `d`"}, "prog \"a \\\\\"b\\\\\" \\\\$c \\\\`d\\\\`\""},
      {{"prog", "C:\\X.TS"}, "prog \"C:\\\\\\\\X.TS\""},
      {{"prog", "two\nlines"}, "prog \"two\\nlines\""},
      {{"prog", "~/x", "a;b", "(x)", "*"}, "prog \"~/x\" \"a;b\" \"(x)\" \"*\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exec);
    EXPECT_EQ(DesktopExecValue(c.words), c.exec);
    std::vector<std::string> words;
    ASSERT_TRUE(SplitDesktopExecValue(c.exec, "Name", "/entry.desktop", words));
    EXPECT_EQ(words, c.words);
  }
}

TEST(DesktopEntryTest, FieldCodesAreExpandedOrDropped)
{
  std::vector<std::string> words;
  ASSERT_TRUE(SplitDesktopExecValue("prog %f %U --name %c --file %k \"%k\" 50%% %i", "Start X",
                                    "/a/b.desktop", words));
  EXPECT_EQ(words, (std::vector<std::string>{"prog", "--name", "Start X", "--file", "/a/b.desktop",
                                             "%k", "50%"}));
  EXPECT_FALSE(SplitDesktopExecValue("prog \"open quote", "", "", words));
  EXPECT_TRUE(words.empty());
}

TEST(DesktopEntryTest, OnlyTheDesktopEntryGroupIsRead)
{
  const std::string text = "# comment\n"
                           "[Desktop Entry]\r\n"
                           "Type=Application\n"
                           "Name = Start HALVEX Exe\n"
                           "Name[de]=Halvex starten\n"
                           "Exec=a=b c\n"
                           "Type=Link\n"
                           "\n"
                           "[Desktop Action new]\n"
                           "Exec=other\n"
                           "[Desktop Entry]\n"
                           "Hidden=true\n";
  std::map<std::string, std::string> keys;
  ASSERT_TRUE(ReadDesktopEntryGroup(text, keys));
  EXPECT_EQ(keys, (std::map<std::string, std::string>{{"Type", "Application"},
                                                      {"Name", "Start HALVEX Exe"},
                                                      {"Name[de]", "Halvex starten"},
                                                      {"Exec", "a=b c"}}));
  EXPECT_FALSE(ReadDesktopEntryGroup("[Other]\nExec=x\n", keys));
  EXPECT_TRUE(keys.empty());
}
