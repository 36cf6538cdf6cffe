#include "common/clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace tf::common {
namespace {

using namespace std::chrono;

// Sets TZ for one test and restores it.
class TimeZone {
 public:
  explicit TimeZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~TimeZone() {
    if (old_) {
      setenv("TZ", old_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::optional<std::string> old_;
};

seconds Offset(const char* tz) {
  TimeZone zone(tz);
  auto utc = floor<seconds>(system_clock::now()).time_since_epoch();
  return SystemClock().Now().time_since_epoch() - utc;
}

TEST(SystemClock, IsTheWallClockInTheLocalTimeZone) {
  // Within a few seconds: the two readings are not taken at the same instant.
  EXPECT_LE(abs(Offset("UTC0")), seconds{3});
  EXPECT_LE(abs(Offset("EST5") + hours{5}), seconds{3});
  EXPECT_LE(abs(Offset("IST-5:30") - (hours{5} + minutes{30})), seconds{3});
}

TEST(FixedClock, StandsStillUntilMoved) {
  FixedClock clock(year{2024} / February / 29, hours{23} + minutes{59} + seconds{59});
  EXPECT_EQ(clock.Today(), year{2024} / February / 29);
  EXPECT_EQ(clock.Now(), local_days{year{2024} / February / 29} + seconds{86399});
  clock.Set(clock.Now() + seconds{1});
  EXPECT_EQ(clock.Today(), year{2024} / March / 1);
}

TEST(FixedClock, TodayOfADateBeforeTheEpochIsThatDay) {
  // floor, not truncation toward zero, must pick the day.
  FixedClock clock(year{1969} / December / 31, hours{12});
  EXPECT_EQ(clock.Today(), year{1969} / December / 31);
}

}  // namespace
}  // namespace tf::common
