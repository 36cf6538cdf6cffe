#pragma once
// A sweep over a damaged index: one byte of the index file spoiled at a time (to 0xFF and to
// 0), then `export KIND out.csv` run with the tool. Every export must either write the very
// file a clean export wrote or fail with exit status 1 and a sentence, writing nothing: a
// damaged file is never exported in part.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/side_file.h"
#include "tests/app/cli_run.h"

namespace tf::cli::testing {

inline void ExpectDamagedIndexNeverExportedInPart(const std::string& kind, const std::string& indexFile) {
  namespace fs = std::filesystem;
  ASSERT_EQ(RunToolHere({"export", kind, "clean.csv"}).status, kExitOk);
  const std::string clean = common::ReadWholeFile("clean.csv");
  const std::string index = common::ReadWholeFile(indexFile);
  int failed = 0, cases = 0;
  for (std::size_t at = 24; at < index.size(); at += index.size() / 60) {
    for (const char spoil : {'\xFF', '\x00'}) {
      std::string damaged = index;
      if (damaged[at] == spoil) continue;
      damaged[at] = spoil;
      common::ReplaceFile(indexFile, damaged);
      fs::remove("out.csv");
      ++cases;
      ToolRun r = RunToolHere({"export", kind, "out.csv"});
      if (r.status == kExitOk) {
        EXPECT_TRUE(common::ReadWholeFile("out.csv") == clean) << "byte " << at;
      } else {
        ++failed;
        EXPECT_EQ(r.status, kExitProblems) << "byte " << at << ": " << r.err;
        EXPECT_FALSE(fs::exists("out.csv")) << "byte " << at;
        EXPECT_NE(r.err.find("nothing was exported"), std::string::npos) << "byte " << at << ": " << r.err;
      }
    }
  }
  EXPECT_GT(cases, 60);
  EXPECT_GT(failed, 0);  // the damage was seen, so the sweep tested something
  common::ReplaceFile(indexFile, index);
}

}  // namespace tf::cli::testing
