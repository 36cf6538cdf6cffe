#pragma once
// The product file block of a company: its kind for the shared record-file procedures, opening
// it (with repair and creation), and looking products up by code.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/prompter.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"
#include "records/record_file.h"

namespace tf::records::product {

inline constexpr std::string_view kNewProductFileText =
    "I am going to create a new, empty product file for this company.";
inline constexpr std::string_view kNewProductFileCaption = "New Company";

// Title "Products", 300-byte records, keys (10, no duplicates) and (30, duplicates).
const records::RecordFileKind& ProductFileKind();

// Opens (repairing as the user agrees, or creating after the notice) the product file block of
// the company. False when it could not be opened; EngineStatus tells why.
bool OpenProductFile(engine::FileBlock*& handle, std::string_view companyNumber,
                     common::Prompter& prompter, engine::RebuildStatus& status);

// Searches key 1 for the code: the first entry at or after it. `foundKey` / `ref` are that
// entry's; false when no entry lies at or after it (or the search failed).
bool FindProductByCode(engine::FileBlock* handle, std::string_view code, std::int32_t& ref,
                       std::string& foundKey);

// The product with exactly this code (compared trimmed and upper-cased), read into `record`.
bool ReadProductByCode(engine::FileBlock* handle, std::string_view code, std::int32_t& ref,
                       std::span<std::uint8_t> record);

}  // namespace tf::records::product
