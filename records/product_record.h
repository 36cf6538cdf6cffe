#pragma once
// The product record (300 bytes) of a company's product file block, its two keys and the file
// block's name. The reserved ranges (48..58, 71..81, 255..299) carry nothing here but are kept
// byte for byte whenever a record is rewritten: field writes never touch them.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/record_fields.h"
#include "engine/core/engine.h"

namespace tf::records::product {

inline constexpr int kProductRecordLength = 300;

inline constexpr common::TextField kProductCode{4, 10};          // as typed, case kept
inline constexpr common::TextField kProductDescription{15, 32};
inline constexpr common::BoolField kTaxable{59};
inline constexpr common::TextField kSalesPrice{60, 10};          // plain decimal text
inline constexpr common::TextField kProductNotes{82, 150};
inline constexpr common::TextField kSetupDate{233, 10};
inline constexpr common::TextField kLastChangedDate{244, 10};

inline constexpr int kKeyByCode = 1;
inline constexpr int kKeyByDescription = 2;
inline constexpr std::size_t kCodeKeyLength = 10;
inline constexpr std::size_t kDescriptionKeyLength = 30;

// (10, unique) by code and (30, duplicates) by description.
const std::vector<engine::KeyDescriptor>& ProductKeyDescriptors();

// Key 1: the trimmed, upper-cased code padded to 10; key 2: the description likewise padded
// to 30. Any other key number yields an empty key.
std::string ProductKey(std::span<const std::uint8_t> record, int keyNr);

// Key 1 of a record holding only `code`: what a lookup by code searches for.
std::string CodeKey(std::string_view code);

// The trimmed company number followed by "P", cut to 8 characters.
std::string ProductFileName(std::string_view companyNumber);

}  // namespace tf::records::product
