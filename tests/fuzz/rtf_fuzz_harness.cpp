#include "tests/fuzz/rtf_fuzz_harness.h"

#include <cstdio>

#include "letters/rtf_reader.h"
#include "letters/rtf_writer.h"

namespace tf::fuzz {

RtfFuzzOutcome RunRtfFuzzCase(std::string_view input) {
  RtfFuzzOutcome out;
  const letters::RtfReadResult first = letters::ReadRtf(input);
  if (!first.letter) {
    if (first.problem.empty()) out.violation = "refused without a reason";
    return out;
  }
  if (!first.problem.empty()) out.violation = "read, yet with a problem: " + first.problem;
  out.read = true;
  const std::string written = letters::WriteRtf(*first.letter);
  const letters::RtfReadResult second = letters::ReadRtf(written);
  if (!second.letter) {
    out.violation = "its own file refused: " + second.problem;
    return out;
  }
  if (second.letter->Normalised() != first.letter->Normalised()) {
    out.violation = "written and read again, the letter changed";
    return out;
  }
  if (letters::WriteRtf(*second.letter) != written) out.violation = "written twice, the files differ";
  return out;
}

int RunRtfFuzzInput(const uint8_t* data, size_t size) {
  const RtfFuzzOutcome out = RunRtfFuzzCase(std::string_view(reinterpret_cast<const char*>(data), size));
  if (out.violation.empty()) return 0;
  std::fprintf(stderr, "rtf fuzz violation: %s\n", out.violation.c_str());
  return 1;
}

}  // namespace tf::fuzz
