#include "records/walk_by_key.h"

#include <string>
#include <vector>

#include "common/record_fields.h"

namespace tf::records {

bool WalkByKey(engine::FileBlock* handle, const RecordFileKind& kind, int keyNr,
               const std::function<void(std::span<const std::uint8_t> record)>& row) {
  const auto mismatch = [] {
    engine::EngineOK = false;
    engine::EngineStatus = 0;
    return false;
  };
  std::vector<std::uint8_t> record(std::size_t(kind.recordLength));
  std::string key;
  std::int32_t ref = 0;
  int entries = 0;
  engine::ClearKey(handle, keyNr);
  for (engine::NextKey(handle, keyNr, ref, key); engine::EngineOK; engine::NextKey(handle, keyNr, ref, key)) {
    engine::GetRecord(handle, ref, std::span<std::uint8_t>(record));
    if (!engine::EngineOK) return false;
    if (common::ReadInt32(record, common::Int32Field{0}) != 0 || kind.keyRoutine(record, keyNr) != key)
      return mismatch();
    row(record);
    ++entries;
  }
  if (engine::EngineStatus != engine::status::kNextPastEnd) return false;
  if (entries != engine::UsedRecords(handle)) return mismatch();
  engine::EngineOK = true;
  engine::EngineStatus = 0;
  return true;
}

}  // namespace tf::records
