#pragma once
// One fuzz run over a rich text file: the letter reader must refuse it with a sentence or read
// it, and whatever it read must survive the writer: written and read again it is the same
// letter, and written a second time the same bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tf::fuzz {

struct RtfFuzzOutcome {
  bool read = false;      // the reader took the file
  std::string violation;  // empty unless something that must hold did not
};

RtfFuzzOutcome RunRtfFuzzCase(std::string_view input);

// The entry point shared by the libFuzzer target and the corpus replay: 0, or 1 after printing
// the violation to stderr.
int RunRtfFuzzInput(const uint8_t* data, size_t size);

}  // namespace tf::fuzz
