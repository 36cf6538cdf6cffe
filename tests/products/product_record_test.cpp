// The product record's layout, its two keys and the file block name.

#include <gtest/gtest.h>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "records/product_record.h"
#include "tests/products/product_fixture.h"

namespace tf::products {
namespace {

using namespace records::product;

using testing::MakeProduct;

TEST(ProductRecord, FieldsLieAtTheirOffsets) {
  common::RecordBuffer r = MakeProduct({.code = "C1", .description = "Desc", .price = "12.5", .taxable = true,
                                        .notes = "N", .setupDate = "03/04/2026", .lastChanged = "05/06/2026"});
  struct Expect {
    std::size_t offset;
    std::string bytes;  // length byte then characters
  };
  const Expect table[] = {{4, "\x02" "C1"},         {15, "\x04" "Desc"}, {59, "\x01"},
                          {60, "\x04" "12.5"},      {82, "\x01" "N"},    {233, "\x0a" "03/04/2026"},
                          {244, "\x0a" "05/06/2026"}};
  for (const auto& e : table)
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.data() + e.offset), e.bytes.size()), e.bytes)
        << "offset " << e.offset;
  // Nothing reaches into the reserved ranges.
  for (std::size_t i : {48u, 58u, 71u, 81u, 255u, 299u}) EXPECT_EQ(r.data()[i], 0) << i;
}

TEST(ProductRecord, FieldWritesLeaveReservedBytesAlone) {
  common::RecordBuffer r(kProductRecordLength);
  for (std::size_t i = 0; i < r.size(); ++i) r.data()[i] = 0xA5;
  common::WriteText(r, kProductCode, std::string(20, 'X'));
  common::WriteText(r, kProductDescription, std::string(40, 'Y'));
  common::WriteText(r, kSalesPrice, std::string(20, '9'));
  common::WriteText(r, kProductNotes, std::string(200, 'Z'));
  common::WriteText(r, kLastChangedDate, std::string(20, '1'));
  for (std::size_t i = 48; i <= 58; ++i) EXPECT_EQ(r.data()[i], 0xA5) << i;
  for (std::size_t i = 71; i <= 81; ++i) EXPECT_EQ(r.data()[i], 0xA5) << i;
  for (std::size_t i = 255; i <= 299; ++i) EXPECT_EQ(r.data()[i], 0xA5) << i;
  EXPECT_EQ(common::ReadText(r, kProductCode), std::string(10, 'X'));
  EXPECT_EQ(common::ReadText(r, kProductDescription), std::string(32, 'Y'));
}

TEST(ProductKey, KeysOfCodesAndDescriptions) {
  struct Case {
    std::string code, description;
    std::string key1, key2;
  };
  const Case table[] = {
      // Case and surrounding blanks do not count: these two collide on key 1.
      {"ab1 ", "widget", "AB1       ", "WIDGET" + std::string(24, ' ')},
      {"AB1", "Widget", "AB1       ", "WIDGET" + std::string(24, ' ')},
      {"\t x\x01", "  a b  ", "X         ", "A B" + std::string(27, ' ')},
      // 32 characters are stored, 30 make the key.
      {"0123456789", "abcdefghijklmnopqrstuvwxyz012345", "0123456789", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"},
      // Only ASCII letters change case.
      {"\xe9t\xe9", "\xe9l\xe8ve", "\xe9T\xe9       ", "\xe9L\xe8VE" + std::string(25, ' ')},
      {"", "", std::string(10, ' '), std::string(30, ' ')},
  };
  for (const auto& c : table) {
    const auto r = MakeProduct({.code = c.code, .description = c.description});
    EXPECT_EQ(ProductKey(r, 1), c.key1) << c.code;
    EXPECT_EQ(ProductKey(r, 2), c.key2) << c.description;
  }
  const auto r = MakeProduct({.code = "A", .description = "B"});
  EXPECT_EQ(ProductKey(r, 0), "");
  EXPECT_EQ(ProductKey(r, 3), "");
  EXPECT_EQ(CodeKey(" ab1"), "AB1       ");
}

TEST(ProductFileName, TrimmedNumberAndP) {
  EXPECT_EQ(ProductFileName("1"), "1P");
  EXPECT_EQ(ProductFileName(" 7 "), "7P");
  EXPECT_EQ(ProductFileName("32000"), "32000P");
}

}  // namespace
}  // namespace tf::products
