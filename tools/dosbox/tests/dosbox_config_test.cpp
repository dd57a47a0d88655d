#include "dosbox_config.h"
#include "dosbox_window.h"

#include <gtest/gtest.h>

using namespace dosbox;

namespace {

std::string Autoexec(const std::string& text)
{
  return text.substr(text.find("[autoexec]\n") + 11);
}

} // namespace

TEST(DosBoxConfigTest, BootDriveAndMediaInTheAutoexec)
{
  std::string text;
  ASSERT_TRUE(DosBoxConfigText({"/srv/lab/drive c", "/srv/lab/boot.img", 'A'}, text));
  EXPECT_EQ(Autoexec(text), "mount C \"/srv/lab/drive c\"\n"
                            "imgmount A \"/srv/lab/boot.img\" -t floppy\n"
                            "A:\n"
                            "if exist AUTOEXEC.BAT call AUTOEXEC.BAT\n"
                            "exit\n");
  EXPECT_NE(text.find("nosound=true\n"), std::string::npos);

  ASSERT_TRUE(DosBoxConfigText({"/srv/lab/c", "", 'C'}, text));
  EXPECT_EQ(Autoexec(text), "mount C \"/srv/lab/c\"\nC:\nif exist AUTOEXEC.BAT call AUTOEXEC.BAT\n"
                            "exit\n");

  const struct
  {
    const char* label;
    DosBoot boot;
  } refused[] = {
      {"boot from a missing floppy", {"/c", "", 'A'}},
      {"quote in a path", {"/my \"c\"", "", 'C'}},
      {"line break in the image", {"/c", "/a\nexit", 'A'}},
      {"no system root", {"", "/a.img", 'A'}},
      {"drive B", {"/c", "/a.img", 'B'}},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(r.label);
    EXPECT_FALSE(DosBoxConfigText(r.boot, text));
  }
}

TEST(DosBoxWindowTest, RunningProgramFromTheTitle)
{
  const struct
  {
    const char* title;
    const char* program;
  } cases[] = {
      {"DOSBox 0.74-3, Cpu speed:     3000 cycles, Frameskip  0, Program:   DOSBOX", "DOSBOX"},
      {"DOSBox 0.74-3, Cpu speed: max 100% cycles, Frameskip  0, Program:  MEMTEST\n", "MEMTEST"},
      {"DOSBox", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(DosBoxWindow::ProgramInTitle(c.title), c.program);
  }
}
