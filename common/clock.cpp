#include "common/clock.h"

#include <ctime>

namespace tf::common {

std::chrono::local_seconds SystemClock::Now() const {
  // localtime_r rather than std::chrono::current_zone: it needs no time zone database and
  // follows TZ exactly as the rest of the desktop does.
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  using namespace std::chrono;
  year_month_day day{year{tm.tm_year + 1900}, month{static_cast<unsigned>(tm.tm_mon + 1)},
                     std::chrono::day{static_cast<unsigned>(tm.tm_mday)}};
  return local_days{day} + hours{tm.tm_hour} + minutes{tm.tm_min} + seconds{tm.tm_sec};
}

}  // namespace tf::common
