#pragma once
// Printing a test's snapshot type (the state of a file block, a folder, a window) so that a
// failed EXPECT_EQ shows what differs: GoogleTest prints a line-by-line diff of two values
// when each is printed as one quoted text whose lines are separated by an escaped "\n", as it
// prints a std::string. A snapshot type's PrintTo hands its lines to PrintLines.

#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace tf::test {

inline void PrintLines(const std::vector<std::string>& lines, std::ostream* os) {
  *os << '"';
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) *os << "\\n";
    for (char c : lines[i]) {
      if (c == '"' || c == '\\') *os << '\\';
      *os << c;
    }
  }
  *os << '"';
}

// Bytes as text where they are printable, "<hh>" where not, runs of zero bytes as "<00*N>".
inline std::string BytesText(std::span<const unsigned char> bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char c = bytes[i];
    size_t run = 1;
    while (c == 0 && i + run < bytes.size() && bytes[i + run] == 0) ++run;
    if (run > 1) {
      out += "<00*" + std::to_string(run) + ">";
    } else if (c >= 0x20 && c < 0x7f && c != '<') {
      out += char(c);
    } else {
      out += {'<', digits[c >> 4], digits[c & 15], '>'};
    }
    i += run;
  }
  return out;
}

}  // namespace tf::test
