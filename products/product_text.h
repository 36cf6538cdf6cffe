#pragma once
// How product fields are shown in the list window, the list report and the find window.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tf::products {

// The stored price shown with ",0.00" ("1234.5" -> "1,234.50"). A text that is not a number
// (only a damaged or foreign record holds one) shows as "0.00" rather than failing the row.
std::string ShownPrice(std::string_view salesPrice);

// The header of the list: "Code", "Description", "Sales Price", "Setup Date", padded to 128.
std::string ProductListHeader();

// The list row of a product record, padded to 128.
std::string ProductRow(std::span<const std::uint8_t> record);

// The row of an entry whose record could not be read: "****  " and the entry's key.
std::string UnreadableRow(std::string_view key);

}  // namespace tf::products
