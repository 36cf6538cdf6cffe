#pragma once
// The three records of a company's invoicing: the 360-byte invoice record (every money event:
// invoices, repeat masters and what they generate, partial payments, deposits and their
// offsets), the 132-byte line record of a product invoice and the 1892-byte memo record of a
// memo invoice; their keys and file-block names.
//
// Every invoice key allows duplicates: one invoice number is shared by a "Z" invoice and its
// "X" payment records, and uniqueness of new numbers is the entry screen's business.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/record_fields.h"
#include "engine/core/engine.h"

namespace tf::records::invoice {

using common::TextField;

// --- invoice record ------------------------------------------------------------------------
inline constexpr int kInvoiceRecordLength = 360;

inline constexpr TextField kInvoiceNumber{4, 9};
inline constexpr TextField kRecordKind{14, 1};
inline constexpr TextField kKeyCode{16, 8};
inline constexpr TextField kCustomerNumber{25, 8};
inline constexpr TextField kCompanyNumber{34, 5};
inline constexpr TextField kInvoiceDate{40, 10};
inline constexpr TextField kPrintedFlag{51, 1};
inline constexpr TextField kInvoiceMonth{53, 2};
inline constexpr TextField kInvoiceDay{56, 2};
inline constexpr TextField kInvoiceYear{59, 4};
inline constexpr TextField kDateKey{64, 10};
inline constexpr TextField kNotes{75, 80};
inline constexpr TextField kTerms{156, 35};
inline constexpr TextField kStatementNote{192, 35};
inline constexpr TextField kInvoiceType{228, 1};
inline constexpr TextField kShortName{230, 10};
inline constexpr TextField kNetAmount{241, 10};
inline constexpr TextField kTaxAmount{252, 10};
inline constexpr TextField kTotalAmount{263, 10};
inline constexpr TextField kPaidAmount{274, 10};
inline constexpr TextField kBalanceDue{285, 10};
inline constexpr TextField kDatePaid{296, 10};
inline constexpr TextField kRepeatUnit{307, 1};
inline constexpr TextField kPaidFlag{309, 1};
inline constexpr TextField kNextDueDate{311, 10};
inline constexpr TextField kRepeatInterval{322, 3};
inline constexpr TextField kRepeatCount{326, 3};
inline constexpr TextField kEMailedDate{345, 10};

// Keys of the invoice file block.
inline constexpr int kKeyByNumber = 1;
inline constexpr int kKeyByCustomer = 2;
inline constexpr int kKeyByDate = 3;
inline constexpr int kKeyByKeyCode = 4;
inline constexpr int kKeyByKind = 5;
inline constexpr int kKeyByDatePaid = 6;
inline constexpr int kInvoiceKeyCount = 6;

// Key 1 UpperCase("%-9s" number), 2 UpperCase("%-8s" customer number), 3 "%-10s" DateKey,
// 4 UpperCase("%-8s" key code) (its index allows 10), 5 UpperCase("%-10s" kind + number),
// 6 "%-10s" DatePaid (an open invoice's empty date sorts first). Other numbers: empty.
std::string InvoiceKey(std::span<const std::uint8_t> record, int keyNr);
// Key 1 of an invoice number: what a search for one number looks for.
std::string InvoiceNumberKey(std::string_view number);
std::vector<std::string> InvoiceKeys(std::span<const unsigned char> record);
// (9, dup), (8, dup), (10, dup), (10, dup), (10, dup), (10, dup).
const std::vector<engine::KeyDescriptor>& InvoiceKeyDescriptors();

// --- line record ---------------------------------------------------------------------------
inline constexpr int kLineRecordLength = 132;

inline constexpr TextField kLineText{4, 65};
inline constexpr TextField kLineKind{70, 1};
inline constexpr TextField kLineCompanyNumber{72, 5};
inline constexpr TextField kLineInvoiceNumber{78, 9};
inline constexpr TextField kLineDateKey{88, 10};
inline constexpr TextField kLineProductCode{99, 10};
inline constexpr TextField kLineCustomerNumber{110, 8};
inline constexpr TextField kLineShortName{119, 10};

inline constexpr int kLineKeyByDate = 1;
inline constexpr int kLineKeyByInvoice = 2;

// Key 1 UpperCase("%-10s" DateKey), key 2 UpperCase("%-9s" invoice number).
std::string LineKey(std::span<const std::uint8_t> record, int keyNr);
std::vector<std::string> LineKeys(std::span<const unsigned char> record);
// (10, dup), (9, dup).
const std::vector<engine::KeyDescriptor>& LineKeyDescriptors();

// --- memo record ---------------------------------------------------------------------------
inline constexpr int kMemoRecordLength = 1892;
inline constexpr TextField kMemoInvoiceNumber{4, 9};
inline constexpr int kMemoLineCount = 25;
inline constexpr std::size_t kMemoLineWidth = 74;
// Memo line 1..25.
constexpr TextField MemoLine(int n) { return {14 + std::size_t(n - 1) * (kMemoLineWidth + 1), kMemoLineWidth}; }

// Key 1 UpperCase("%-9s" invoice number).
std::string MemoKey(std::span<const std::uint8_t> record, int keyNr);
std::vector<std::string> MemoKeys(std::span<const unsigned char> record);
// (9, unique).
const std::vector<engine::KeyDescriptor>& MemoKeyDescriptors();

// --- file blocks ---------------------------------------------------------------------------
// The trimmed company number followed by "I" (invoices), "D" (lines) or "M" (memos).
std::string InvoiceFileName(std::string_view companyNumber);
std::string LineFileName(std::string_view companyNumber);
std::string MemoFileName(std::string_view companyNumber);

}  // namespace tf::records::invoice
