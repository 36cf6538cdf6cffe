#pragma once
// "Today" and "now" in local time. Aging, due dates, presets and the working date depend on
// them, so screen models take a Clock and tests fix it.

#include <chrono>

namespace tf::common {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::chrono::local_seconds Now() const = 0;
  std::chrono::year_month_day Today() const {
    return std::chrono::year_month_day{std::chrono::floor<std::chrono::days>(Now())};
  }
};

// The computer's clock in its local time zone.
class SystemClock : public Clock {
 public:
  std::chrono::local_seconds Now() const override;
};

// A clock that stands still until moved; for tests.
class FixedClock : public Clock {
 public:
  explicit FixedClock(std::chrono::local_seconds now) : now_(now) {}
  explicit FixedClock(std::chrono::year_month_day day, std::chrono::seconds timeOfDay = {})
      : now_(std::chrono::local_days{day} + timeOfDay) {}
  std::chrono::local_seconds Now() const override { return now_; }
  void Set(std::chrono::local_seconds now) { now_ = now; }

 private:
  std::chrono::local_seconds now_;
};

}  // namespace tf::common
