// The parts a run is made of: the status panel's operations, the run's item list as Marlow's
// exports walk it, the results file lines a collection pass copies, and the user-interface
// calls from another thread.
#include "harness/resultsfile.h"
#include "harness/runitemlist.h"
#include "harness/runstatusbar.h"
#include "harness/uicalls.h"
#include "runfixture.h"

#include <thread>

namespace harness::test {
namespace {

TEST(RunStatusBar, OperationsShowAndKeepTheirValues)
{
  const StringTable strings = HarnessStrings();
  std::atomic<RunState> state{RunState::Idle};
  CRunBookkeeping run;
  FieldTexts fields;
  CRunStatusBar status(state, run, strings);
  status.SetFields(&fields);
  std::vector<std::pair<unsigned, std::string>> logged;
  status.SetLog([&](unsigned level, const std::string& text) { logged.emplace_back(level, text); });
  std::vector<RunState> told;
  status.SetStateListener([&](RunState s) { told.push_back(s); });
  for (int value = 1; value <= 8; ++value) {
    SCOPED_TRACE(value);
    logged.clear();
    const auto s = static_cast<RunState>(value);
    status.SetRunState(s);
    EXPECT_EQ(state.load(), s);
    EXPECT_EQ(fields.texts[kStatusRunStateField], RunStateText(strings, s));
    const bool isLogged = value == 2 || value == 4 || value == 7;
    EXPECT_EQ(logged.size(), isLogged ? 1u : 0u);
    if (isLogged) {
      EXPECT_EQ(logged[0], std::make_pair(3u, RunStateText(strings, s)));
    }
  }
  EXPECT_EQ(told.size(), 8u);
  status.ShowProgress(2, 9);
  EXPECT_EQ(run.m_nCurrentRun, 2);
  EXPECT_EQ(run.m_nTotalRuns, 9);
  EXPECT_EQ(fields.texts[kStatusProgressField], ProgressText(strings, 2, 9));
  status.ShowFailureCount(4);
  status.CountFailure();
  EXPECT_EQ(run.m_nFailedRuns, 5);
  EXPECT_EQ(fields.texts[kStatusFailuresField], "5");
  status.ShowTestCaseLabel("Boot");
  EXPECT_EQ(status.FieldText(kStatusTestCaseField), "Boot");
  for (unsigned level : {0u, 1u, 2u, 3u, 4u}) {
    SCOPED_TRACE(level);
    status.ShowLoggingLevel(level);
    EXPECT_EQ(fields.texts[kStatusLoggingLevelField], LoggingLevelText(strings, level));
  }
  status.Reset(2);
  EXPECT_EQ(fields.texts[kStatusTestCaseField], "");
  EXPECT_EQ(state.load(), RunState::Idle);
  EXPECT_EQ(fields.texts[kStatusLoggingLevelField], LoggingLevelText(strings, 2));
  EXPECT_EQ(run.m_nCurrentRun, 0);
  EXPECT_EQ(run.m_nTotalRuns, 0);
  EXPECT_EQ(run.m_nFailedRuns, 0);
  EXPECT_EQ(fields.texts[kStatusFailuresField], "0");
}

TEST(RunItemList, WalksEveryOrTheSelectedItems)
{
  CTestCase a, b, c;
  const CRunItemList list({{0, &a, false}, {1, &b, true}, {2, &c, true}});
  struct Case
  {
    unsigned flags;
    int after;
    int next;
  } cases[] = {{kListNextAll, -1, 0},      {kListNextAll, 0, 1},      {kListNextAll, 2, -1},
               {kListNextSelected, -1, 1}, {kListNextSelected, 1, 2}, {kListNextSelected, 2, -1},
               {kListNextAll, -7, 0},      {kListNextAll, 9, -1}};
  for (const Case& x : cases) {
    SCOPED_TRACE(::testing::Message() << x.flags << " after " << x.after);
    EXPECT_EQ(list.GetNextItem(x.after, x.flags), x.next);
  }
  EXPECT_EQ(list.GetItemTestCase(1), &b);
  EXPECT_EQ(list.GetItemTestCase(3), nullptr);
  EXPECT_EQ(list.GetItemTestCase(-1), nullptr);
  EXPECT_EQ(list.ItemsOf(kListNextSelected).size(), 2u);
  EXPECT_EQ(list.ItemsOf(kListNextAll).size(), 3u);
}

TEST(ResultsFile, LinesReadBackAndTheLinesACollectionPassCopies)
{
  TempFolder folder;
  folder.Write("results.txt", "one\r\ntwo\r\nthree");
  std::vector<std::string> lines;
  ASSERT_EQ(ReadResultLines(folder.File("results.txt"), lines), 0);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three"}));
  ASSERT_EQ(ReadResultLines(folder.File("new.txt"), lines), 0); // made when missing
  EXPECT_TRUE(lines.empty());
  EXPECT_TRUE(std::filesystem::exists(folder.File("new.txt")));
  EXPECT_NE(ReadResultLines(folder.File("no/such/folder.txt"), lines), 0);

  auto numbered = [](std::size_t count) {
    std::vector<std::string> all;
    for (std::size_t k = 1; k <= count; ++k)
      all.push_back(std::to_string(k));
    return all;
  };
  struct Case
  {
    std::size_t total;
    std::size_t before;
    std::size_t first; // first line copied (0: none)
    std::size_t count;
  } cases[] = {
      {10, 4, 9, 2},   // a short file: from before + 5 on
      {50, 40, 45, 6}, // still short
      {8, 4, 0, 0},    // fewer new lines than the offset
      {80, 70, 74, 7}, // long: from before + 4 on
      {80, 10, 30, 51} // long: only the last 51
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.total << "/" << c.before);
    const auto copied = NewResultLines(numbered(c.total), c.before);
    ASSERT_EQ(copied.size(), c.count);
    if (c.count != 0) {
      EXPECT_EQ(copied.front(), std::to_string(c.first));
      EXPECT_EQ(copied.back(), std::to_string(c.total));
    }
  }
}

TEST(UiCalls, AWorkerWaitsForItsCallOnTheOwningThread)
{
  platform::PlainDispatcher dispatcher;
  CUiCalls ui;
  const std::thread::id owner = std::this_thread::get_id();
  std::thread::id ranOn;
  std::atomic<bool> made{false};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    made = ui.Call([&] { ranOn = std::this_thread::get_id(); });
    done = true;
    dispatcher.Wake();
  });
  ASSERT_TRUE(dispatcher.RunUntil([&] { return done.load(); }, std::chrono::seconds(10)));
  worker.join();
  EXPECT_TRUE(made.load());
  EXPECT_EQ(ranOn, owner);
  // On the owning thread the call is made at once.
  int here = 0;
  EXPECT_TRUE(ui.Call([&] { ++here; }));
  EXPECT_EQ(here, 1);
  // Closed: refused at once, from any thread.
  ui.Close();
  EXPECT_FALSE(ui.Call([&] { ++here; }));
  std::thread late([&] { made = ui.Call([&] { ++here; }); });
  late.join();
  EXPECT_FALSE(made.load());
  EXPECT_EQ(here, 1);
}

} // namespace
} // namespace harness::test
