#include "invoicing/work_timer.h"

#include <cstdio>

#include "common/date_time_format.h"
#include "common/money.h"
#include "common/money_format.h"

namespace tf::invoicing {

void WorkTimer::Start(std::chrono::local_seconds now) {
  start_ = now;
  started_ = true;
  running_ = true;
}

std::string WorkTimer::StartText() const {
  return started_ ? common::FormatDateTime(common::kClockTimePattern, start_) : std::string();
}

std::string WorkTimer::ElapsedText(std::chrono::local_seconds now) const {
  if (!started_) return {};
  const long long seconds = std::max<long long>(0, (now - start_).count());
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

std::string WorkTimer::HoursText(std::chrono::local_seconds now) const {
  if (!started_) return {};
  const long long seconds = std::max<long long>(0, (now - start_).count());
  // Exact: seconds / 3600 in millionths, rounded half away from zero to three decimals.
  const common::Money hours = common::Money::FromMicros(seconds * common::Money::kScale / 3600);
  return common::Format00_000(hours);
}

}  // namespace tf::invoicing
