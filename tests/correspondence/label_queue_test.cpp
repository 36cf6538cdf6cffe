#include "correspondence/label_queue.h"

#include <gtest/gtest.h>

namespace tf::correspondence {
namespace {

TEST(LabelQueue, EveryChangeSetsTheFlagAndClearingResetsIt) {
  LabelQueue q;
  EXPECT_FALSE(q.Unsaved());
  q.Add({"2", "Beta", "B", "Retail"});
  q.Add({"10", "Alpha", "C", "Trade"});
  q.Add({"2", "Beta", "B", "Retail"});  // duplicates are allowed
  EXPECT_EQ(q.Size(), 3u);
  EXPECT_TRUE(q.Unsaved());
  q.SetUnsaved(false);  // printed
  q.SortByColumn(1);
  EXPECT_TRUE(q.Unsaved());
  EXPECT_EQ(q.Entries()[0].CustomerName, "Alpha");
  q.SortByColumn(0);  // as text: "10" before "2"
  EXPECT_EQ(q.Entries()[0].CustomerNumber, "10");
  q.SetUnsaved(false);
  q.Remove(7);  // no such row: nothing changes
  EXPECT_FALSE(q.Unsaved());
  q.Remove(0);
  EXPECT_EQ(q.Size(), 2u);
  EXPECT_TRUE(q.Unsaved());
  q.Clear();
  EXPECT_EQ(q.Size(), 0u);
  EXPECT_FALSE(q.Unsaved());
}

}  // namespace
}  // namespace tf::correspondence
