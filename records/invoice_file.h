#pragma once
// The invoice, line and memo file blocks of a company as the record-file procedures see them
// (status-window title, record length, keys, key routine), and their records by field name
// for dumps.

#include <span>
#include <string>
#include <string_view>
#include <vector>

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

}  // namespace tf::records::invoice
