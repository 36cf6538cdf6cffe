#pragma once
// The customer file block of a company: its kind for the shared record-file procedures,
// opening it (with repair and creation), and looking customers up by number or name.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/prompter.h"
#include "common/record_buffer.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"
#include "records/record_file.h"

namespace tf::records::customer {

inline constexpr std::string_view kNewCustomerFileText =
    "I am going to create a new, empty customer file for this company.";
inline constexpr std::string_view kNewCustomerFileCaption = "New Company";

// Title "Customers", 1008-byte records, keys (30, no duplicates) and (8, duplicates).
const records::RecordFileKind& CustomerFileKind();

// Opens (repairing or creating as the user agrees) the customer file block of the company.
bool OpenCustomerFile(engine::FileBlock*& handle, std::string_view companyNumber,
                      common::Prompter& prompter, engine::RebuildStatus& status);

// The customer whose trimmed, upper-cased number equals the wanted one: its ref, with the
// record read into `record`. Nothing when there is none (SearchKey alone also finds the next
// greater key). Engine failures also give nothing; EngineOK tells them apart.
std::optional<std::int32_t> FindCustomerByNumber(engine::FileBlock* handle, std::string_view number,
                                                 std::span<std::uint8_t> record);
// The same by name (key 1).
std::optional<std::int32_t> FindCustomerByName(engine::FileBlock* handle, std::string_view name,
                                               std::span<std::uint8_t> record);

// A zero-filled customer record.
inline common::RecordBuffer NewCustomerRecord() { return common::RecordBuffer(1008); }

}  // namespace tf::records::customer
