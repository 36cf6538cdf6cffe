#pragma once
// A temporary data folder with an initialised engine, parameterised by the page pool size so
// that every test runs once with the minimum pool (constant eviction) and once with the
// program's usual one.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/engine.h"

namespace tf::engine::testing {

class TempFolder {
 public:
  TempFolder() {
    char tmpl[] = "/tmp/tfXXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

class EngineTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    InitEngine(0, GetParam());
    ASSERT_TRUE(EngineOK) << EngineStatus;
  }
  void TearDown() override { ExitEngine(); }

  std::string Name(const std::string& n) const { return dir_ / n; }

  // Makes and opens a file block with the given keys.
  FileBlock* Make(const std::string& name, int recordLength, std::vector<KeyDescriptor> keys) {
    MakeFileBlock(Name(name), recordLength, int(keys.size()), keys);
    EXPECT_TRUE(EngineOK) << EngineStatus;
    FileBlock* h = nullptr;
    OpenFileBlock(h, Name(name));
    EXPECT_TRUE(EngineOK) << EngineStatus;
    return h;
  }

  TempFolder dir_;
};

inline std::string PoolName(const ::testing::TestParamInfo<int>& info) {
  return "pool" + std::to_string(info.param);
}

#define TF_POOL_SIZES(Suite) INSTANTIATE_TEST_SUITE_P(Pools, Suite, ::testing::Values(8, 30), tf::engine::testing::PoolName)

}  // namespace tf::engine::testing
