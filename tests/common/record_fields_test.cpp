#include "common/record_fields.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/record_buffer.h"

namespace tf::common {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Slice(const RecordBuffer& record, std::size_t from, std::size_t count) {
  return Bytes(record.begin() + from, record.begin() + from + count);
}

TEST(RecordBuffer, StartsZeroFilledAndClearsToZero) {
  RecordBuffer record(64);
  ASSERT_EQ(record.size(), 64u);
  EXPECT_EQ(Slice(record, 0, 64), Bytes(64, 0));
  WriteText(record, {10, 20}, "something");
  WriteInt32(record, {40}, -1);
  record.Clear();
  EXPECT_EQ(record.size(), 64u);
  EXPECT_EQ(Slice(record, 0, 64), Bytes(64, 0));
}

TEST(RecordBuffer, EqualityIsByteForByte) {
  RecordBuffer a(16), b(16);
  EXPECT_EQ(a, b);
  b.data()[15] = 1;
  EXPECT_NE(a, b);
  EXPECT_NE(RecordBuffer(16), RecordBuffer(17));
}

TEST(TextField, WritesLengthByteAndCharactersAtOffset) {
  RecordBuffer record(16);
  WriteText(record, {3, 6}, "abc");
  EXPECT_EQ(Slice(record, 0, 11), (Bytes{0, 0, 0, 3, 'a', 'b', 'c', 0, 0, 0, 0}));
  EXPECT_EQ(ReadText(record, {3, 6}), "abc");
}

struct WriteCase {
  std::string written;
  std::string readBack;
};

TEST(TextField, RoundTripsAndCutsToCapacity) {
  const WriteCase cases[] = {
      {"", ""},
      {"x", "x"},
      {"12345", "12345"},
      {"123456", "12345"},                                  // cut to the capacity
      {std::string(300, 'z'), "zzzzz"},
      {std::string("\0\xff\x01\x80 ", 5), std::string("\0\xff\x01\x80 ", 5)},  // any bytes
  };
  for (const auto& c : cases) {
    RecordBuffer record(8);
    WriteText(record, {1, 5}, c.written);
    EXPECT_EQ(ReadText(record, {1, 5}), c.readBack);
    EXPECT_EQ(record.data()[1], c.readBack.size());
    EXPECT_EQ(record.data()[7], 0) << "the byte after the field is untouched";
    EXPECT_EQ(record.data()[0], 0) << "the byte before the field is untouched";
  }
}

TEST(TextField, ShorterTextLeavesOldCharactersBeyondTheLength) {
  RecordBuffer record(8);
  WriteText(record, {0, 6}, "abcdef");
  WriteText(record, {0, 6}, "xy");
  EXPECT_EQ(ReadText(record, {0, 6}), "xy");
  EXPECT_EQ(Slice(record, 0, 7), (Bytes{2, 'x', 'y', 'c', 'd', 'e', 'f'}));

  // Writing back the value it holds leaves the record byte-identical.
  RecordBuffer copy = record;
  WriteText(record, {0, 6}, ReadText(record, {0, 6}));
  EXPECT_EQ(record, copy);
}

TEST(TextField, CorruptLengthByteNeverReadsPastTheField) {
  for (int length : {6, 7, 100, 255}) {
    RecordBuffer record(7);  // exactly the field: a length byte and 6 characters
    for (std::size_t i = 1; i < 7; ++i) record.data()[i] = static_cast<std::uint8_t>('a' + i - 1);
    record.data()[0] = static_cast<std::uint8_t>(length);
    EXPECT_EQ(ReadText(record, {0, 6}), "abcdef") << "length byte " << length;
  }
}

TEST(TextField, FieldOutsideTheRecordThrows) {
  RecordBuffer record(10);
  EXPECT_NO_THROW(ReadText(record, {4, 5}));  // bytes 4..9, the last ones
  EXPECT_THROW(ReadText(record, {5, 5}), std::out_of_range);
  EXPECT_THROW(WriteText(record, {5, 5}, "a"), std::out_of_range);
  EXPECT_THROW(ReadText(record, {11, 1}), std::out_of_range);
  EXPECT_THROW(ReadText(record, {static_cast<std::size_t>(-1), 1}), std::out_of_range);
  EXPECT_THROW(ReadText(record, {0, 0}), std::invalid_argument);
  RecordBuffer big(300);
  EXPECT_THROW(ReadText(big, {0, 256}), std::invalid_argument);
  EXPECT_NO_THROW(WriteText(big, {0, 255}, std::string(255, 'q')));
  EXPECT_EQ(ReadText(big, {0, 255}), std::string(255, 'q'));
}

struct FlagCase {
  Bytes field;  // length byte, character
  bool expected;
};

TEST(FlagField, OnlyYReadsAsYes) {
  const FlagCase cases[] = {
      {{1, 'Y'}, true},  {{1, 'N'}, false}, {{0, 'Y'}, false},  // zero length is not "Y"
      {{1, 'y'}, false}, {{1, ' '}, false}, {{0, 0}, false},
      {{9, 'Y'}, true},  // a damaged length still reads the one character
      {{1, 0}, false},
  };
  for (const auto& c : cases) {
    RecordBuffer record(3);
    record.data()[1] = c.field[0];
    record.data()[2] = c.field[1];
    EXPECT_EQ(ReadFlag(record, {1}), c.expected) << int(c.field[0]) << " " << int(c.field[1]);
  }
}

TEST(FlagField, WritesOneCharacterYOrN) {
  RecordBuffer record(4);
  WriteFlag(record, {1}, true);
  EXPECT_EQ(Slice(record, 0, 4), (Bytes{0, 1, 'Y', 0}));
  WriteFlag(record, {1}, false);
  EXPECT_EQ(Slice(record, 0, 4), (Bytes{0, 1, 'N', 0}));
  EXPECT_THROW(WriteFlag(record, {3}, true), std::out_of_range);
}

TEST(BoolField, AnyNonZeroByteIsTrueAndWritesOneOrZero) {
  RecordBuffer record(2);
  for (int byte : {0, 1, 2, 0x80, 0xff}) {
    record.data()[1] = static_cast<std::uint8_t>(byte);
    EXPECT_EQ(ReadBool(record, {1}), byte != 0) << byte;
  }
  WriteBool(record, {1}, true);
  EXPECT_EQ(record.data()[1], 1);
  WriteBool(record, {1}, false);
  EXPECT_EQ(record.data()[1], 0);
  EXPECT_THROW(ReadBool(record, {2}), std::out_of_range);
}

struct IntCase {
  std::int32_t value;
  Bytes bytes;
};

TEST(Int32Field, LittleEndianBothWays) {
  const IntCase cases[] = {
      {0, {0, 0, 0, 0}},
      {1, {1, 0, 0, 0}},
      {0x12345678, {0x78, 0x56, 0x34, 0x12}},
      {-1, {0xff, 0xff, 0xff, 0xff}},
      {-2, {0xfe, 0xff, 0xff, 0xff}},
      {INT32_MAX, {0xff, 0xff, 0xff, 0x7f}},
      {INT32_MIN, {0, 0, 0, 0x80}},
  };
  for (const auto& c : cases) {
    RecordBuffer record(7);
    WriteInt32(record, {2}, c.value);
    EXPECT_EQ(Slice(record, 2, 4), c.bytes) << c.value;
    EXPECT_EQ(record.data()[1], 0);
    EXPECT_EQ(record.data()[6], 0);
    EXPECT_EQ(ReadInt32(record, {2}), c.value);
  }
  RecordBuffer record(7);
  EXPECT_THROW(ReadInt32(record, {4}), std::out_of_range);
  EXPECT_THROW(WriteInt32(record, {4}, 1), std::out_of_range);
}

TEST(RecordFields, WorkOnPlainSpansToo) {
  std::uint8_t raw[8] = {};
  WriteText(std::span<std::uint8_t>(raw), {0, 4}, "hi");
  const std::uint8_t* view = raw;
  EXPECT_EQ(ReadText(std::span<const std::uint8_t>(view, 8), {0, 4}), "hi");
}

}  // namespace
}  // namespace tf::common
