#pragma once
// The rows of the manager's list of customers; the list itself is an browse::ManagerList.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tf::customers {

inline constexpr std::size_t kRowWidth = 128;

// "Name" (35), "Number" (8), "Balance" (12, right-aligned), "Last Pmt." (10), "Last Inv." (9),
// "Phone Number(s)" (25), one blank apart, padded to 128.
std::string CustomerListHeader();
std::string CustomerRow(std::span<const std::uint8_t> record);
// A row whose record cannot be read: "****", two blanks and the index key.
std::string UnreadableRow(std::string_view key);

}  // namespace tf::customers
