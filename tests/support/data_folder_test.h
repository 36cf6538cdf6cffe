#pragma once
// A temporary data folder as the program's working directory, with the engine initialised
// with the smallest pool (so changes are written back inside the operations under test), and
// a rebuild status that records what it was shown.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/checking/checker.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"
#include "tests/engine/engine_fixture.h"

namespace tf::test {

class DataFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    engine::InitEngine(0, engine::kMinPageBuffers);
    ASSERT_TRUE(engine::EngineOK) << engine::EngineStatus;
  }
  void TearDown() override {
    engine::ExitEngine();
    std::filesystem::current_path(previous_);
  }

  engine::testing::TempFolder folder_;

 private:
  std::filesystem::path previous_;
};

class RecordingStatus : public engine::RebuildStatus {
 public:
  void Show(std::string_view title) override { titles.emplace_back(title); }
  void Lines(std::string_view l1, std::string_view, std::string_view) override { lines.emplace_back(l1); }
  void Close() override { ++closed; }

  std::vector<std::string> titles;
  std::vector<std::string> lines;
  int closed = 0;
};

// The checker's findings as one text, empty when the file block is clean.
inline std::string Findings(const std::string& block, const engine::KeyBuilder& keys) {
  std::string out;
  for (const engine::Finding& f : engine::CheckFileBlock(block, &keys).findings) out += f.text + "\n";
  return out;
}

}  // namespace tf::test
