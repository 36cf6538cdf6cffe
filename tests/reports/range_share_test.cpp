// The choice between reading a range through its index and reading the whole data file in one
// pass, made from the index's estimate of where the range's ends lie.

#include <gtest/gtest.h>

#include "common/date_text.h"
#include "records/invoice_file.h"
#include "reports/range_share.h"
#include "tests/reports/report_fixture.h"
#include "tests/support/data_folder_test.h"

namespace tf::reports {
namespace {

using namespace std::chrono;

TEST(PassPays, MoreThanAQuarterOfTheIndex) {
  const struct {
    std::uint16_t first, last;
    bool pays;
  } cases[] = {
      {0, 1024, false},  {0, 1025, true},    {100, 1124, false}, {100, 1125, true}, {3072, 4096, false},
      {3071, 4096, true}, {0, kRangeScale, true}, {500, 500, false},  {900, 10, false},  {0, 0, false},
  };
  for (const auto& c : cases) EXPECT_EQ(PassPays(c.first, c.last), c.pays) << c.first << ".." << c.last;
}

class RangeShare : public test::DataFolderTest {
 protected:
  // `count` lines, line i dated `first` + i / perDay days.
  void Write(int count, int perDay = 1) {
    std::vector<testing::LineRow> lines;
    for (int i = 0; i < count; ++i) {
      const std::string date = common::FormatDateKey(sys_days{first_} + days{i / perDay});
      lines.push_back({std::to_string(1000 + i), "P", date, "W1", "C1", "ANN", "1", "Widget", "1.00", "Y", "1.00"});
    }
    testing::WriteBooks({}, lines);
  }
  std::string Key(int day) const { return common::PadRight(common::FormatDateKey(sys_days{first_} + days{day}), 10); }
  bool Wants(int fromDay, int toDay) {
    engine::FileBlockGuard file;
    common::ScriptedPrompter prompter;
    test::SilentStatus status;
    if (!records::invoice::OpenLineFile(file.handle(), "1", prompter, status)) {
      ADD_FAILURE() << "line file " << engine::EngineStatus;
      return false;
    }
    const bool wants = RangeWantsPass(file.get(), records::invoice::kLineKeyByDate, Key(fromDay), Key(toDay));
    EXPECT_TRUE(engine::EngineOK);
    return wants;
  }
  year_month_day first_ = 2024y / January / 1;
};

TEST_F(RangeShare, ASmallIndexTurnsAtAQuarterOfItsEntries) {
  Write(40);
  EXPECT_FALSE(Wants(0, 9));    // 10 of 40: a quarter, not more
  EXPECT_TRUE(Wants(0, 10));    // 11 of 40
  EXPECT_FALSE(Wants(30, 39));  // the last 10
  EXPECT_TRUE(Wants(29, 39));
  EXPECT_TRUE(Wants(-400, 4000));  // every entry
  EXPECT_FALSE(Wants(-400, -1));   // before the first entry
  EXPECT_FALSE(Wants(40, 400));    // after the last
  EXPECT_FALSE(Wants(20, 5));      // a range that ends before it begins
}

TEST_F(RangeShare, EntriesOfOneKeyCountWhole) {
  Write(40, 8);              // five days of eight lines each
  EXPECT_FALSE(Wants(0, 0));  // 8 of 40
  EXPECT_TRUE(Wants(1, 2));   // 16 of 40, the range's ends inside runs of equal keys
  EXPECT_FALSE(Wants(4, 4));  // the last 8
  EXPECT_TRUE(Wants(3, 4));
}

TEST_F(RangeShare, ALargeIndexTellsAFewFromMany) {
  Write(3000);
  EXPECT_FALSE(Wants(0, 30));       // 1 %
  EXPECT_FALSE(Wants(1500, 1800));  // 10 % in the middle
  EXPECT_FALSE(Wants(2700, 2999));  // the last 10 %
  EXPECT_TRUE(Wants(0, 1500));      // half
  EXPECT_TRUE(Wants(1000, 2999));   // two thirds
  EXPECT_TRUE(Wants(-10000, 10000));
}

TEST_F(RangeShare, AnEmptyIndexSaysWalk) {
  Write(0);
  EXPECT_FALSE(Wants(-10000, 10000));
}

}  // namespace
}  // namespace tf::reports
