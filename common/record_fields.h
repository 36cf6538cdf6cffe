#pragma once
// Typed access to the fields of a record image. Records are byte images read from files that
// may be damaged, so every read accepts any byte values; a field that does not lie inside the
// record is a programming error and throws std::out_of_range.
//
// Record layouts declare their fields once, e.g.
//   inline constexpr TextField kCompanyName{4, 35};
//   std::string name = ReadText(record, kCompanyName);

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tf::common {

// A text of capacity N (1..255): one length byte, then N character bytes (N + 1 bytes).
struct TextField {
  std::size_t offset;
  std::size_t capacity;
};

// A Y/N flag: a text of capacity 1 holding "Y" or "N" (2 bytes).
struct FlagField {
  std::size_t offset;
};

// One byte, 0 = false, 1 = true.
struct BoolField {
  std::size_t offset;
};

// A 32-bit little-endian integer.
struct Int32Field {
  std::size_t offset;
};

// The characters up to the length byte; a damaged length above the capacity reads the full
// capacity and never beyond the field.
std::string ReadText(std::span<const std::uint8_t> record, TextField field);

// Writes the length byte and the characters, cutting a longer text to the capacity. Bytes
// beyond the new length are left as they were: they carry no meaning, and leaving them means
// that writing back an unchanged value leaves the record byte-identical, which is how an
// unedited record is recognised.
void WriteText(std::span<std::uint8_t> record, TextField field, std::string_view text);

// True only for the text "Y"; a zero length, "N" or any other byte reads as false.
bool ReadFlag(std::span<const std::uint8_t> record, FlagField field);
void WriteFlag(std::span<std::uint8_t> record, FlagField field, bool yes);

// Any byte other than 0 reads as true; writing stores 1 or 0.
bool ReadBool(std::span<const std::uint8_t> record, BoolField field);
void WriteBool(std::span<std::uint8_t> record, BoolField field, bool value);

std::int32_t ReadInt32(std::span<const std::uint8_t> record, Int32Field field);
void WriteInt32(std::span<std::uint8_t> record, Int32Field field, std::int32_t value);

}  // namespace tf::common
