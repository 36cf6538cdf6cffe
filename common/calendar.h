#pragma once
// Day and month arithmetic on calendar dates. Dates passed in must be valid (ok()).

#include <chrono>

namespace tf::common {

// to - from in whole days; negative when `to` is earlier (an invoice dated in the future).
int DaysBetween(std::chrono::year_month_day from, std::chrono::year_month_day to);

std::chrono::year_month_day AddDays(std::chrono::year_month_day date, int days);

// Steps the month `months` times (December steps to January of the next year; a negative count
// steps back) and then clamps the day to the last day of the month reached: January 31 plus one
// month is February 28 (29 in a leap year), plus two months March 31.
std::chrono::year_month_day AddMonths(std::chrono::year_month_day date, int months);

}  // namespace tf::common
