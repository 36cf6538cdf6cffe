#include "common/record_fields.h"

#include <algorithm>
#include <stdexcept>

namespace tf::common {
namespace {

void RequireInside(std::size_t recordSize, std::size_t offset, std::size_t width) {
  if (offset > recordSize || width > recordSize - offset) {
    throw std::out_of_range("record field at offset " + std::to_string(offset) + " of width " +
                            std::to_string(width) + " lies outside a record of " +
                            std::to_string(recordSize) + " bytes");
  }
}

void RequireTextCapacity(TextField field) {
  if (field.capacity < 1 || field.capacity > 255) {
    throw std::invalid_argument("text field capacity " + std::to_string(field.capacity) +
                                " is outside 1..255");
  }
}

}  // namespace

std::string ReadText(std::span<const std::uint8_t> record, TextField field) {
  RequireTextCapacity(field);
  RequireInside(record.size(), field.offset, field.capacity + 1);
  std::size_t length = std::min<std::size_t>(record[field.offset], field.capacity);
  const auto* chars = reinterpret_cast<const char*>(record.data() + field.offset + 1);
  return std::string(chars, length);
}

void WriteText(std::span<std::uint8_t> record, TextField field, std::string_view text) {
  RequireTextCapacity(field);
  RequireInside(record.size(), field.offset, field.capacity + 1);
  std::size_t length = std::min(text.size(), field.capacity);
  record[field.offset] = static_cast<std::uint8_t>(length);
  std::copy_n(reinterpret_cast<const std::uint8_t*>(text.data()), length,
              record.data() + field.offset + 1);
}

bool ReadFlag(std::span<const std::uint8_t> record, FlagField field) {
  return ReadText(record, {field.offset, 1}) == "Y";
}

void WriteFlag(std::span<std::uint8_t> record, FlagField field, bool yes) {
  WriteText(record, {field.offset, 1}, yes ? "Y" : "N");
}

bool ReadBool(std::span<const std::uint8_t> record, BoolField field) {
  RequireInside(record.size(), field.offset, 1);
  return record[field.offset] != 0;
}

void WriteBool(std::span<std::uint8_t> record, BoolField field, bool value) {
  RequireInside(record.size(), field.offset, 1);
  record[field.offset] = value ? 1 : 0;
}

std::int32_t ReadInt32(std::span<const std::uint8_t> record, Int32Field field) {
  RequireInside(record.size(), field.offset, 4);
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | record[field.offset + i];
  return static_cast<std::int32_t>(value);
}

void WriteInt32(std::span<std::uint8_t> record, Int32Field field, std::int32_t value) {
  RequireInside(record.size(), field.offset, 4);
  auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) record[field.offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

}  // namespace tf::common
