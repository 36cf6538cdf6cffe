#pragma once
// A font as records store it: face name, size in points, colour and style bits. The colour is
// the stored colour value: red in the low byte, green in the next, blue in the third.

#include <cstdint>
#include <span>
#include <string>

namespace tf::common {

inline constexpr std::uint8_t kFontBold = 1;
inline constexpr std::uint8_t kFontItalic = 2;
inline constexpr std::uint8_t kFontUnderline = 4;
inline constexpr std::uint8_t kFontStrikeOut = 8;

struct FontSpec {
  std::string face;
  std::int32_t size = 10;    // points
  std::int32_t colour = 0;   // 0x00BBGGRR
  std::uint8_t style = 0;    // kFont* bits

  bool operator==(const FontSpec&) const = default;
};

// Where a FontSpec lies in a record: the face as a text of `faceCapacity`, then alignment
// bytes up to the next multiple of 4, size (int32), colour (int32), style (one byte).
struct FontSpecField {
  std::size_t offset;
  std::size_t faceCapacity;
  std::size_t SizeOffset() const { return (offset + faceCapacity + 1 + 3) / 4 * 4; }
  std::size_t ColourOffset() const { return SizeOffset() + 4; }
  std::size_t StyleOffset() const { return SizeOffset() + 8; }
};

FontSpec ReadFontSpec(std::span<const std::uint8_t> record, FontSpecField field);
// Alignment bytes are left as they are.
void WriteFontSpec(std::span<std::uint8_t> record, FontSpecField field, const FontSpec& font);

}  // namespace tf::common
