#pragma once
// The file block the crash test works on: 50-byte records whose keys are read from their own
// bytes, so that a rebuild (which asks for keys record by record) and the integrity checker
// can derive them. Key 1 is unique ("ID" + the record's 8-digit id); key 2 allows duplicates
// (the record's 4-character group), so many entries share a key.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/core/engine.h"

namespace tf::crashtest {

inline constexpr int kRecordLength = 50;
inline constexpr int kGroups = 40;

// The content of one record; its bytes are a function of these fields alone.
struct RecordState {
  int32_t id = 0;
  int32_t group = 0;
  uint32_t version = 0;
  bool operator==(const RecordState&) const = default;
};

std::vector<engine::KeyDescriptor> BlockKeys();

std::vector<uint8_t> RecordBytes(const RecordState& r);
// The fields of a record image, or nullopt when the bytes are not exactly what RecordBytes
// would write for them.
std::optional<RecordState> ParseRecord(std::span<const uint8_t> bytes);

// The id of a record image (its 8 digits), whatever the rest holds.
std::optional<int32_t> RecordId(std::span<const uint8_t> bytes);

std::string IdKey(int32_t id);
std::string GroupKey(int32_t group);
// Keys 1 and 2 of a record image, read from its bytes.
std::vector<std::string> KeysOfRecord(std::span<const uint8_t> bytes);

}  // namespace tf::crashtest
