#pragma once
// A small company's books for the report tests, written through records/ as invoice entry and
// payment posting leave them: open, paid and partly paid invoices, a partial payment record, an
// open deposit, a repeat master and the invoice it generated, an old invoice, and the lines of
// the product invoices (one a return with a negative quantity, one without a product code).
// The company balance reads zero although items are open.

#include <stdexcept>
#include <string>
#include <vector>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/text.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "reports/report_grid.h"
#include "tests/support/status_sinks.h"

namespace tf::reports::testing {

namespace inv = records::invoice;

inline common::RecordBuffer ReportCompany(const std::string& dateFormat = "M") {
  namespace co = records::company;
  common::RecordBuffer c(co::kCompanyRecordLength);
  common::WriteText(c, co::kCompanyName, "Acme Books");
  common::WriteText(c, co::kCompanyNumber, "1");
  common::WriteText(c, co::kCompanyBalance, "0.00");
  common::WriteText(c, co::kDateFormat, dateFormat);
  common::WriteText(c, co::kAgingDays1, "30");
  common::WriteText(c, co::kAgingDays2, "60");
  common::WriteText(c, co::kAgingDays3, "90");
  common::WriteText(c, co::kAgingCaption1, "Current:");
  common::WriteText(c, co::kAgingCaption2, "31-60:");
  common::WriteText(c, co::kAgingCaption3, "61-90:");
  common::WriteText(c, co::kLeftFormMargin, "60");
  common::WriteText(c, co::kTopFormMargin, "90");
  return c;
}

struct InvoiceRow {
  std::string number, kind, customer, shortName, date;  // date mm/dd/yyyy
  std::string net, tax, total, paid, balance;
  std::string datePaid = "", paidFlag = "", keyCode = "None";
  std::string nextDue = "", repeatUnit = "", repeatCount = "";
};

struct LineRow {
  std::string invoice, kind, dateKey, code, customer, shortName;
  std::string quantity, description, price, mark, extension;
};

inline common::RecordBuffer InvoiceRecord(const InvoiceRow& r) {
  common::RecordBuffer rec(inv::kInvoiceRecordLength);
  common::WriteText(rec, inv::kInvoiceNumber, r.number);
  common::WriteText(rec, inv::kRecordKind, r.kind);
  common::WriteText(rec, inv::kKeyCode, r.keyCode);
  common::WriteText(rec, inv::kCustomerNumber, r.customer);
  common::WriteText(rec, inv::kCompanyNumber, "1");
  if (!inv::SetInvoiceDate(rec, r.date, common::DateFormat::MonthFirst))
    throw std::invalid_argument("not a date: " + r.date);
  common::WriteText(rec, inv::kInvoiceType, r.kind == "D" ? "D" : "P");
  common::WriteText(rec, inv::kShortName, r.shortName);
  common::WriteText(rec, inv::kNetAmount, r.net);
  common::WriteText(rec, inv::kTaxAmount, r.tax);
  common::WriteText(rec, inv::kTotalAmount, r.total);
  common::WriteText(rec, inv::kPaidAmount, r.paid);
  common::WriteText(rec, inv::kBalanceDue, r.balance);
  common::WriteText(rec, inv::kDatePaid, r.datePaid);
  common::WriteText(rec, inv::kPaidFlag, r.paidFlag);
  common::WriteText(rec, inv::kNextDueDate, r.nextDue);
  common::WriteText(rec, inv::kRepeatUnit, r.repeatUnit);
  common::WriteText(rec, inv::kRepeatCount, r.repeatCount);
  return rec;
}

inline common::RecordBuffer LineRecord(const LineRow& l) {
  common::RecordBuffer rec(inv::kLineRecordLength);
  const std::string text = common::PadRight(l.quantity, 10) + common::PadRight(l.description, 32) +
                           common::PadRight(l.price, 10) + l.mark + common::PadRight(l.extension, 10);
  common::WriteText(rec, inv::kLineText, text);
  common::WriteText(rec, inv::kLineKind, l.kind);
  common::WriteText(rec, inv::kLineCompanyNumber, "1");
  common::WriteText(rec, inv::kLineInvoiceNumber, l.invoice);
  common::WriteText(rec, inv::kLineDateKey, l.dateKey);
  common::WriteText(rec, inv::kLineProductCode, l.code);
  common::WriteText(rec, inv::kLineCustomerNumber, l.customer);
  common::WriteText(rec, inv::kLineShortName, l.shortName);
  return rec;
}

inline std::vector<InvoiceRow> FixtureInvoices() {
  return {
      {"100", "I", "C1", "ANN", "03/01/2024", "100.00", "8.25", "108.25", "0.00", "108.25", "", "", "WEB"},
      {"101", "I", "C2", "BOB", "03/05/2024", "50.00", "0.00", "50.00", "50.00", "0.00", "2024/03/05", "P", ""},
      {"102", "I", "C3", "", "02/10/2024", "0.00", "0.00", "0.00", "0.00", "0.00", "2024/02/10", "P", ""},
      {"103", "Z", "C1", "ANN", "01/20/2024", "200.00", "0.00", "200.00", "0.00", "120.00", "", "", "WEB"},
      {"103", "X", "C1", "ANN", "03/12/2024", "0.00", "0.00", "0.00", "80.00", "0.00", "2024/03/12", "P", "Partial"},
      {"104", "I", "C2", "BOB", "03/10/2024", "93.00", "7.00", "100.00", "30.00", "70.00", "", "", ""},
      {"DP9", "D", "C3", "", "03/08/2024", "0.00", "0.00", "0.00", "50.00", "-50.00", "2024/03/08", "", "Deposit"},
      {"105", "R", "C1", "ANN", "01/01/2024", "40.00", "0.00", "40.00", "0.00", "0.00", "", "", "SVC", "04/01/2024",
       "M", "3"},
      {"105G3", "G", "C1", "ANN", "03/01/2024", "40.00", "0.00", "40.00", "0.00", "40.00", "", "", "SVC"},
      {"90", "I", "C2", "BOB", "11/01/2023", "75.00", "0.00", "75.00", "0.00", "75.00", "", "", ""},
  };
}

inline std::vector<LineRow> FixtureLines() {
  return {
      {"100", "P", "2024/03/01", "W1", "C1", "ANN", "2", "Widget", "25.00", "Y", "50.00"},
      {"100", "P", "2024/03/01", "G1", "C1", "ANN", "1", "Gadget", "50.00", "Y", "50.00"},
      {"104", "P", "2024/03/10", "W1", "C2", "BOB", "3", "Widget", "25.00", "Y", "75.00"},
      {"104", "P", "2024/03/10", "", "C2", "BOB", "-1", "Returned gadget", "25.00", "Y", "-25.00"},
      {"105", "R", "2024/01/01", "SVC", "C1", "ANN", "1", "Monthly service", "40.00", "N", "40.00"},
      {"105G3", "P", "2024/03/01", "SVC", "C1", "ANN", "1", "Monthly service", "40.00", "N", "40.00"},
  };
}

// Writes the invoices and lines into company 1's files in the current folder; throws when the
// engine refuses (GoogleTest and QTest alike report that as a failure).
inline void WriteBooks(const std::vector<InvoiceRow>& invoices, const std::vector<LineRow>& lines) {
  common::ScriptedPrompter prompter;
  test::SilentStatus status;
  engine::FileBlockGuard invoiceFile, lineFile;
  const auto require = [](bool done, const std::string& what) {
    if (!done) throw std::runtime_error(what + " failed with status " + std::to_string(engine::EngineStatus));
  };
  require(inv::OpenInvoiceFile(invoiceFile.handle(), "1", prompter, status), "opening the invoice file");
  require(inv::OpenLineFile(lineFile.handle(), "1", prompter, status), "opening the line file");
  for (const InvoiceRow& r : invoices) {
    std::int32_t ref = 0;
    require(inv::AddInvoice(invoiceFile.get(), InvoiceRecord(r), ref, prompter), "adding invoice " + r.number);
  }
  for (const LineRow& l : lines) {
    std::int32_t ref = 0;
    require(inv::AddLine(lineFile.get(), LineRecord(l), ref, prompter), "adding a line of " + l.invoice);
  }
}

// Each row as its trimmed cells joined by "|", total rows after their type.
inline std::vector<std::string> RowTexts(const Report& report) {
  std::vector<std::string> out;
  for (const ReportRow& row : report.rows) {
    std::string text;
    switch (row.Type()) {
      case RowType::Record: break;
      case RowType::SubTotal: text = "S:"; break;
      case RowType::MonthTotal: text = "M:"; break;
      case RowType::GrandTotal: text = "G:"; break;
      case RowType::Blank: text = "B:"; break;
    }
    for (std::size_t c = 0; c < row.CellCount(); ++c) text += (c ? "|" : "") + common::TrimBoth(row.Cell(c));
    out.push_back(text);
  }
  return out;
}

inline std::vector<std::string> Headings(const Report& report) {
  std::vector<std::string> h;
  for (const ReportColumn& c : report.columns) h.push_back(c.heading);
  return h;
}

}  // namespace tf::reports::testing
