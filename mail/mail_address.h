#pragma once
// A mail address as the sender puts it into "MAIL FROM:<...>" and "RCPT TO:<...>". An address
// reaches a command only after this check: a control character, a space or an angle bracket
// would end the command early or smuggle a second one into the conversation.

#include <string>
#include <string_view>

namespace tf::mail {

// One entry of a recipient list: a display name (may be empty) and the address.
struct TMailAddress {
  std::string Name;
  std::string Address;
};

// True for an address with exactly one "@", something on both sides of it, and no control
// character, space, angle bracket or byte beyond 7-bit text (the sender does not offer
// internationalised addresses to the server, so such an address could not be delivered).
bool IsValidMailAddress(std::string_view address);

}  // namespace tf::mail
