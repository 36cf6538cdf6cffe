#pragma once
// The rebuild status windows of the tests: one that shows nothing, and one that remembers what
// it was shown.

#include <string>
#include <string_view>
#include <vector>

#include "engine/rebuilding/rebuild_status.h"

namespace tf::test {

class SilentStatus : public engine::RebuildStatus {
 public:
  void Show(std::string_view) override {}
  void Lines(std::string_view, std::string_view, std::string_view) override {}
  void Close() override {}
};

// Every call in order in `events` ("show <title>", "lines <line1> | <line2> | <line3>" with
// empty trailing lines left out, "close"), and each kind on its own.
class RecordingStatus : public engine::RebuildStatus {
 public:
  void Show(std::string_view title) override {
    titles.emplace_back(title);
    events.push_back("show " + std::string(title));
  }
  void Lines(std::string_view line1, std::string_view line2, std::string_view line3) override {
    lines.emplace_back(line1);
    std::string text = "lines " + std::string(line1);
    if (!line2.empty() || !line3.empty()) text += " | " + std::string(line2);
    if (!line3.empty()) text += " | " + std::string(line3);
    events.push_back(text);
  }
  void Close() override {
    ++closed;
    events.push_back("close");
  }

  std::vector<std::string> events;
  std::vector<std::string> titles;
  std::vector<std::string> lines;  // the first line of each call
  int closed = 0;
};

}  // namespace tf::test
