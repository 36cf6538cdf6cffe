#include "common/stored_font.h"

#include <stdexcept>

#include "common/record_fields.h"

namespace tf::common {
namespace {

// The style byte, like every other field, must lie inside the record.
std::size_t StyleIndex(std::size_t recordSize, FontSpecField field) {
  if (field.StyleOffset() >= recordSize) throw std::out_of_range("font style outside the record");
  return field.StyleOffset();
}

}  // namespace

FontSpec ReadFontSpec(std::span<const std::uint8_t> record, FontSpecField field) {
  FontSpec f;
  f.face = ReadText(record, TextField{field.offset, field.faceCapacity});
  f.size = ReadInt32(record, Int32Field{field.SizeOffset()});
  f.colour = ReadInt32(record, Int32Field{field.ColourOffset()});
  f.style = record[StyleIndex(record.size(), field)];
  return f;
}

void WriteFontSpec(std::span<std::uint8_t> record, FontSpecField field, const FontSpec& font) {
  WriteText(record, TextField{field.offset, field.faceCapacity}, font.face);
  WriteInt32(record, Int32Field{field.SizeOffset()}, font.size);
  WriteInt32(record, Int32Field{field.ColourOffset()}, font.colour);
  record[StyleIndex(record.size(), field)] = font.style;
}

}  // namespace tf::common
