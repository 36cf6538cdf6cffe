#pragma once
// A company's books for the tests of invoice documents and the invoice manager: company 1 with
// its titles, headings and fonts set, customers with addresses (one without an e-mail address),
// and helpers that write invoice, payment, line and memo records straight through records/, as
// entry and payment posting leave them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/text.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/record_file.h"
#include "tests/invoicing/invoice_records.h"
#include "tests/support/company_file.h"
#include "tests/support/data_folder_test.h"

namespace tf::invoicing::testing {

namespace inv = records::invoice;
namespace cu = records::customer;
namespace co = records::company;
using common::ReadText;
using common::RecordBuffer;
using common::WriteText;

inline RecordBuffer DocumentCompany() {
  RecordBuffer c = InvoicingCompany("8");
  WriteText(c, co::kAddress1, "1 Main Street");
  WriteText(c, co::kAddress2, "Springfield");
  WriteText(c, co::kInvoiceTitle, "INVOICE");
  WriteText(c, co::kPackingSlipTitle, "PACKING SLIP");
  WriteText(c, co::kRemittanceCopyTitle, "FILE COPY");
  WriteText(c, co::kProductCodeHeading, "Code");
  WriteText(c, co::kQuantityHeading, "Quantity");
  WriteText(c, co::kDescriptionHeading, "Description");
  WriteText(c, co::kUnitCostHeading, "Unit Price");
  WriteText(c, co::kExtensionHeading, "Amount");
  WriteText(c, co::kTaxHeading, "Sales Tax");
  WriteText(c, co::kMemoHeading, "Services rendered");
  WriteText(c, co::kShipToCaption, "Deliver To:");
  WriteText(c, co::kAgingCaption1, "Current:");
  WriteText(c, co::kAgingCaption2, "31-60:");
  WriteText(c, co::kAgingCaption3, "61-90:");
  WriteText(c, co::kEMailAddress, "billing@acme.example");
  WriteText(c, co::kInvoiceCopies, "1");
  WriteText(c, co::kLeftFormMargin, "60");
  WriteText(c, co::kTopFormMargin, "40");
  for (std::size_t f = 0; f < co::kDocumentFontCount; ++f)
    common::WriteFontSpec(c, co::DocumentFontField(co::DocumentFont(f)), {"Arial", 10, 0, 0});
  return c;
}

inline RecordBuffer DocumentCustomer(const std::string& number, const std::string& name, const std::string& email) {
  RecordBuffer r = InvoicingCustomer(number, name, name.substr(0, std::min<std::size_t>(name.size(), 10)));
  WriteText(r, cu::kBillAddress1, name + " Street 1");
  WriteText(r, cu::kBillAddress2, "Shelbyville");
  WriteText(r, cu::kEMail, email);
  WriteText(r, cu::kMailSortCode, "SORT-" + number);
  WriteText(r, cu::kCustomerType, "Retail");
  return r;
}

// One invoice record as entry (I), repeat billing (R, G), payment posting (Z, X, D, T) write it.
struct PlannedInvoice {
  std::string number;
  std::string kind = "I";
  std::string customer = "C1";
  std::string date = "03/07/1999";
  std::string total = "0.00";
  std::string tax = "0.00";
  std::string paid = "0.00";
  std::string type = "P";
  std::string printed = "N";
  std::string terms = "Net 30 Days";
  std::string notes = "PO 4711";
  std::string datePaid = "";
  std::string paidFlag = "";
};

inline RecordBuffer InvoiceRecord(const PlannedInvoice& s) {
  RecordBuffer r(inv::kInvoiceRecordLength);
  WriteText(r, inv::kInvoiceNumber, s.number);
  WriteText(r, inv::kRecordKind, s.kind);
  WriteText(r, inv::kKeyCode, "None");
  WriteText(r, inv::kCustomerNumber, s.customer);
  WriteText(r, inv::kCompanyNumber, "1");
  EXPECT_TRUE(inv::SetInvoiceDate(r, s.date, common::DateFormat::MonthFirst));
  WriteText(r, inv::kPrintedFlag, s.printed);
  WriteText(r, inv::kNotes, s.notes);
  WriteText(r, inv::kTerms, s.terms);
  WriteText(r, inv::kInvoiceType, s.type);
  WriteText(r, inv::kShortName, s.customer);
  WriteText(r, inv::kTotalAmount, s.total);
  WriteText(r, inv::kTaxAmount, s.tax);
  WriteText(r, inv::kPaidAmount, s.paid);
  WriteText(r, inv::kDatePaid, s.datePaid);
  WriteText(r, inv::kPaidFlag, s.paidFlag);
  const auto total = common::ParseAmount(s.total, common::BlankAmount::Zero);
  const auto paid = common::ParseAmount(s.paid, common::BlankAmount::Zero);
  if (total && paid) WriteText(r, inv::kBalanceDue, common::Format0_00(*total - *paid));
  // A master is no receivable; a payment record's money is in its invoice's balance.
  if (s.kind == "R" || s.kind == "X" || s.kind == "T") WriteText(r, inv::kBalanceDue, "0.00");
  return r;
}

// The line text of a line record: quantity, description, unit price, tax mark, extension in
// their columns.
inline std::string LineText(const std::string& quantity, const std::string& description, const std::string& price,
                            const std::string& taxMark, const std::string& extension) {
  return common::PadRight(quantity, 10) + common::PadRight(description, 32) + common::PadRight(price, 10) +
         common::PadRight(taxMark, 1) + common::PadRight(extension, 10);
}

class DocumentBooksTest : public test::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    company_ = DocumentCompany();
    ASSERT_TRUE(test::MakeCompanyFile(company_)) << engine::EngineStatus;
    common::ScriptedPrompter quiet{common::PromptAnswer::OK, common::PromptAnswer::OK};
    engine::FileBlock* customers = nullptr;
    ASSERT_TRUE(cu::OpenCustomerFile(customers, "1", quiet, status_));
    std::int32_t ref = 0;
    for (const RecordBuffer& c : {DocumentCustomer("C1", "Ann Smith", "ann@example.com"),
                                  DocumentCustomer("C2", "Bob Jones", "")})
      ASSERT_TRUE(records::AddKeyedRecord(customers, cu::CustomerFileKind(), c, ref, quiet));
    engine::CloseFileBlock(customers);
    OpenBooks();
  }
  void TearDown() override {
    CloseBooks();
    DataFolderTest::TearDown();
  }

  void OpenBooks() {
    common::ScriptedPrompter quiet{common::PromptAnswer::OK};
    ASSERT_TRUE(inv::OpenInvoiceFile(invoices_, "1", quiet, status_));
    ASSERT_TRUE(inv::OpenLineFile(lines_, "1", quiet, status_));
    ASSERT_TRUE(inv::OpenMemoFile(memos_, "1", quiet, status_));
    ASSERT_TRUE(cu::OpenCustomerFile(customers_, "1", quiet, status_));
  }
  void CloseBooks() {
    for (engine::FileBlock** h : {&invoices_, &lines_, &memos_, &customers_})
      if (*h) engine::CloseFileBlock(*h);
  }

  std::int32_t Add(const PlannedInvoice& planned) {
    std::int32_t ref = 0;
    EXPECT_TRUE(inv::AddInvoice(invoices_, InvoiceRecord(planned), ref, prompter_));
    return ref;
  }
  void AddLine(const std::string& number, const std::string& code, const std::string& text,
               const std::string& customer = "C1") {
    RecordBuffer r(inv::kLineRecordLength);
    WriteText(r, inv::kLineText, text);
    WriteText(r, inv::kLineKind, "P");
    WriteText(r, inv::kLineCompanyNumber, "1");
    WriteText(r, inv::kLineInvoiceNumber, number);
    WriteText(r, inv::kLineDateKey, "1999/03/07");
    WriteText(r, inv::kLineProductCode, code);
    WriteText(r, inv::kLineCustomerNumber, customer);
    std::int32_t ref = 0;
    EXPECT_TRUE(inv::AddLine(lines_, r, ref, prompter_));
  }
  void AddMemo(const std::string& number, const std::vector<std::string>& lines) {
    RecordBuffer r(inv::kMemoRecordLength);
    WriteText(r, inv::kMemoInvoiceNumber, number);
    for (std::size_t i = 0; i < lines.size(); ++i) WriteText(r, inv::MemoLine(int(i) + 1), lines[i]);
    std::int32_t ref = 0;
    EXPECT_TRUE(inv::AddMemo(memos_, r, ref, prompter_));
  }
  // Every record of a number, in key order.
  std::vector<RecordBuffer> Records(const std::string& number) {
    std::vector<RecordBuffer> out;
    const auto stored = inv::ReadInvoiceRecords(invoices_, number);
    EXPECT_TRUE(stored.has_value());
    if (stored)
      for (const auto& s : *stored) out.push_back(s.record);
    return out;
  }

  RecordBuffer company_{co::kCompanyRecordLength};
  common::ScriptedPrompter prompter_;
  test::SilentStatus status_;
  engine::FileBlock* invoices_ = nullptr;
  engine::FileBlock* lines_ = nullptr;
  engine::FileBlock* memos_ = nullptr;
  engine::FileBlock* customers_ = nullptr;
};

}  // namespace tf::invoicing::testing
