#pragma once
// The company list report: a heading, then each company (whose number is not blank) with its
// number and balance and a rule, in number or name order.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/engine.h"

namespace tf::companies {

inline constexpr std::string_view kCompanyListTitle = "Company List";

// Lines of at most 85 characters for the companies of the open company file block in the order
// of key `keyNr` (1 by number, 2 by name).
std::vector<std::string> CompanyListLines(engine::FileBlock* companies, int keyNr, std::chrono::local_seconds now);

// "Company List by Number" or "Company List by Name".
std::string CompanyListCaption(int keyNr);

}  // namespace tf::companies
