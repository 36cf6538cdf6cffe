#pragma once
// Showing and writing numbers, one helper per number pattern of the program. In a pattern "0"
// is a required digit, "#" an optional one, "," anywhere asks for a "," between every three
// integer digits, and the count of "0"s after "." is the number of decimals. The value is
// rounded half away from zero to those decimals; negative numbers get a leading "-", except
// when they round to zero, which shows without a sign ("0.00", never "-0.00").

#include <cstdint>
#include <string>

#include "common/money.h"

namespace tf::common {

// "0.00": how amounts are written into records ("1234.50", "-40.00").
std::string Format0_00(Money value);

// ",0.00": how amounts are shown ("1,234.50").
std::string FormatComma0_00(Money value);

// "#,0.00": shown amounts in the payment screens. The optional "#" digit adds nothing beyond
// the required "0", so the result equals ",0.00".
std::string FormatHashComma0_00(Money value);

// ",0.000": quantities in the sales report ("1,234.500").
std::string FormatComma0_000(Money value);

// "0": whole numbers without separators ("1235" for 1234.5).
std::string Format0(Money value);
std::string Format0(std::int64_t value);

// "00.000": at least two integer digits, three decimals ("01.250" hours).
std::string Format00_000(Money value);

// ",0" with `decimals` (0..6) zeros after the point: ",0", ",0.0" ... ",0.0000" for numbers
// shown with as many decimals as they were typed with.
std::string FormatCommaDecimals(Money value, int decimals);

}  // namespace tf::common
