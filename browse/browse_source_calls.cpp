#include "browse/browse_source_calls.h"

namespace tf::browse {

void BrowseEngineCalls::GetRecord(engine::FileBlock* handle, int32_t ref, std::span<uint8_t> buffer) {
  tf::engine::GetRecord(handle, ref, buffer);
}

void BrowseEngineCalls::FindKeyAndRef(engine::FileBlock* handle, int keyNr, int32_t& ref, int direction, std::string& key) {
  tf::engine::FindKeyAndRef(handle, keyNr, ref, direction, key);
}

void BrowseEngineCalls::NextKey(engine::FileBlock* handle, int keyNr, int32_t& ref, std::string& key) {
  tf::engine::NextKey(handle, keyNr, ref, key);
}

void BrowseEngineCalls::PrevKey(engine::FileBlock* handle, int keyNr, int32_t& ref, std::string& key) {
  tf::engine::PrevKey(handle, keyNr, ref, key);
}

void BrowseEngineCalls::KeyPosition(engine::FileBlock* handle, int keyNr, uint16_t& pos, int32_t ref, const std::string& key,
                                    uint16_t scale) {
  tf::engine::KeyPosition(handle, keyNr, pos, ref, key, scale);
}

void BrowseEngineCalls::KeyAtPosition(engine::FileBlock* handle, int keyNr, uint16_t pos, int32_t& ref, std::string& key,
                                      uint16_t scale) {
  tf::engine::KeyAtPosition(handle, keyNr, pos, ref, key, scale);
}

BrowseEngineCalls& DirectBrowseEngineCalls() {
  static BrowseEngineCalls calls;
  return calls;
}

}  // namespace tf::browse
