#pragma once
// A record image: a fixed number of bytes, zero-filled when made or cleared, so that new records
// carry zeros beyond every field's length. Converts to std::span for the field accessors and
// hands its bytes to the storage engine through data().

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tf::common {

class RecordBuffer {
 public:
  explicit RecordBuffer(std::size_t size) : bytes_(size, 0) {}

  void Clear() { bytes_.assign(bytes_.size(), 0); }

  std::size_t size() const { return bytes_.size(); }
  std::uint8_t* data() { return bytes_.data(); }
  const std::uint8_t* data() const { return bytes_.data(); }
  std::uint8_t* begin() { return bytes_.data(); }
  std::uint8_t* end() { return bytes_.data() + bytes_.size(); }
  const std::uint8_t* begin() const { return bytes_.data(); }
  const std::uint8_t* end() const { return bytes_.data() + bytes_.size(); }

  // Byte-for-byte equality: how an edited record is told apart from its unedited copy.
  bool operator==(const RecordBuffer&) const = default;

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace tf::common
