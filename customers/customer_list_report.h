#pragma once
// The customer list report: every customer with a number, in name or number order, with or
// without its addresses, as lines of at most 85 characters.

#include <chrono>
#include <span>
#include <string>
#include <vector>

#include "engine/core/engine.h"

namespace tf::customers {

inline constexpr std::string_view kIncludeAddressesText = "Do you want to include the customer addresses on this list?";
inline constexpr std::string_view kCustomerListCaption = "Customer List";
inline constexpr std::string_view kSortByNumberText =
    "Customers will be sorted by name. Would you rather sort by customer number?";
inline constexpr std::string_view kCustomerSortCaption = "Customer Sort";
inline constexpr std::string_view kPreparingListText = "Preparing list...";
inline constexpr std::string_view kListByNumberTitle = "Customer List by Number";
inline constexpr std::string_view kListByNameTitle = "Customer List by Name";

std::vector<std::string> CustomerListLines(engine::FileBlock* customers, const std::string& companyName,
                                           std::chrono::local_seconds now, bool withAddresses, bool byNumber);

}  // namespace tf::customers
