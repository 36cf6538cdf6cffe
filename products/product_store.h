#pragma once
// The product file block of the current company: its one process-wide handle, how it is
// opened, created and rebuilt, and the guarded add / change / delete that keep records and keys
// consistent (the record-file procedures every record kind shares). Also the shared
// selected-product record that the Product Manager fills when the user picks a product for an
// invoice line.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/prompter.h"
#include "common/record_buffer.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"
#include "records/product_record.h"
#include "records/record_file.h"

namespace tf::products {

inline constexpr std::string_view kNewProductFileNotice =
    "I am going to create a new, empty product file for this company.";
inline constexpr std::string_view kNewProductFileCaption = "New Company";

// Record length, keys, key routine and the status window's title "Products".
const records::RecordFileKind& ProductFileKind();

// Process-wide product state.
struct ProductState {
  engine::FileBlock* file = nullptr;  // open while the Product Manager is shown
  common::RecordBuffer selected{records::product::kProductRecordLength};  // the product picked for invoice entry
  bool picked = false;
  int displayOrder = 1;                // the Product Manager's key number, kept between openings
};
ProductState& Products();

// Opens `name` into the shared handle; a damaged index is offered for rebuilding and a missing
// file block is created after the notice. False when it could not be opened.
bool OpenProducts(const std::string& name, common::Prompter& prompter, engine::RebuildStatus& status);
void CloseProducts();
void CreateProducts(const std::string& name);  // EngineOK tells the outcome
bool RebuildProducts(const std::string& name, engine::RebuildStatus& status);

bool AddProduct(engine::FileBlock* file, std::span<const std::uint8_t> record, std::int32_t& ref,
                common::Prompter& prompter);
// `unedited` is the record as read before editing, `edited` what is to be stored.
bool UpdateProduct(engine::FileBlock* file, std::span<const std::uint8_t> unedited,
                   std::span<const std::uint8_t> edited, std::int32_t ref, common::Prompter& prompter);
bool DeleteProduct(engine::FileBlock* file, std::int32_t ref, std::span<const std::uint8_t> record,
                   common::Prompter& prompter);

// Searches key 1 for the code: the first entry at or after it. `foundKey` / `ref` are that
// entry's; false when no entry lies at or after it (or the search failed).
bool FindProductByCode(engine::FileBlock* file, std::string_view code, std::int32_t& ref,
                       std::string& foundKey);

// The product with exactly this code (compared trimmed and upper-cased), read into `record`.
bool ReadProductByCode(engine::FileBlock* file, std::string_view code, std::int32_t& ref,
                       std::span<std::uint8_t> record);

}  // namespace tf::products
