// The work timer: captions, the start time, elapsed time and hours.

#include "invoicing/work_timer.h"

#include <gtest/gtest.h>

namespace tf::invoicing {
namespace {

using namespace std::chrono;

TEST(WorkTimerTest, ShowsStartElapsedAndHours) {
  WorkTimer timer;
  const local_seconds start = local_days{2024y / March / 5d} + 9h + 15min + 30s;
  EXPECT_EQ(timer.Caption(), "&Start");
  EXPECT_EQ(timer.StartText(), "");
  EXPECT_EQ(timer.ElapsedText(start), "");
  timer.Start(start);
  EXPECT_TRUE(timer.Running());
  EXPECT_EQ(timer.Caption(), "&Stop");
  EXPECT_EQ(timer.StartText(), "09:15:30");
  const std::pair<seconds, std::pair<std::string, std::string>> cases[] = {
      {0s, {"00:00:00", "00.000"}},
      {seconds(1h + 15min), {"01:15:00", "01.250"}},
      {59s, {"00:00:59", "00.016"}},    // 0.01638...
      {seconds(26h + 1s), {"26:00:01", "26.000"}},
      {-5s, {"00:00:00", "00.000"}},    // a clock set back does not count down
  };
  for (const auto& [after, texts] : cases) {
    EXPECT_EQ(timer.ElapsedText(start + after), texts.first);
    EXPECT_EQ(timer.HoursText(start + after), texts.second);
  }
  timer.Stop();
  EXPECT_EQ(timer.Caption(), "&Start");
  EXPECT_EQ(timer.StartText(), "09:15:30");  // shown until the next start
}

}  // namespace
}  // namespace tf::invoicing
