#include "common/date_time_format.h"

#include <array>
#include <cctype>

namespace tf::common {
namespace {

constexpr std::array<std::string_view, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};
constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view prefix) {
  if (text.size() - at < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(text[at + i]) != prefix[i]) return false;
  }
  return true;
}

bool UsesTwelveHourClock(std::string_view pattern) {
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (StartsWithNoCase(pattern, i, "am/pm") || StartsWithNoCase(pattern, i, "a/p")) return true;
  }
  return false;
}

void AppendNumber(std::string& out, long value, bool twoDigits) {
  if (twoDigits && value < 10) out += '0';
  out += std::to_string(value);
}

void AppendYear(std::string& out, int year, bool fourDigits) {
  std::string digits = std::to_string(fourDigits ? year : year % 100);
  std::size_t width = fourDigits ? 4 : 2;
  if (digits.size() < width) out.append(width - digits.size(), '0');
  out += digits;
}

}  // namespace

std::string FormatDateTime(std::string_view pattern, std::chrono::local_seconds when) {
  using namespace std::chrono;
  const local_days day = floor<days>(when);
  const year_month_day date{day};
  const hh_mm_ss time{when - day};
  const weekday dayOfWeek{day};
  const long hour = time.hours().count();
  const long minute = time.minutes().count();
  const long second = time.seconds().count();
  const bool twelveHour = UsesTwelveHourClock(pattern);

  std::string out;
  char lastLetter = 0;
  std::size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    if (c == '"' || c == '\'') {
      std::size_t close = pattern.find(c, i + 1);
      if (close == std::string_view::npos) close = pattern.size();
      out += pattern.substr(i + 1, close - i - 1);
      i = close + 1;
      continue;
    }
    if (!IsAsciiLetter(c)) {
      out += c;
      ++i;
      continue;
    }

    const char letter = Lower(c);
    if (letter == 'a' && StartsWithNoCase(pattern, i, "am/pm")) {
      out += pattern.substr(hour < 12 ? i : i + 3, 2);
      i += 5;
      lastLetter = letter;
      continue;
    }
    if (letter == 'a' && StartsWithNoCase(pattern, i, "a/p")) {
      out += pattern[hour < 12 ? i : i + 2];
      i += 3;
      lastLetter = letter;
      continue;
    }

    std::size_t count = 1;
    while (i + count < pattern.size() && Lower(pattern[i + count]) == letter) ++count;
    switch (letter) {
      case 'd':
        if (count == 1 || count == 2) {
          AppendNumber(out, static_cast<unsigned>(date.day()), count == 2);
        } else {
          std::string_view name = kDayNames[dayOfWeek.c_encoding()];
          out += count == 3 ? name.substr(0, 3) : name;
        }
        break;
      case 'm':
        if (lastLetter == 'h') {
          AppendNumber(out, minute, count >= 2);
        } else if (count <= 2) {
          AppendNumber(out, static_cast<unsigned>(date.month()), count == 2);
        } else {
          std::string_view name = kMonthNames[static_cast<unsigned>(date.month()) - 1];
          out += count == 3 ? name.substr(0, 3) : name;
        }
        break;
      case 'y':
        AppendYear(out, static_cast<int>(date.year()), count > 2);
        break;
      case 'h': {
        long shown = hour;
        if (twelveHour) shown = hour % 12 == 0 ? 12 : hour % 12;
        AppendNumber(out, shown, count >= 2);
        break;
      }
      case 'n':
        AppendNumber(out, minute, count >= 2);
        break;
      case 's':
        AppendNumber(out, second, count >= 2);
        break;
      default:
        out += pattern.substr(i, count);
        break;
    }
    lastLetter = letter;
    i += count;
  }
  return out;
}

std::string FormatDateTime(std::string_view pattern, std::chrono::year_month_day date) {
  return FormatDateTime(pattern, std::chrono::local_seconds{std::chrono::local_days{date}});
}

}  // namespace tf::common
