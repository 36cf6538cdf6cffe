#include "mail/mail_address.h"

#include <algorithm>

namespace tf::mail {

bool IsValidMailAddress(std::string_view address) {
  for (const char ch : address) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte <= 32 || byte >= 127 || ch == '<' || ch == '>') return false;
  }
  if (std::count(address.begin(), address.end(), '@') != 1) return false;
  const std::size_t at = address.find('@');
  return at > 0 && at + 1 < address.size();
}

}  // namespace tf::mail
