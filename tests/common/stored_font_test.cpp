#include "common/stored_font.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace tf::common {
namespace {

TEST(FontSpecField, AlignsTheNumbersAfterTheFaceToFourBytes) {
  struct Case {
    std::size_t offset, capacity, size;
  };
  const Case cases[] = {
      {0, 31, 32},   // face ends exactly at 32
      {10, 31, 44},  // 42 rounds up to 44
      {4, 20, 28},   // 25 rounds up to 28
      {3, 0, 4},
  };
  for (const Case& k : cases) {
    FontSpecField f{k.offset, k.capacity};
    EXPECT_EQ(f.SizeOffset(), k.size) << k.offset << "+" << k.capacity;
    EXPECT_EQ(f.ColourOffset(), k.size + 4);
    EXPECT_EQ(f.StyleOffset(), k.size + 8);
  }
}

TEST(FontSpec, WritesTheRecordLayoutAndReadsItBack) {
  std::vector<std::uint8_t> rec(60, 0xEE);
  FontSpecField field{10, 31};  // size at 44, colour at 48, style at 52
  FontSpec font{"Courier New", 12, 0x00102030, kFontBold | kFontUnderline};
  WriteFontSpec(rec, field, font);
  EXPECT_EQ(rec[10], 11);
  EXPECT_EQ(std::string(rec.begin() + 11, rec.begin() + 22), "Courier New");
  EXPECT_EQ(rec[42], 0xEE);  // alignment bytes are left as they were
  EXPECT_EQ(rec[43], 0xEE);
  EXPECT_EQ((std::vector<std::uint8_t>(rec.begin() + 44, rec.begin() + 53)),
            (std::vector<std::uint8_t>{12, 0, 0, 0, 0x30, 0x20, 0x10, 0, 5}));
  EXPECT_EQ(rec[53], 0xEE);
  EXPECT_EQ(ReadFontSpec(rec, field), font);
}

TEST(FontSpec, ReadsNegativeSizesAndSystemColoursAsStored) {
  std::vector<std::uint8_t> rec(40, 0);
  FontSpecField field{0, 20};
  FontSpec font{"Arial", -13, -16777208, 0};
  WriteFontSpec(rec, field, font);
  EXPECT_EQ(ReadFontSpec(rec, field), font);
}

TEST(FontSpec, AStyleByteOutsideTheRecordIsRefused) {
  FontSpecField field{0, 20};  // style at 32
  std::vector<std::uint8_t> rec(32, 0);
  EXPECT_THROW(WriteFontSpec(rec, field, FontSpec{}), std::out_of_range);
  EXPECT_THROW(ReadFontSpec(rec, field), std::out_of_range);
  rec.resize(33);
  EXPECT_NO_THROW(WriteFontSpec(rec, field, FontSpec{}));
}

}  // namespace
}  // namespace tf::common
