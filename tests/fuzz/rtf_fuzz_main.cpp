// The libFuzzer entry point for rich text letters: a violation is turned into a crash so the
// fuzzer keeps the input.

#include <cstdlib>

#include "tests/fuzz/rtf_fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (tf::fuzz::RunRtfFuzzInput(data, size) != 0) std::abort();
  return 0;
}
