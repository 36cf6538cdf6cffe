#include "common/font_spec.h"

#include "common/record_fields.h"

namespace tf::common {

FontSpec ReadFontSpec(std::span<const std::uint8_t> record, FontSpecField field) {
  FontSpec f;
  f.face = ReadText(record, TextField{field.offset, field.faceCapacity});
  f.size = ReadInt32(record, Int32Field{field.SizeOffset()});
  f.colour = ReadInt32(record, Int32Field{field.ColourOffset()});
  f.style = record[field.StyleOffset()];
  return f;
}

void WriteFontSpec(std::span<std::uint8_t> record, FontSpecField field, const FontSpec& font) {
  WriteText(record, TextField{field.offset, field.faceCapacity}, font.face);
  WriteInt32(record, Int32Field{field.SizeOffset()}, font.size);
  WriteInt32(record, Int32Field{field.ColourOffset()}, font.colour);
  record.at(field.StyleOffset()) = font.style;
}

}  // namespace tf::common
