// tlPromptLog's options dialog in a running Qt application (offscreen platform).
#include "ntlog_module.h"

#include <gmock/gmock.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QTimer>

#include <cstdlib>
#include <functional>

namespace {

// Acts on the dialog once it is shown.
void WhenDialogShows(std::function<void(QDialog*)> act)
{
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    act(dialog);
  });
}

class NtLogPromptTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_NE(nt.module, nullptr);
    unsetenv("HALVEX_UNATTENDED");
    log = nt.tlCreateLog_A(temp.File("prompt.log").c_str(), 0x1FFFF);
    ASSERT_NE(log, nullptr);
  }
  void TearDown() override
  {
    nt.tlDestroyLog(log);
    unsetenv("HALVEX_UNATTENDED");
  }
  std::uint32_t Flags()
  {
    tlLogInfo info{};
    nt.tlGetLogInfo(log, &info);
    return info.flags;
  }

  NtLogModule nt;
  TempFolder temp;
  HLOG log = nullptr;
};

TEST_F(NtLogPromptTest, ConfirmedOptionsChangeTheLevelMask)
{
  bool sawBoxes = false;
  WhenDialogShows([&](QDialog* dialog) {
    auto* passes = dialog->findChild<QCheckBox*>("pass");
    auto* info = dialog->findChild<QCheckBox*>("info");
    ASSERT_TRUE(passes && info);
    sawBoxes = passes->isChecked() && info->isChecked();
    passes->setChecked(false);
    dialog->accept();
  });
  EXPECT_EQ(nt.tlPromptLog(nullptr, log), 1);
  EXPECT_TRUE(sawBoxes);
  EXPECT_EQ(Flags(), 0x1FFFFu & ~0x20u);
}

TEST_F(NtLogPromptTest, CancelKeepsTheOptions)
{
  WhenDialogShows([](QDialog* dialog) {
    dialog->findChild<QCheckBox*>("warn")->setChecked(false);
    dialog->reject();
  });
  EXPECT_EQ(nt.tlPromptLog(nullptr, log), 0);
  EXPECT_EQ(Flags(), 0x1FFFFu);
}

TEST_F(NtLogPromptTest, UnattendedRunsShowNoDialog)
{
  setenv("HALVEX_UNATTENDED", "1", 1);
  bool shown = false;
  QTimer::singleShot(0, [&] { shown = QApplication::activeModalWidget() != nullptr; });
  EXPECT_EQ(nt.tlPromptLog(nullptr, log), 0);
  QCoreApplication::processEvents();
  EXPECT_FALSE(shown);
  EXPECT_EQ(Flags(), 0x1FFFFu);
}

} // namespace

int main(int argc, char** argv)
{
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
