#pragma once
// What the benchmarks give the program's code in place of a person and a window: a prompter
// that answers every question at once (and counts them), a status window that shows nothing,
// and the peak memory of the process.

#include <sys/resource.h>

#include <string_view>

#include "common/prompter.h"
#include "engine/rebuilding/rebuild_status.h"

namespace tf::bench {

// Yes/no questions get `yesNo`; everything else OK.
class QuietPrompter : public common::Prompter {
 public:
  explicit QuietPrompter(common::PromptAnswer yesNo = common::PromptAnswer::Yes) : yesNo_(yesNo) {}
  common::PromptAnswer Show(const common::PromptMessage& m) override {
    ++asked;
    return m.buttons == common::PromptButtons::YesNo || m.buttons == common::PromptButtons::YesNoCancel
               ? yesNo_
               : common::PromptAnswer::OK;
  }
  int asked = 0;

 private:
  common::PromptAnswer yesNo_;
};

class NoStatus : public engine::RebuildStatus {
 public:
  void Show(std::string_view) override {}
  void Lines(std::string_view, std::string_view, std::string_view) override {}
  void Close() override {}
};

// Peak resident memory of this process so far, in KiB.
inline long PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace tf::bench
