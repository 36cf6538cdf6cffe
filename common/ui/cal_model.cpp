#include "common/ui/cal_model.h"

#include "common/date_time_format.h"
#include "common/text.h"

namespace tf::common {

using namespace std::chrono;

const std::array<std::string_view, 12>& MonthNames() {
  static const std::array<std::string_view, 12> names = {
      "January", "February", "March",     "April",   "May",      "June",
      "July",    "August",   "September", "October", "November", "December"};
  return names;
}

year_month_day CalendarStartDate(std::string_view fieldText, DateFormat format,
                                 year_month_day today) {
  if (fieldText.size() >= 10) {
    if (auto d = ParseDate(fieldText, format)) {
      int y = static_cast<int>(d->year());
      if (y >= CalModel::kFirstYear && y <= CalModel::kLastYear) return *d;
    }
  }
  return today;
}

CalModel::CalModel(year_month_day shown, DateFormat format) : format_(format) {
  date_ = shown.ok() ? shown : year_month_day{year{2000}, January, day{1}};
  int y = static_cast<int>(date_.year());
  for (int i = y - 3; i <= y + 3; ++i) years_.push_back(std::to_string(i));
}

void CalModel::SetClamped(year y, month m, day d) {
  day last = year_month_day_last{y, month_day_last{m}}.day();
  date_ = year_month_day{y, m, d > last ? last : d};
}

void CalModel::SetMonth(unsigned m) {
  if (m < 1 || m > 12) return;
  SetClamped(date_.year(), month{m}, date_.day());
}

std::string CalModel::SetYearText(std::string_view text) {
  const std::string t = TrimBoth(text);
  bool digits = !t.empty() && t.size() <= 4;
  int y = 0;
  for (char c : t) {
    if (c < '0' || c > '9') {
      digits = false;
      break;
    }
    y = y * 10 + (c - '0');
  }
  if (digits && y >= kFirstYear && y <= kLastYear) SetClamped(year{y}, date_.month(), date_.day());
  return YearText();
}

void CalModel::SetDate(year_month_day d) {
  if (!d.ok()) return;
  int y = static_cast<int>(d.year());
  if (y < kFirstYear || y > kLastYear) return;
  date_ = d;
}

std::string CalModel::YearText() const { return std::to_string(static_cast<int>(date_.year())); }

std::string CalModel::DayText() const { return FormatDateTime(kLongDatePattern, date_); }

std::string CalModel::DateText() const { return FormatDate(date_, format_); }

}  // namespace tf::common
