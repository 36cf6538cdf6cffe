// The browser's page: positioning, line and page moves, letter jumps, refresh after changes,
// resizing, switching the index and the scroll-bar mapping, counting the records read.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/browse/browse_fixture.h"

namespace tf::browse::testing {
namespace {

class BrowseModelTest : public BrowseTest {};

TEST_P(BrowseModelTest, WithoutASourceEverythingIsInert) {
  EXPECT_EQ(model.KeyNumber(), 65535);
  bool unchanged = true;
  EXPECT_EQ(model.ReadCurrentRecord(unchanged), 5);
  EXPECT_FALSE(unchanged);
  model.LineDown();
  model.PageDown();
  model.LastPage();
  model.GoToKey("A", 0);
  model.Refresh();
  model.ScrollTo(30);
  model.SetKeyNumber(2);
  EXPECT_EQ(model.CurrentRef(), 0);
  EXPECT_EQ(model.CurrentKey(), "");
  EXPECT_EQ(model.RowsFilled(), 0);
  EXPECT_EQ(model.ScrollPosition(), 0);
}

TEST_P(BrowseModelTest, EmptyFileBlockShowsNoRows) {
  Show(5);
  EXPECT_EQ(model.RowsFilled(), 0);
  EXPECT_EQ(model.CurrentRow(), 0);
  EXPECT_EQ(model.CurrentRef(), 0);
  EXPECT_EQ(model.CurrentKey(), "");
  EXPECT_EQ(model.KeyNumber(), 1);
  bool unchanged = true;
  EXPECT_NE(model.ReadCurrentRecord(unchanged), 0);
  model.LineDown();
  model.LineUp();
  model.PageDown();
  model.PageUp();
  model.LastPage();
  model.GoToKey("M", 0);
  EXPECT_TRUE(model.TypeChar('+'));
  model.ScrollTo(40);
  EXPECT_EQ(model.RowsFilled(), 0);
  EXPECT_EQ(model.ScrollPosition(), 0);
  EXPECT_EQ(calls.gets, 0);
}

TEST_P(BrowseModelTest, FirstPageReadsOnlyTheVisibleRows) {
  AddLetters("ABC", 3);
  Show(4);
  EXPECT_EQ(Page(), "[A1] A2 A3 B1");
  EXPECT_EQ(calls.gets, 4);
  EXPECT_EQ(model.Row(1).Row, "A1 N");
  EXPECT_EQ(model.CurrentRef(), 1);
  EXPECT_EQ(model.CurrentKey(), "A1");
}

struct GoToCase {
  int downs;  // Down presses from the first page before the jump
  const char* key;
  const char* page;
};

TEST_P(BrowseModelTest, GoToKeyPlacesTheTargetOnTheCurrentScreenRow) {
  AddLetters("ABC", 3);
  const std::vector<GoToCase> cases = {
      {0, "B1", "[B1] B2 B3 C1"},
      {0, "B", "[B1] B2 B3 C1"},
      {0, "ZZ", "B3 C1 C2 [C3]"},  // beyond the last entry: the last page
      {2, "B2", "A3 B1 [B2] B3"},
      {2, "A2", "A1 [A2] A3 B1"},  // too few entries above: the target moves up
      {2, "C2", "B3 C1 [C2] C3"},
      {1, "C3", "B3 C1 C2 [C3]"},  // too few below: filled upwards
  };
  for (const GoToCase& c : cases) {
    SCOPED_TRACE(c.key);
    Show(4);
    for (int i = 0; i < c.downs; ++i) model.LineDown();
    EXPECT_EQ(ReadsOf([&] { model.GoToKey(c.key, 0); }), 4);
    EXPECT_EQ(Page(), c.page);
  }
}

struct JumpCase {
  unsigned char typed;
  bool handled;
  const char* page;
};

TEST_P(BrowseModelTest, TypedCharactersJumpToTheFirstEntryAtOrAfterThem) {
  AddLetters("ABCEF", 2);  // no D
  const std::vector<JumpCase> cases = {
      {'C', true, "[C1] C2 E1"},
      {'D', true, "[E1] E2 F1"},
      {'1', true, "[A1] A2 B1"},   // digits sort before letters
      {'z', true, "E2 F1 [F2]"},   // lower case sorts after every upper-case key
      {0xC4, true, "E2 F1 [F2]"},  // an umlaut sorts after ASCII
      {0xDF, true, "E2 F1 [F2]"},
      {'#', false, "B1 [B2] C1"},
      {0xE9, false, "B1 [B2] C1"},
  };
  for (const JumpCase& c : cases) {
    SCOPED_TRACE(int(c.typed));
    Show(3);
    model.GoToKey("B1", 0);
    model.LineDown();
    EXPECT_EQ(model.TypeChar(c.typed), c.handled);
    if (c.handled) {
      model.FirstPage();
      model.TypeChar(c.typed);
    }
    EXPECT_EQ(Page(), c.page);
  }
}

TEST_P(BrowseModelTest, RefreshAfterDeletingTheCurrentRecordShowsTheNextInItsPlace) {
  AddLetters("AB", 3);  // refs: A1 1, A2 2, A3 3, B1 4, B2 5, B3 6
  Show(4);
  model.LineDown();
  Remove(2, "A2");
  model.Refresh();
  EXPECT_EQ(Page(), "A1 [A3] B1 B2");
  EXPECT_FALSE(model.Row(1).Changed);
  EXPECT_TRUE(model.Row(2).Changed);

  model.LastPage();
  EXPECT_EQ(Page(), "A3 B1 B2 [B3]");
  Remove(6, "B3");
  model.Refresh();
  EXPECT_EQ(Page(), "A1 A3 B1 [B2]");

  Remove(1, "A1");
  Remove(3, "A3");
  Remove(4, "B1");
  Remove(5, "B2");
  model.Refresh();
  EXPECT_EQ(model.RowsFilled(), 0);
  EXPECT_EQ(model.CurrentRef(), 0);
  Add("C1");
  EXPECT_TRUE(model.TypeChar('+'));
  EXPECT_EQ(Page(), "[C1]");
}

TEST_P(BrowseModelTest, RefreshShowsAddedAndChangedRows) {
  AddLetters("A", 3);
  Show(4);
  model.LineDown();
  Add("A15");
  Rewrite(3, "A3", "NEW");
  model.Refresh();
  EXPECT_EQ(Page(), "A1 [A15] A2 A3");
  EXPECT_EQ(model.Row(4).Row, "A3 NEW");
}

TEST_P(BrowseModelTest, OneRowWindowStillMovesOneEntryAtATime) {
  AddLetters("AB", 3);
  Show(1);
  EXPECT_EQ(Page(), "[A1]");
  for (const char* next : {"A2", "A3", "B1", "B2", "B3"}) {
    EXPECT_EQ(ReadsOf([&] { model.LineDown(); }), 1);
    EXPECT_EQ(Page(), std::string("[") + next + "]");
  }
  EXPECT_EQ(ReadsOf([&] { model.LineDown(); }), 0);
  EXPECT_EQ(Page(), "[B3]");
  model.LineUp();
  EXPECT_EQ(Page(), "[B2]");
  model.PageDown();
  EXPECT_EQ(Page(), "[B3]");
  model.PageUp();
  model.PageUp();
  EXPECT_EQ(Page(), "[B1]");
}

TEST_P(BrowseModelTest, PageMovesKeepTheScreenRowAndStopAtTheEnds) {
  AddLetters("ABCD", 3);
  Show(4);
  model.LineDown();
  model.LineDown();
  EXPECT_EQ(ReadsOf([&] { model.PageDown(); }), 4);
  EXPECT_EQ(Page(), "B2 B3 [C1] C2");
  model.PageDown();
  EXPECT_EQ(Page(), "C3 D1 [D2] D3");
  EXPECT_EQ(ReadsOf([&] { model.PageDown(); }), 0);
  EXPECT_EQ(Page(), "C3 D1 D2 [D3]");
  model.PageUp();
  EXPECT_EQ(Page(), "B2 B3 C1 [C2]");
  model.PageUp();
  EXPECT_EQ(Page(), "A1 A2 A3 [B1]");
  model.PageUp();
  EXPECT_EQ(Page(), "[A1] A2 A3 B1");

  model.GoToKey("A2", 0);
  model.LineDown();
  EXPECT_EQ(ReadsOf([&] { model.PageUp(); }), 1);  // only A1 precedes: scrolls by one
  EXPECT_EQ(Page(), "A1 [A2] A3 B1");
  model.GoToKey("D2", 0);
  EXPECT_EQ(Page(), "C3 D1 [D2] D3");  // on row 2 it could not keep two rows below it
}

TEST_P(BrowseModelTest, LineMovesScrollByOneRowAtTheEdges) {
  AddLetters("AB", 3);
  Show(3);
  model.LineDown();
  model.LineDown();
  EXPECT_EQ(ReadsOf([&] { model.LineDown(); }), 1);
  EXPECT_EQ(Page(), "A2 A3 [B1]");
  model.LineUp();
  model.LineUp();
  EXPECT_EQ(ReadsOf([&] { model.LineUp(); }), 1);
  EXPECT_EQ(Page(), "[A1] A2 A3");
  EXPECT_EQ(ReadsOf([&] { model.LineUp(); }), 0);
  EXPECT_TRUE(model.SelectRow(3));
  EXPECT_EQ(model.CurrentKey(), "A3");
  EXPECT_FALSE(model.SelectRow(4));
  EXPECT_FALSE(model.SelectRow(0));
  EXPECT_EQ(model.CurrentRow(), 3);
}

TEST_P(BrowseModelTest, ResizingReadsOrDropsRows) {
  AddLetters("AB", 3);
  Show(2);
  EXPECT_EQ(ReadsOf([&] { model.SetVisibleRows(4); }), 2);
  EXPECT_EQ(Page(), "[A1] A2 A3 B1");
  model.LastPage();
  EXPECT_EQ(Page(), "A3 B1 B2 [B3]");
  EXPECT_EQ(ReadsOf([&] { model.SetVisibleRows(6); }), 2);  // nothing below: rows come in above
  EXPECT_EQ(Page(), "A1 A2 A3 B1 B2 [B3]");
  EXPECT_EQ(ReadsOf([&] { model.SetVisibleRows(3); }), 0);
  EXPECT_EQ(Page(), "A1 A2 [A3]");
  model.SetVisibleRows(80);
  EXPECT_EQ(model.VisibleRows(), kBrowseRowBuffers);
  EXPECT_EQ(model.RowsFilled(), 6);

  model.Attach(NewSource(1, {}, {}, 5));
  EXPECT_EQ(model.VisibleRows(), 5);  // a source with fewer row buffers
  EXPECT_EQ(model.RowsFilled(), 5);
}

TEST_P(BrowseModelTest, SwitchingTheKeyNumberShowsTheOtherOrderFromTheStart) {
  Add("C1", "ALPHA");
  Add("A1", "CHARLIE");
  Add("B1", "BRAVO");
  Add("D1", "ALPHA");
  Show(3);
  model.LineDown();
  model.SetKeyNumber(2);
  EXPECT_EQ(model.KeyNumber(), 2);
  EXPECT_EQ(model.source()->file(), fb);
  EXPECT_EQ(Page(), "[ALPHA] ALPHA BRAVO");
  EXPECT_EQ(model.Row(1).Row, "C1 ALPHA");
  EXPECT_EQ(model.Row(2).Row, "D1 ALPHA");
  model.PageDown();
  EXPECT_EQ(Page(), "[ALPHA] BRAVO CHARLIE");
  EXPECT_EQ(model.CurrentRef(), 4);
  model.SetKeyNumber(1);
  EXPECT_EQ(Page(), "[A1] B1 C1");
}

TEST_P(BrowseModelTest, ScrollBarPositionFollowsTheIndexEstimate) {
  char code[16];
  for (int i = 1; i <= 300; ++i) {
    std::snprintf(code, sizeof code, "K%03d", i);
    Add(code);
  }
  Show(10);
  EXPECT_EQ(model.ScrollPosition(), 0);
  model.LastPage();
  EXPECT_EQ(model.ScrollPosition(), BrowseModel::kScrollScale);

  model.FirstPage();
  uint16_t last = 0;
  for (int i = 1; i < 300; ++i) {
    model.LineDown();
    const uint16_t pos = model.ScrollPosition();
    EXPECT_GE(pos, last) << model.CurrentKey();
    last = pos;
  }

  model.FirstPage();
  EXPECT_EQ(ReadsOf([&] { model.ScrollTo(BrowseModel::kScrollScale); }), 10);
  EXPECT_EQ(model.CurrentKey(), "K300");
  EXPECT_EQ(model.CurrentRow(), 10);
  model.ScrollTo(0);
  EXPECT_EQ(Page().substr(0, 6), "[K001]");
  model.ScrollTo(32);
  EXPECT_GT(model.CurrentKey(), "K100");
  EXPECT_LT(model.CurrentKey(), "K200");
}

TF_POOL_SIZES(BrowseModelTest);

}  // namespace
}  // namespace tf::browse::testing
