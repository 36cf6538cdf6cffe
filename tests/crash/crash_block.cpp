#include "tests/crash/crash_block.h"

#include <cstdio>
#include <cstring>

namespace tf::crashtest {
namespace {

constexpr int kIdAt = 4, kIdDigits = 8;
constexpr int kGroupAt = 12, kGroupLength = 4;
constexpr int kVersionAt = 16;
constexpr int kPayloadAt = 20;

// Payload bytes that differ between versions of the same record, so a stale image is told
// from a current one anywhere in the record.
uint8_t PayloadByte(const RecordState& r, int i) {
  uint32_t h = uint32_t(r.id) * 2654435761u ^ r.version * 40503u ^ uint32_t(r.group) * 97u ^ uint32_t(i) * 131u;
  h ^= h >> 13;
  return uint8_t(h * 0x5bd1e995u >> 24);
}

}  // namespace

std::vector<engine::KeyDescriptor> BlockKeys() {
  return {{uint8_t(2 + kIdDigits), 0}, {uint8_t(kGroupLength), 1}};
}

std::string IdKey(int32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "ID%08d", int(id));
  return text;
}

std::string GroupKey(int32_t group) {
  char text[8];
  std::snprintf(text, sizeof text, "G%03d", int(group));
  return text;
}

std::vector<uint8_t> RecordBytes(const RecordState& r) {
  std::vector<uint8_t> b(kRecordLength, 0);
  std::string id = IdKey(r.id).substr(2), group = GroupKey(r.group);
  std::memcpy(&b[kIdAt], id.data(), kIdDigits);
  std::memcpy(&b[kGroupAt], group.data(), kGroupLength);
  std::memcpy(&b[kVersionAt], &r.version, sizeof r.version);
  for (int i = kPayloadAt; i < kRecordLength; ++i) b[size_t(i)] = PayloadByte(r, i);
  return b;
}

std::optional<int32_t> RecordId(std::span<const uint8_t> bytes) {
  if (bytes.size() != size_t(kRecordLength)) return std::nullopt;
  int32_t id = 0;
  for (int i = 0; i < kIdDigits; ++i) {
    uint8_t c = bytes[size_t(kIdAt + i)];
    if (c < '0' || c > '9') return std::nullopt;
    id = id * 10 + (c - '0');
  }
  return id;
}

std::optional<RecordState> ParseRecord(std::span<const uint8_t> bytes) {
  std::optional<int32_t> id = RecordId(bytes);
  if (!id) return std::nullopt;
  RecordState r;
  r.id = *id;
  for (int i = 1; i < kGroupLength; ++i) {
    uint8_t c = bytes[size_t(kGroupAt + i)];
    if (c < '0' || c > '9') return std::nullopt;
    r.group = r.group * 10 + (c - '0');
  }
  std::memcpy(&r.version, &bytes[kVersionAt], sizeof r.version);
  std::vector<uint8_t> expected = RecordBytes(r);
  if (!std::equal(expected.begin(), expected.end(), bytes.begin())) return std::nullopt;
  return r;
}

std::vector<std::string> KeysOfRecord(std::span<const uint8_t> bytes) {
  if (bytes.size() < size_t(kPayloadAt)) return {"", ""};
  auto text = [&](int at, int n) { return std::string(reinterpret_cast<const char*>(&bytes[size_t(at)]), size_t(n)); };
  return {"ID" + text(kIdAt, kIdDigits), text(kGroupAt, kGroupLength)};
}

}  // namespace tf::crashtest
