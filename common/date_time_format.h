#pragma once
// The one date and time formatter: patterns as the program writes them, with English day and
// month names and "/" and ":" as the fixed separators.
//
//   d dd ddd dddd    day 5, 05, Tue, Tuesday
//   m mm mmm mmmm    month 3, 03, Mar, March; right after an hour (h, hh) they mean minutes
//   yy yyyy          year 24, 2024
//   h hh             hour 7, 07 (1..12 when the pattern holds AM/PM or A/P, else 0..23)
//   n nn, s ss       minutes, seconds
//   AM/PM, A/P       "AM"/"PM" or "A"/"P" in the letter case the pattern uses
//   "..." '...'      copied as written
// Letters may be upper or lower case; every other character is copied.

#include <chrono>
#include <string>
#include <string_view>

namespace tf::common {

inline constexpr std::string_view kLongDateTimePattern = "dddd, mmmm d, yyyy, hh:mm AM/PM";
inline constexpr std::string_view kLongDatePattern = "dddd, mmmm d, yyyy";
inline constexpr std::string_view kClockTimePattern = "hh:mm:ss";

std::string FormatDateTime(std::string_view pattern, std::chrono::local_seconds when);

// The date at midnight.
std::string FormatDateTime(std::string_view pattern, std::chrono::year_month_day date);

}  // namespace tf::common
