#pragma once
// One fuzz run over damaged files: the files an input stands for (fuzz_images.h) are written to
// a scratch folder, the block is opened, searched, walked and changed as the input's script
// says, closed, checked and rebuilt. Damage may only ever produce statuses; besides the
// sanitizers, the run checks what must hold whatever the files held:
//   - the rebuild succeeds, and the rebuilt block opens, passes the checker with the key
//     builder, and holds exactly the live records of the data file in their order, the later
//     of two records with the same unique key removed (and the dump written then only);
//   - a block whose index the checker found sound stays sound through any engine operations.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tf::fuzz {

struct FuzzOutcome {
  int32_t openStatus = 0;        // of the first OpenFileBlock
  int operations = 0;            // script operations run on the open block
  bool indexSoundBefore = false; // the checker found no damage in the index before the run
  int recordsAfterRebuild = 0;
  std::string violation;         // empty unless something that must hold did not
};

FuzzOutcome RunFuzzCase(std::span<const uint8_t> input);

// The folder the runs work in (created once per process, removed at exit).
const std::string& FuzzScratchDir();

// The entry point shared by the libFuzzer target and the corpus replay: 0, or 1 after
// printing the violation to stderr.
int RunFuzzInput(const uint8_t* data, size_t size);

}  // namespace tf::fuzz
