#include "invoicing/documents/invoice_document.h"

#include "common/date_text.h"
#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"

namespace tf::invoicing::documents {
namespace {

namespace inv = records::invoice;
namespace cu = records::customer;
namespace co = records::company;
using common::Money;
using common::ReadText;
using common::TrimBoth;

// The columns of a line record's text: quantity 1-10, description 11-42, unit price 43-52,
// tax mark 53, extension 54-63.
std::string Column(const std::string& text, std::size_t first, std::size_t width) {
  if (text.size() < first) return {};
  return text.substr(first - 1, width);
}

std::string EngineWords(std::string_view what) {
  return std::string(what) + " could not be read (engine status " + std::to_string(engine::EngineStatus) + ").";
}

// The paid date ("yyyy/mm/dd") in the company's order: "M" month first, "D" day first, any
// other code as stored.
std::string PaidDateShown(std::string_view datePaid, std::string_view dateFormatCode) {
  const std::string trimmed = TrimBoth(datePaid);
  if (trimmed.empty()) return {};
  if (dateFormatCode == "M") return common::RearrangeDateText(trimmed, common::DateFormat::YearFirst, common::DateFormat::MonthFirst);
  if (dateFormatCode == "D") return common::RearrangeDateText(trimmed, common::DateFormat::YearFirst, common::DateFormat::DayFirst);
  return trimmed;
}

std::string ShownAmount(std::string_view stored) {
  const auto amount = common::ParseAmount(common::RemoveCommas(stored), common::BlankAmount::Zero);
  return amount ? common::FormatComma0_00(*amount) : TrimBoth(stored);
}

}  // namespace

bool DocumentLine::Printable() const {
  return !description.empty() || !code.empty() || !quantity.empty() || !unitPrice.empty() || !extension.empty();
}

std::string ShowTypedNumber(std::string_view stored) {
  const std::string text = TrimBoth(common::RemoveCommas(stored));
  if (text.empty()) return {};
  const auto value = common::ParseAmount(text);
  if (!value) return TrimBoth(stored);
  const std::size_t point = text.find('.');
  const int decimals = point == std::string::npos ? 0 : int(std::min<std::size_t>(text.size() - point - 1, 6));
  return common::FormatCommaDecimals(*value, decimals);
}

DocumentLine DocumentLineOf(std::span<const std::uint8_t> record) {
  const std::string text = ReadText(record, inv::kLineText);
  DocumentLine line;
  line.code = TrimBoth(ReadText(record, inv::kLineProductCode));
  line.quantity = ShowTypedNumber(Column(text, 1, 10));
  line.description = TrimBoth(Column(text, 11, 32));
  line.unitPrice = ShowTypedNumber(Column(text, 43, 10));
  line.taxMark = TrimBoth(Column(text, 53, 1));
  const std::string extension = TrimBoth(Column(text, 54, 10));
  if (!extension.empty()) line.extension = ShownAmount(extension);
  return line;
}

int HeaderRecordIndex(const std::vector<std::string>& kinds) {
  for (std::size_t i = 0; i < kinds.size(); ++i)
    if (kinds[i] == inv::kKindInvoice || kinds[i] == inv::kKindGenerated || kinds[i] == inv::kKindPartlyPaid ||
        kinds[i] == inv::kKindRepeatMaster)
      return int(i);
  return int(kinds.size()) - 1;
}

CollectOutcome CollectDocument(const DocumentFiles& files, std::string_view wanted,
                               std::span<const std::uint8_t> company) {
  CollectOutcome outcome;
  const std::string number = common::UpperCase(TrimBoth(wanted));
  const auto records = inv::ReadInvoiceRecords(files.invoices, number);
  if (!records) {
    outcome.error = EngineWords("The invoice file");
    return outcome;
  }
  if (records->empty()) {
    outcome.error = "There is no invoice numbered " + number + ".";
    return outcome;
  }

  InvoiceDocument doc;
  std::vector<std::string> kinds;
  for (const inv::StoredRecord& r : *records) {
    kinds.push_back(TrimBoth(ReadText(r.record, inv::kRecordKind)));
    for (auto [field, sum, name] : {std::tuple{inv::kTotalAmount, &doc.total, "TotalAmount"},
                                    std::tuple{inv::kTaxAmount, &doc.tax, "TaxAmount"},
                                    std::tuple{inv::kPaidAmount, &doc.paid, "PaidAmount"}}) {
      const std::string stored = ReadText(r.record, field);
      const auto amount = common::ParseAmount(common::RemoveCommas(stored), common::BlankAmount::Zero);
      if (!amount) {
        outcome.error = "Invoice " + number + " cannot be shown: its " + name + " \"" + stored +
                        "\" (record " + std::to_string(r.ref) + ") is not an amount.";
        return outcome;
      }
      *sum += *amount;
    }
  }
  doc.net = doc.total - doc.tax;
  doc.balance = doc.total - doc.paid;

  const auto& header = (*records)[std::size_t(HeaderRecordIndex(kinds))].record;
  doc.number = TrimBoth(ReadText(header, inv::kInvoiceNumber));
  doc.kind = TrimBoth(ReadText(header, inv::kRecordKind));
  doc.invoiceType = TrimBoth(ReadText(header, inv::kInvoiceType));
  doc.printedFlag = TrimBoth(ReadText(header, inv::kPrintedFlag));
  doc.date = TrimBoth(ReadText(header, inv::kInvoiceDate));
  doc.reference = TrimBoth(ReadText(header, inv::kNotes));
  doc.terms = TrimBoth(ReadText(header, inv::kTerms));
  doc.accountNumber = TrimBoth(ReadText(header, inv::kCustomerNumber));
  doc.paidDate = PaidDateShown(ReadText(header, inv::kDatePaid), TrimBoth(ReadText(company, co::kDateFormat)));
  doc.emailedDate = TrimBoth(ReadText(header, inv::kEMailedDate));
  doc.repeatCount = TrimBoth(ReadText(header, inv::kRepeatCount));
  doc.nextDueDate = TrimBoth(ReadText(header, inv::kNextDueDate));
  doc.memo = doc.invoiceType == "M";

  if (files.customers) {
    common::RecordBuffer customer = cu::NewCustomerRecord();
    if (cu::FindCustomerByNumber(files.customers, doc.accountNumber, customer)) {
      doc.customerFound = true;
      doc.billName = TrimBoth(ReadText(customer, cu::kCustomerName));
      for (int i = 0; i < 4; ++i) {
        doc.billTo[std::size_t(i)] = TrimBoth(ReadText(customer, cu::kBillAddress[i]));
        doc.shipTo[std::size_t(i)] = TrimBoth(ReadText(customer, cu::kShipAddress[i]));
        doc.aging[std::size_t(i)] = ShownAmount(ReadText(customer, cu::kAgingAmount[i]));
      }
      doc.customerNotes = TrimBoth(ReadText(customer, cu::kNotes));
      doc.notesOnInvoices = common::ReadFlag(customer, cu::kNotesOnInvoices);
      doc.email = TrimBoth(ReadText(customer, cu::kEMail));
      doc.mailSortCode = ReadText(customer, cu::kMailSortCode);
      doc.customerType = ReadText(customer, cu::kCustomerType);
    } else if (!engine::EngineOK) {
      outcome.error = EngineWords("The customer file");
      return outcome;
    }
  }

  if (doc.memo && !files.memos) {
    doc.memoMissing = true;
  } else if (doc.memo) {
    std::int32_t ref = 0;
    std::string key = inv::InvoiceNumberKey(number);
    const std::string wantedKey = key;
    engine::SearchKey(files.memos, 1, ref, key);
    if (engine::EngineOK && key == wantedKey) {
      common::RecordBuffer memo(inv::kMemoRecordLength);
      engine::GetRecord(files.memos, ref, std::span<std::uint8_t>(memo));
      if (!engine::EngineOK) {
        outcome.error = EngineWords("The memo file");
        return outcome;
      }
      for (int i = 1; i <= inv::kMemoLineCount; ++i) {
        std::string text = ReadText(memo, inv::MemoLine(i));
        // A line of one character or less is what an empty line of the editor leaves.
        if (text.size() <= 1) text.clear();
        doc.memoLines[std::size_t(i - 1)] = std::move(text);
      }
    } else if (!engine::EngineOK && engine::EngineErrorClass() > 1) {
      outcome.error = EngineWords("The memo file");
      return outcome;
    } else {
      doc.memoMissing = true;
    }
  } else if (files.lines) {
    const auto lines = inv::ReadInvoiceLines(files.lines, number);
    if (!lines) {
      outcome.error = EngineWords("The line file");
      return outcome;
    }
    // Every line of the number: a document that left some out would not add up to its total.
    for (const inv::StoredRecord& l : *lines) doc.lines.push_back(DocumentLineOf(l.record));
  }
  outcome.document = std::move(doc);
  return outcome;
}

}  // namespace tf::invoicing::documents
