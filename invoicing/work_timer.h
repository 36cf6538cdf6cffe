#pragma once
// The work timer of invoice entry: started and stopped by the user, it shows when it started,
// the time elapsed ("hh:mm:ss") and the elapsed hours as a decimal ("00.000") to bill by. It
// keeps running while the entry dialog is closed, for the whole run.

#include <chrono>
#include <string>

namespace tf::invoicing {

class WorkTimer {
 public:
  void Start(std::chrono::local_seconds now);
  void Stop() { running_ = false; }
  bool Running() const { return running_; }

  // "&Start" while stopped, "&Stop" while running.
  std::string Caption() const { return running_ ? "&Stop" : "&Start"; }
  // The start time "hh:mm:ss"; empty before the first start.
  std::string StartText() const;
  // Elapsed time since the start "hh:mm:ss" (hours beyond a day keep counting).
  std::string ElapsedText(std::chrono::local_seconds now) const;
  // Elapsed hours + minutes / 60 + seconds / 3600 with three decimals ("01.250").
  std::string HoursText(std::chrono::local_seconds now) const;

 private:
  bool running_ = false;
  bool started_ = false;
  std::chrono::local_seconds start_{};
};

}  // namespace tf::invoicing
