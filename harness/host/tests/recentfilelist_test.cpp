// The recently used file list: order, the limit of four, and its round trip through a store.
#include "harness/recentfilelist.h"
#include "mapstore.h"

#include <gtest/gtest.h>

namespace harness::test {
namespace {

const std::string kRoot = "SOFTWARE\\Orvane\\Halvex";

TEST(RecentFileListTest, NewestFirstAtMostFourWithoutRepeats)
{
  struct Case
  {
    const char* what;
    std::vector<std::string> added;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"one", {"/s/a.ts"}, {"/s/a.ts"}},
      {"newest first", {"/s/a.ts", "/s/b.ts"}, {"/s/b.ts", "/s/a.ts"}},
      {"again moves up", {"/s/a.ts", "/s/b.ts", "/s/a.ts"}, {"/s/a.ts", "/s/b.ts"}},
      {"fifth drops the oldest",
       {"/s/1.ts", "/s/2.ts", "/s/3.ts", "/s/4.ts", "/s/5.ts"},
       {"/s/5.ts", "/s/4.ts", "/s/3.ts", "/s/2.ts"}},
      {"letter case is another file", {"/s/a.ts", "/s/A.ts"}, {"/s/A.ts", "/s/a.ts"}},
      {"empty path ignored", {"", "/s/a.ts", ""}, {"/s/a.ts"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CRecentFileList list;
    for (const std::string& path : c.added)
      list.Add(path);
    EXPECT_EQ(list.Entries(), c.expected);
    EXPECT_LE(list.Entries().size(), CRecentFileList::kMaxEntries);
  }
}

TEST(RecentFileListTest, RemoveTakesOnlyThatEntry)
{
  CRecentFileList list;
  for (const char* path : {"/s/a.ts", "/s/b.ts", "/s/c.ts"})
    list.Add(path);
  EXPECT_TRUE(list.Remove("/s/b.ts"));
  EXPECT_FALSE(list.Remove("/s/b.ts"));
  EXPECT_EQ(list.Entries(), (std::vector<std::string>{"/s/c.ts", "/s/a.ts"}));
}

TEST(RecentFileListTest, SavedListLoadsBackAndShrinkingClearsOldSlots)
{
  MapStore store;
  CRecentFileList list;
  for (const char* path : {"/s/1.ts", "/s/2.ts", "/s/3.ts", "/s/4.ts"})
    list.Add(path);
  ASSERT_TRUE(list.Save(store, kRoot));
  EXPECT_EQ(store.strings[RecentFileListKey(kRoot) + "|File1"], "/s/4.ts");

  CRecentFileList loaded;
  ASSERT_TRUE(loaded.Load(store, kRoot));
  EXPECT_EQ(loaded.Entries(), list.Entries());

  loaded.Remove("/s/4.ts");
  loaded.Remove("/s/1.ts");
  ASSERT_TRUE(loaded.Save(store, kRoot));
  CRecentFileList again;
  ASSERT_TRUE(again.Load(store, kRoot));
  EXPECT_EQ(again.Entries(), (std::vector<std::string>{"/s/3.ts", "/s/2.ts"}));
}

TEST(RecentFileListTest, MissingKeyAndFailedWritesAreReported)
{
  MapStore store;
  CRecentFileList list;
  list.Add("/s/kept.ts");
  EXPECT_FALSE(list.Load(store, kRoot));
  EXPECT_TRUE(list.Entries().empty());

  list.Add("/s/a.ts");
  store.failing.insert("File1");
  EXPECT_FALSE(list.Save(store, kRoot));
  // A repeated entry in the store shows once.
  store.failing.clear();
  store.keys.insert(RecentFileListKey(kRoot));
  store.strings[RecentFileListKey(kRoot) + "|File1"] = "/s/a.ts";
  store.strings[RecentFileListKey(kRoot) + "|File3"] = "/s/a.ts";
  ASSERT_TRUE(list.Load(store, kRoot));
  EXPECT_EQ(list.Entries(), std::vector<std::string>{"/s/a.ts"});
}

} // namespace
} // namespace harness::test
