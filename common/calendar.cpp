#include "common/calendar.h"

#include <algorithm>

namespace tf::common {

int DaysBetween(std::chrono::year_month_day from, std::chrono::year_month_day to) {
  return static_cast<int>((std::chrono::sys_days{to} - std::chrono::sys_days{from}).count());
}

std::chrono::year_month_day AddDays(std::chrono::year_month_day date, int days) {
  return std::chrono::year_month_day{std::chrono::sys_days{date} + std::chrono::days{days}};
}

std::chrono::year_month_day AddMonths(std::chrono::year_month_day date, int months) {
  using namespace std::chrono;
  const year_month reached = year_month{date.year(), date.month()} + std::chrono::months{months};
  const day lastDay = year_month_day_last{reached.year(), month_day_last{reached.month()}}.day();
  return year_month_day{reached.year(), reached.month(), std::min(date.day(), lastDay)};
}

}  // namespace tf::common
