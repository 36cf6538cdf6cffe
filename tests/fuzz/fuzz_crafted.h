#pragma once
// Damaged file blocks made by hand, one lie per case: header values out of range, links that
// point past the file or back at themselves, counts that do not match, files cut short. They
// seed the fuzzer's corpus and run as tests with the open status each must give.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_images.h"

namespace tf::fuzz {

// Expected open status of a case whose files are refused, the code depending on which lie the
// engine meets first.
inline constexpr int32_t kAnyRefusal = -1;

struct CraftedInput {
  std::string name;
  Bytes input;
  std::optional<int32_t> openStatus;  // what the first open must report, where it is certain
};
void PrintTo(const CraftedInput& c, std::ostream* os);

std::vector<CraftedInput> CraftedInputs();

// A script that uses every operation once or more: walks in both directions, searches,
// positions, adds and deletes records and keys, a close and reopen, and walks again.
Bytes ExerciseScript();

}  // namespace tf::fuzz
