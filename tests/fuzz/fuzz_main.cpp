// The libFuzzer entry point: a violation is turned into a crash so the fuzzer keeps the input.

#include <cstdlib>

#include "tests/fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (tf::fuzz::RunFuzzInput(data, size) != 0) std::abort();
  return 0;
}
