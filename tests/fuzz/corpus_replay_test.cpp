// Runs the fuzz harness without the fuzzer: every stored corpus input, and the hand-made
// damaged blocks with the open status each must give. TF_FUZZ_WRITE_CRAFTED=DIR also writes
// the hand-made inputs to DIR, to seed a fuzzing run.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/fuzz/fuzz_crafted.h"
#include "tests/fuzz/fuzz_harness.h"

namespace tf::fuzz {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> CorpusFiles() {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(TF_FUZZ_CORPUS_DIR))
    if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

TEST(FuzzCorpusTest, EveryStoredInputRunsWithoutViolation) {
  const auto files = CorpusFiles();
  ASSERT_FALSE(files.empty()) << "no corpus in " << TF_FUZZ_CORPUS_DIR;
  int opened = 0, refused = 0;
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    Bytes input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    FuzzOutcome out = RunFuzzCase(input);
    EXPECT_EQ(out.violation, "") << file.filename();
    (out.openStatus == 0 ? opened : refused)++;
  }
  // The corpus covers both blocks the engine accepts and blocks it refuses.
  EXPECT_GT(opened, 0);
  EXPECT_GT(refused, 0);
}

class CraftedInputTest : public ::testing::TestWithParam<CraftedInput> {};

TEST_P(CraftedInputTest, OpensAsExpectedAndRebuilds) {
  const CraftedInput& c = GetParam();
  if (const char* dir = std::getenv("TF_FUZZ_WRITE_CRAFTED")) {
    std::ofstream out(fs::path(dir) / ("crafted-" + c.name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(c.input.data()), std::streamsize(c.input.size()));
  }
  FuzzOutcome out = RunFuzzCase(c.input);
  EXPECT_EQ(out.violation, "");
  if (c.openStatus == kAnyRefusal) {
    EXPECT_NE(out.openStatus, 0);
  } else if (c.openStatus) {
    EXPECT_EQ(out.openStatus, *c.openStatus);
  }
  if (out.openStatus == 0) {
    EXPECT_GT(out.operations, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Damage, CraftedInputTest, ::testing::ValuesIn(CraftedInputs()),
                         [](const ::testing::TestParamInfo<CraftedInput>& info) {
                           std::string name = info.param.name;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

TEST(CraftedInputTest, IntactSamplesStaySoundThroughTheScript) {
  for (Sample s : {Sample::Tree, Sample::Leaf, Sample::Empty}) {
    FuzzOutcome out = RunFuzzCase(EncodePatchInput(Mode::Patch, s, ExerciseScript(), {}));
    EXPECT_TRUE(out.indexSoundBefore) << int(s);
    EXPECT_EQ(out.openStatus, 0);
    EXPECT_EQ(out.violation, "");
  }
}

}  // namespace
}  // namespace tf::fuzz
