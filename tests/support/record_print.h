#pragma once
// GoogleTest prints a record image as its text (print_lines.h's BytesText), so a failed
// EXPECT_EQ between two records shows their fields rather than "false" or a list of numbers.

#include <ostream>

#include "common/record_buffer.h"
#include "tests/support/print_lines.h"

namespace tf::common {

inline void PrintTo(const RecordBuffer& record, std::ostream* os) {
  *os << '"' << test::BytesText({record.data(), record.size()}) << '"';
}

}  // namespace tf::common
