// Runs the rich text fuzz harness without the fuzzer over every stored input of rtf_corpus/.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/rtf_fuzz_harness.h"

namespace tf::fuzz {
namespace {

namespace fs = std::filesystem;

TEST(RtfFuzzCorpusTest, EveryStoredInputRunsWithoutViolation) {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(TF_RTF_FUZZ_CORPUS_DIR))
    if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty()) << "no corpus in " << TF_RTF_FUZZ_CORPUS_DIR;
  int read = 0, refused = 0;
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::string input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const RtfFuzzOutcome out = RunRtfFuzzCase(input);
    EXPECT_EQ(out.violation, "") << file.filename();
    (out.read ? read : refused)++;
  }
  // The corpus holds letters the reader takes and files it refuses.
  EXPECT_GT(read, 0);
  EXPECT_GT(refused, 0);
}

// Files no corpus run is needed to think of: the reader must refuse each, quickly.
TEST(RtfFuzzCorpusTest, HostileShapesAreRefusedWithoutViolation) {
  const std::string cases[] = {
      "{\\rtf1" + std::string(1 << 20, '{'),
      "{\\rtf1 {\\bin4294967296 x}}",
      "{\\rtf1 {\\bin-5 x}",
      "{\\rtf1\\" + std::string(1 << 16, 'a') + "99999999999999999999999",
      "{\\rtf1 {\\*\\pn\\pnlvlblt{\\pntext{\\pntext",
  };
  for (const std::string& c : cases) {
    const RtfFuzzOutcome out = RunRtfFuzzCase(c);
    EXPECT_EQ(out.violation, "");
    EXPECT_FALSE(out.read);
  }
}

}  // namespace
}  // namespace tf::fuzz
