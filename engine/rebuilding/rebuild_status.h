#pragma once
// Where a rebuild reports its progress: the status window ("Rebuild Status") in the program, a
// text line in the command-line tool, a recorder in tests. Kept free of any UI toolkit so the
// engine can drive it.

#include <string_view>

namespace tf::engine {

class RebuildStatus {
 public:
  virtual ~RebuildStatus() = default;
  // Opens the window for one file block, titled with its plain name ("Products").
  virtual void Show(std::string_view title) = 0;
  // Replaces the three centred lines. A window implementation also lets pending window events
  // run here, so that it repaints during the long loop.
  virtual void Lines(std::string_view line1, std::string_view line2, std::string_view line3) = 0;
  virtual void Close() = 0;
};

}  // namespace tf::engine
