#pragma once
// The product list report: a heading, then three lines per product in code or description
// order. Products whose description is blank are left out.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/engine.h"

namespace tf::products {

inline constexpr std::string_view kProductListTitle = "Product List";

// Lines of at most 85 characters for the products of the open file block in the order of
// key `keyNr` (1 by code, 2 by description).
std::vector<std::string> ProductListLines(engine::FileBlock* file, int keyNr, std::string_view companyName,
                                          std::chrono::local_seconds now);

// The list window's caption: "Product List by Code" or "Product List by Description".
std::string ProductListCaption(int keyNr);

}  // namespace tf::products
