// A file block of 100,000 entries scrolled end to end: the page always holds consecutive
// entries and every move reads only the rows that come into view.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/browse/browse_fixture.h"

namespace tf::browse::testing {
namespace {

constexpr int kEntries = 100000;
constexpr int kRows = 20;

std::string Code(int n) {
  char code[16];
  std::snprintf(code, sizeof code, "K%06d", n);
  return code;
}

class BrowseLargeTest : public BrowseTest {
 protected:
  void SetUp() override {
    BrowseTest::SetUp();
    unsigned char rec[kRecordLength] = {};
    for (int n = 1; n <= kEntries; ++n) {
      const std::string code = Code(n);
      Put(rec, code, "N");
      int32_t ref = 0;
      AddRecord(fb, ref, rec);
      AddKey(fb, 1, ref, code);
      AddKey(fb, 2, ref, "N");
      ASSERT_TRUE(EngineOK) << EngineStatus << " at " << n;
    }
  }

  // The page holds kRows consecutive entries starting at `first`.
  ::testing::AssertionResult PageStartsAt(int first) const {
    if (model.RowsFilled() != kRows) return ::testing::AssertionFailure() << model.RowsFilled() << " rows";
    for (int r = 1; r <= kRows; ++r)
      if (model.Row(r).Key != Code(first + r - 1) || model.Row(r).Ref != first + r - 1)
        return ::testing::AssertionFailure() << "row " << r << " is " << model.Row(r).Key;
    return ::testing::AssertionSuccess();
  }
};

TEST_P(BrowseLargeTest, ScrollingEndToEndReadsEachRecordOnce) {
  EXPECT_EQ(ReadsOf([&] { Show(kRows); }), kRows);
  ASSERT_TRUE(PageStartsAt(1));

  // Page by page to the end: every entry read exactly once.
  int pages = 0;
  const int reads = ReadsOf([&] {
    while (model.Row(kRows).Key != Code(kEntries)) {
      model.PageDown();
      ++pages;
      if (!PageStartsAt(1 + pages * kRows)) break;
    }
  });
  ASSERT_TRUE(PageStartsAt(kEntries - kRows + 1));
  EXPECT_EQ(pages, kEntries / kRows - 1);
  EXPECT_EQ(reads, kEntries - kRows);

  // Line by line back to the top: one record per row that scrolls in.
  const int upReads = ReadsOf([&] {
    for (int i = 1; i < kEntries; ++i) model.LineUp();
  });
  EXPECT_EQ(upReads, kEntries - kRows);
  EXPECT_TRUE(PageStartsAt(1));
  EXPECT_EQ(model.CurrentRow(), 1);
  EXPECT_EQ(model.ScrollPosition(), 0);

  EXPECT_EQ(ReadsOf([&] { model.LastPage(); }), kRows);
  EXPECT_TRUE(PageStartsAt(kEntries - kRows + 1));
  EXPECT_EQ(model.CurrentRow(), kRows);
  EXPECT_EQ(model.ScrollPosition(), BrowseModel::kScrollScale);
  EXPECT_EQ(ReadsOf([&] { model.FirstPage(); }), kRows);
  EXPECT_TRUE(PageStartsAt(1));
}

TEST_P(BrowseLargeTest, TheThumbPositionsAcrossTheWholeIndex) {
  Show(kRows);
  std::string previous;
  for (uint16_t pos = 0; pos <= BrowseModel::kScrollScale; ++pos) {
    SCOPED_TRACE(pos);
    EXPECT_EQ(ReadsOf([&] { model.ScrollTo(pos); }), kRows);
    EXPECT_GE(model.CurrentKey(), previous);
    previous = model.CurrentKey();
    // The thumb lands close to where it was dropped.
    const int shown = model.ScrollPosition();
    EXPECT_LE(std::abs(shown - int(pos)), 2) << model.CurrentKey();
  }
  model.ScrollTo(0);
  EXPECT_TRUE(PageStartsAt(1));
  model.ScrollTo(BrowseModel::kScrollScale);
  EXPECT_TRUE(PageStartsAt(kEntries - kRows + 1));
  EXPECT_EQ(model.CurrentKey(), Code(kEntries));
}

TF_POOL_SIZES(BrowseLargeTest);

}  // namespace
}  // namespace tf::browse::testing
