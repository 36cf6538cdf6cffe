// The rebuild every record kind runs: what its status window shows and when.

#include "tests/rebuild/rebuild_fixture.h"

namespace tf::engine::rebuild_test {
namespace {

class RebuildFileBlockTest : public RebuildTest {
 protected:
  std::vector<Bytes> Records(int n) {
    std::vector<Bytes> records;
    for (int i = 1; i <= n; ++i) records.push_back(MakeRecord("R" + std::to_string(i), "Name", i));
    return records;
  }
};

std::string Progress(int key, int read, int written) {
  return "lines Key number: " + std::to_string(key) + " | Records read: " + std::to_string(read) +
         " | Records written: " + std::to_string(written);
}

TEST_P(RebuildFileBlockTest, StatusWindowShowsTheCountsEveryFiftyRecords) {
  std::vector<Bytes> records = Records(120);
  records[9][0] = 0xFF;  // slot 10 holds a deleted record
  MakeUnkeyedBlock("STAT", records);
  RecordingStatus status;
  ASSERT_TRUE(RebuildStandard("STAT", status)) << EngineStatus;
  const std::vector<std::string> expected = {
      "show Tests",          Progress(0, 50, 49), Progress(0, 100, 99),  Progress(1, 50, 50),
      Progress(1, 100, 100), Progress(2, 50, 50), Progress(2, 100, 100), "close"};
  EXPECT_EQ(status.events, expected);
  records.erase(records.begin() + 9);
  ExpectRebuilt("STAT", records);
}

TEST_P(RebuildFileBlockTest, WindowClosesAndTheFailureSurvivesIt) {
  // A status window that runs engine calls of its own while it repaints.
  class BusyStatus : public RecordingStatus {
   public:
    void Lines(std::string_view a, std::string_view b, std::string_view c) override {
      RecordingStatus::Lines(a, b, c);
      EngineOK = false;
      EngineStatus = status::kInvalidHandle;
    }
    void Close() override {
      RecordingStatus::Close();
      EngineOK = true;
      EngineStatus = 0;
    }
  };
  const std::vector<Bytes> records = Records(60);
  MakeUnkeyedBlock("BUSY", records);
  BusyStatus busy;
  ASSERT_TRUE(RebuildStandard("BUSY", busy)) << EngineStatus;  // its repaints do not stop the run
  EXPECT_EQ(busy.events.size(), 5u);
  ExpectRebuilt("BUSY", records);

  BusyStatus failing;
  EXPECT_FALSE(RebuildStandard("NOSUCH", failing));
  EXPECT_FALSE(EngineOK);
  EXPECT_EQ(EngineStatus, status::kNothingToRebuild);
  EXPECT_EQ(failing.events, (std::vector<std::string>{"show Tests", "close"}));
}

TEST_P(RebuildFileBlockTest, FailedDataPassSkipsTheIndexPass) {
  const std::vector<Bytes> records = Records(10);
  MakeUnkeyedBlock("SKIP", records);
  int keyCalls = 0;
  RebuildTarget target{Name("SKIP"), "Skip", 32, StandardKeys(), [&](std::span<const uint8_t> r, int k) {
                         ++keyCalls;
                         return StandardKey(r, k);
                       }};
  RecordingStatus status;
  // The wrong record length makes the data pass refuse before it starts.
  target.recordLength = 20;
  EXPECT_FALSE(RebuildFileBlock(target, status));
  EXPECT_EQ(EngineStatus, status::kRecordLengthTooSmall);
  EXPECT_EQ(keyCalls, 0);
  EXPECT_EQ(ReadFileBytes(DataPath("SKIP")).size(), 11u * kRecordLength);
}

TF_POOL_SIZES(RebuildFileBlockTest);

}  // namespace
}  // namespace tf::engine::rebuild_test
