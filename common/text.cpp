#include "common/text.h"

namespace tf::common {

std::string TrimBoth(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlankChar(text[begin])) ++begin;
  while (end > begin && IsBlankChar(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

std::string PadRight(std::string_view text, std::size_t width, char fill) {
  std::string out(text);
  if (out.size() < width) out.append(width - out.size(), fill);
  return out;
}

std::string AlignRight(std::string_view text, std::size_t width) {
  std::string out = TrimBoth(text);
  if (out.size() < width) out.insert(0, width - out.size(), ' ');
  if (out.size() > width) out.resize(width);
  return out;
}

std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string Cut(std::string_view text, std::size_t width) { return std::string(text.substr(0, width)); }

}  // namespace tf::common
