#pragma once
// The engine operations a browse source makes, behind one seam: the program goes straight to
// the engine, tests put a wrapper in between that counts record reads or answers "busy".

#include <cstdint>
#include <span>
#include <string>

#include "engine/core/engine.h"

namespace tf::browse {

class BrowseEngineCalls {
 public:
  virtual ~BrowseEngineCalls() = default;
  virtual void GetRecord(engine::FileBlock* handle, int32_t ref, std::span<uint8_t> buffer);
  virtual void FindKeyAndRef(engine::FileBlock* handle, int keyNr, int32_t& ref, int direction, std::string& key);
  virtual void NextKey(engine::FileBlock* handle, int keyNr, int32_t& ref, std::string& key);
  virtual void PrevKey(engine::FileBlock* handle, int keyNr, int32_t& ref, std::string& key);
  virtual void KeyPosition(engine::FileBlock* handle, int keyNr, uint16_t& pos, int32_t ref, const std::string& key,
                           uint16_t scale);
  virtual void KeyAtPosition(engine::FileBlock* handle, int keyNr, uint16_t pos, int32_t& ref, std::string& key,
                             uint16_t scale);
};

// The calls that go straight to the engine.
BrowseEngineCalls& DirectBrowseEngineCalls();

}  // namespace tf::browse
