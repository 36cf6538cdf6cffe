#pragma once
// How the checker collects its findings: one line each, prefixed with the key they concern,
// and at most a dozen of one kind per key, so a badly damaged file gives a readable report
// instead of one line per byte.

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/checking/checker.h"

namespace tf::engine {

class FindingList {
 public:
  static constexpr int kShownPerKind = 12;

  void Add(Problem problem, int keyNr, std::string text);
  // The findings in the order met, each capped kind followed by a line saying how many more.
  std::vector<Finding> Finish();

 private:
  std::vector<Finding> findings_;
  std::map<std::pair<Problem, int>, int> counts_;
};

}  // namespace tf::engine
