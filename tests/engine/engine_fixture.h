#pragma once
// A temporary data folder with an initialised engine, parameterised by the page pool size so
// that every test runs once with the minimum pool (constant eviction) and once with the
// program's usual one.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/core/engine.h"
#include "tests/support/temp_folder.h"

namespace tf::engine::testing {

using tf::test::TempFolder;

class EngineTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    InitEngine(0, GetParam());
    ASSERT_TRUE(EngineOK) << EngineStatus;
  }
  void TearDown() override { ExitEngine(); }

  std::string Name(const std::string& n) const { return dir_ / n; }
  std::string DataPath(const std::string& n) const { return dir_ / (n + ".DAT"); }
  std::string IndexPath(const std::string& n) const { return dir_ / (n + ".IX"); }

  // Opens the named file block, expecting success.
  FileBlock* Open(const std::string& name, bool readOnly = false) {
    FileBlock* h = nullptr;
    OpenFileBlock(h, Name(name), readOnly);
    EXPECT_TRUE(EngineOK) << "open " << name << ": " << EngineStatus;
    return h;
  }

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

using KeyEntry = std::pair<std::string, int32_t>;

// A record image as the application builds it: zero-filled, the engine's 4 bytes 0, then the
// payload.
inline std::vector<uint8_t> RecordBytes(int length, std::string_view payload) {
  std::vector<uint8_t> r(size_t(length), 0);
  for (size_t i = 0; i < payload.size() && 4 + i < r.size(); ++i) r[4 + i] = uint8_t(payload[i]);
  return r;
}

// Keys that sort as their numbers do.
inline std::string NumberedKey(int i, const char* prefix = "K") {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%05d", prefix, i);
  return buf;
}

// Every entry of an index in ascending order (a fresh position, NextKey until it fails).
inline std::vector<KeyEntry> WalkKeys(FileBlock* h, int keyNr) {
  std::vector<KeyEntry> out;
  std::string key;
  int32_t ref = 0;
  ClearKey(h, keyNr);
  for (NextKey(h, keyNr, ref, key); EngineOK; NextKey(h, keyNr, ref, key)) out.push_back({key, ref});
  EXPECT_EQ(EngineStatus, status::kNextPastEnd);
  return out;
}

// The same walk from the last entry backwards, returned in ascending order.
inline std::vector<KeyEntry> WalkKeysBackward(FileBlock* h, int keyNr) {
  std::vector<KeyEntry> out;
  std::string key;
  int32_t ref = 0;
  ClearKey(h, keyNr);
  for (PrevKey(h, keyNr, ref, key); EngineOK; PrevKey(h, keyNr, ref, key)) out.insert(out.begin(), {key, ref});
  EXPECT_EQ(EngineStatus, status::kPrevPastStart);
  return out;
}

// The live record numbers in ascending order (NextRecord from 0).
inline std::vector<int32_t> WalkRecords(FileBlock* h) {
  std::vector<int32_t> out;
  int32_t ref = 0;
  for (NextRecord(h, ref); EngineOK; NextRecord(h, ref)) out.push_back(ref);
  EXPECT_EQ(EngineStatus, status::kNoFurtherRecord);
  return out;
}

inline std::string PoolName(const ::testing::TestParamInfo<int>& info) {
  return "pool" + std::to_string(info.param);
}

#define TF_POOL_SIZES(Suite) INSTANTIATE_TEST_SUITE_P(Pools, Suite, ::testing::Values(8, 30), tf::engine::testing::PoolName)

}  // namespace tf::engine::testing
