#pragma once
// Plain text as a Rich Text Format document in one font and colour: what the text report
// window saves. Plain C++ (no Qt), so the output is tested byte for byte.

#include <string>
#include <string_view>

#include "common/stored_font.h"

namespace tf::common {

// Every line of `text` (ended by LF or CR LF; a last line without one counts too) becomes one
// paragraph. Backslashes and braces are escaped, tabs become \tab and bytes above 127 (Latin-1)
// hexadecimal escapes, so any byte string gives a well-formed document.
std::string PlainTextToRtf(std::string_view text, const FontSpec& font);

}  // namespace tf::common
