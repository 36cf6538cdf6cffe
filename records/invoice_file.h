#pragma once
// The invoice, line and memo file blocks of a company as the record-file procedures see them
// (status-window title, record length, keys, key routine), and their records by field name
// for dumps.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/date_text.h"
#include "common/prompter.h"
#include "common/record_buffer.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"
#include "records/record_file.h"

namespace tf::records::invoice {

inline constexpr std::string_view kNewInvoiceFileNotice =
    "I am going to create a new, empty invoice file for this company.";
inline constexpr std::string_view kNewInvoiceFileCaption = "New Company";

// "Invoices", 360 bytes, six keys.
const RecordFileKind& InvoiceFileKind();
// "Invoices", 132 bytes, two keys.
const RecordFileKind& LineFileKind();
// "Memo Records", 1892 bytes, one key.
const RecordFileKind& MemoFileKind();

// "Name: value" lines of a record, in record order.
std::vector<std::string> DescribeInvoice(std::span<const unsigned char> record);
std::vector<std::string> DescribeLine(std::span<const unsigned char> record);
std::vector<std::string> DescribeMemo(std::span<const unsigned char> record);

// --- opening -------------------------------------------------------------------------------
// Each opens (repairing a damaged index when the user agrees, creating a missing block) the
// company's file block. Only a missing invoice file is announced: the line and memo files of a
// company come and go with it, so creating them needs no word to the user.
bool OpenInvoiceFile(engine::FileBlock*& handle, std::string_view companyNumber, common::Prompter& prompter,
                     engine::RebuildStatus& status);
bool OpenLineFile(engine::FileBlock*& handle, std::string_view companyNumber, common::Prompter& prompter,
                  engine::RebuildStatus& status);
bool OpenMemoFile(engine::FileBlock*& handle, std::string_view companyNumber, common::Prompter& prompter,
                  engine::RebuildStatus& status);

// --- guarded maintenance ---------------------------------------------------------------------
// All or nothing, with the lock retry (record_file.h). `oldImage` is the record as it was read;
// a modify of an unchanged record writes nothing.
bool AddInvoice(engine::FileBlock* handle, std::span<const std::uint8_t> record, std::int32_t& ref,
                common::Prompter& prompter);
bool ModifyInvoice(engine::FileBlock* handle, std::span<const std::uint8_t> record,
                   std::span<const std::uint8_t> oldImage, std::int32_t ref, common::Prompter& prompter);
bool DeleteInvoice(engine::FileBlock* handle, std::span<const std::uint8_t> record, std::int32_t ref,
                   common::Prompter& prompter);
bool AddLine(engine::FileBlock* handle, std::span<const std::uint8_t> record, std::int32_t& ref,
             common::Prompter& prompter);
bool ModifyLine(engine::FileBlock* handle, std::span<const std::uint8_t> record,
                std::span<const std::uint8_t> oldImage, std::int32_t ref, common::Prompter& prompter);
bool DeleteLine(engine::FileBlock* handle, std::span<const std::uint8_t> record, std::int32_t ref,
                common::Prompter& prompter);
bool AddMemo(engine::FileBlock* handle, std::span<const std::uint8_t> record, std::int32_t& ref,
             common::Prompter& prompter);
bool ModifyMemo(engine::FileBlock* handle, std::span<const std::uint8_t> record,
                std::span<const std::uint8_t> oldImage, std::int32_t ref, common::Prompter& prompter);
bool DeleteMemo(engine::FileBlock* handle, std::span<const std::uint8_t> record, std::int32_t ref,
                common::Prompter& prompter);

// Moves the entry of `ref` in index keyNr from `oldKey` to `newKey` (nothing when they are
// equal): the new key first, so that a refused add deletes nothing. The lock retry applies.
bool ReplaceKey(engine::FileBlock* handle, const std::string& oldKey, const std::string& newKey, std::int32_t ref,
                int keyNr, common::Prompter& prompter);

// --- finding ---------------------------------------------------------------------------------
// The first entry of the key text on the index, with the lock retry. Only an entry whose key
// equals the one asked for counts: the next greater key (another invoice's number) is a miss,
// reported as false with EngineOK true; an engine failure is false with EngineOK false.
bool FindInvoice(engine::FileBlock* handle, std::string_view number, std::int32_t& ref, common::Prompter& prompter);
bool FindLine(engine::FileBlock* handle, const std::string& keyText, int keyNr, std::int32_t& ref,
              common::Prompter& prompter);
bool FindMemo(engine::FileBlock* handle, std::string_view number, std::int32_t& ref, common::Prompter& prompter);

// One record found on an index, with its record number.
struct StoredRecord {
  std::int32_t ref = 0;
  common::RecordBuffer record;
};

// Every record of one invoice number in key order: the invoice file's records (an invoice and
// its payment records), the lines of a product invoice in their order, the memo. Nothing found
// is an empty list; an engine failure is nothing (EngineOK / EngineStatus tell why), so that a
// caller never works on half a list.
std::optional<std::vector<StoredRecord>> ReadInvoiceRecords(engine::FileBlock* handle, std::string_view number);
std::optional<std::vector<StoredRecord>> ReadInvoiceLines(engine::FileBlock* handle, std::string_view number);
// Every record of one customer number (key 2 of the invoice file).
std::optional<std::vector<StoredRecord>> ReadCustomerInvoices(engine::FileBlock* handle,
                                                              std::string_view customerNumber);

// --- fields ------------------------------------------------------------------------------------
// Sets InvoiceDate to the date text as typed and InvoiceMonth, InvoiceDay (two digits each),
// InvoiceYear and DateKey from its parts. False, with the record unchanged, when the text is
// not a valid date in `format`.
bool SetInvoiceDate(std::span<std::uint8_t> record, std::string_view dateText, common::DateFormat format);
// The invoice date of a record as a calendar date (from its stored parts); nothing when they
// do not make a date.
std::optional<std::chrono::year_month_day> InvoiceDateOf(std::span<const std::uint8_t> record);

// The text a record kind is shown with ("I - Regular Invoice", ...); the repeat master's text
// carries its count. Unknown kinds show as stored.
std::string RecordKindText(std::span<const std::uint8_t> record);

// The kinds of invoice record.
inline constexpr std::string_view kKindInvoice = "I";
inline constexpr std::string_view kKindRepeatMaster = "R";
inline constexpr std::string_view kKindGenerated = "G";
inline constexpr std::string_view kKindPartlyPaid = "Z";
inline constexpr std::string_view kKindPartialPayment = "X";
inline constexpr std::string_view kKindDeposit = "D";
inline constexpr std::string_view kKindDepositTaken = "T";

// --- invoice numbers ---------------------------------------------------------------------------
inline constexpr std::size_t kInvoiceNumberWidth = 9;

// The number entry proposes: NextInvoiceNumber, or with the year-month prefix the last two
// digits of the year and the two-digit month of `lastInvoiceDate` before it. Nothing when the
// result would not fit the 9 characters of an invoice number (the user then types one).
std::optional<std::string> ProposeInvoiceNumber(std::string_view nextInvoiceNumber, bool yearMonthPrefix,
                                                std::chrono::year_month_day lastInvoiceDate);

// NextInvoiceNumber after `used` was stored: the larger of the current one and the sequence of
// `used` plus one. The sequence is the whole number, or with the year-month prefix characters 5
// to 9; a sequence that is not all digits (or empty) leaves the current number as it is, as
// does a successor that would not fit its place in a 9-character number.
std::string NextInvoiceNumberAfter(std::string_view current, std::string_view used, bool yearMonthPrefix);

}  // namespace tf::records::invoice
