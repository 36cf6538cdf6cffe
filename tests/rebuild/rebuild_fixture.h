#pragma once
// File blocks for the rebuild tests: a small record layout with a unique code key and a
// duplicates-allowed name key, file blocks left as a crash leaves them, and the checks that a
// rebuilt file block holds exactly the expected records and keys.

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/checking/checker.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/status_sinks.h"

namespace tf::engine::rebuild_test {

using Bytes = std::vector<uint8_t>;
using testing::KeyEntry;
using testing::WalkKeys;

// Layout: 0..3 engine link, 4..13 code (length byte + 9), 14..33 name (length byte + 19),
// 34..37 serial number (int32), the rest zero.
inline constexpr int kRecordLength = 64;
inline constexpr uint8_t kCodeLength = 9;
inline constexpr uint8_t kNameLength = 19;

Bytes MakeRecord(const std::string& code, const std::string& name, int32_t serial,
                 int recordLength = kRecordLength);
std::string CodeOf(std::span<const uint8_t> record);
std::string NameOf(std::span<const uint8_t> record);
int32_t SerialOf(std::span<const uint8_t> record);

// Key 1: the code (unique); key 2: the name (duplicates allowed).
std::vector<KeyDescriptor> StandardKeys();
std::string StandardKey(std::span<const uint8_t> record, int keyNr);
KeyBuilder StandardKeyBuilder();

// The entries a set of records (numbered 1..n in order) implies for one key, in index order.
std::vector<KeyEntry> ExpectedEntries(const std::vector<Bytes>& records, int keyNr,
                                      const std::vector<int32_t>& refs = {});

Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);

class RebuildTest : public tf::engine::testing::EngineTest {
 protected:
  std::string Sav(const std::string& n) const { return Name(n) + ".SAV"; }
  std::string Msg(const std::string& n) const { return Name(n) + ".MSG"; }

  // A file block as a crash leaves it: `count` records added with their keys, every seventh
  // deleted and a few added again into the freed slots, the files then copied while the file
  // block is still open. Opening it fails with 10010. Returns its live records in slot order.
  std::vector<Bytes> MakeCrashedBlock(const std::string& name, int count);
  // A file block whose records were written without keys (so they may repeat a unique key),
  // closed cleanly.
  void MakeUnkeyedBlock(const std::string& name, const std::vector<Bytes>& records,
                        std::vector<KeyDescriptor> keys = StandardKeys());

  // The file block opens, holds exactly `records` as 1..n with no free slot, every key entry
  // they imply and no other, and the integrity checker finds nothing.
  void ExpectRebuilt(const std::string& name, const std::vector<Bytes>& records);
  // The system's rebuild of the standard test file block.
  bool RebuildStandard(const std::string& name, RebuildStatus& status, bool* dumped = nullptr);
  bool RebuildStandard(const std::string& name);
};

using test::RecordingStatus;

}  // namespace tf::engine::rebuild_test
