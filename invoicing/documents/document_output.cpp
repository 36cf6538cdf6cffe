#include "invoicing/documents/document_output.h"

#include <algorithm>
#include <unordered_set>

#include "common/date_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"

namespace tf::invoicing::documents {
namespace {

namespace inv = records::invoice;
using common::ReadText;
using common::TrimBoth;

bool MarkedKind(std::string_view kind) {
  return kind == inv::kKindInvoice || kind == inv::kKindGenerated || kind == inv::kKindPartlyPaid;
}

std::string NotMarked(std::string_view number) {
  return "Invoice " + std::string(number) + " could not be marked as printed (engine status " +
         std::to_string(engine::EngineStatus) + "); it will print again with the next batch.";
}

}  // namespace

CopyPlan CopyPlan::FromOptions(const LayoutOptions& options) {
  CopyPlan plan;
  plan.packingSlip = options.printPackingSlip;
  plan.fileCopies = options.printFileCopies ? std::max(0, options.invoiceCopies) : 0;
  return plan;
}

DocumentRun::DocumentRun(DocumentServices services, OutputChoice choice, CopyPlan plan, PrintJobs* jobs, bool batch)
    : services_(std::move(services)),
      choice_(choice),
      plan_(plan),
      jobs_(jobs),
      batch_(batch),
      options_(LayoutOptions::FromCompany(services_.company)) {}

DocumentOutcome DocumentRun::Output(std::string_view number) {
  DocumentOutcome outcome;
  CollectOutcome collected = CollectDocument(services_.files, number, services_.company);
  if (!collected.document) {
    outcome.message = collected.error;
    Count(outcome);
    return outcome;
  }
  const InvoiceDocument& doc = *collected.document;
  if (doc.IsDeposit()) {
    outcome.result = DocumentResult::NotPrintable;
    outcome.message = std::string(kDepositNotPrinted);
  } else if (choice_ == OutputChoice::EMail) {
    outcome = Mail(doc);
  } else {
    outcome = Print(doc);
  }
  Count(outcome);
  return outcome;
}

DocumentOutcome DocumentRun::Print(const InvoiceDocument& doc) {
  DocumentOutcome outcome;
  outcome.reprint = doc.AlreadyPrinted();
  outcome.repeatMaster = doc.IsRepeatMaster();
  outcome.message = std::string(common::kPrintingFailedText) + " Invoice " + doc.number + " was not marked as printed.";
  if (!jobs_) return outcome;
  std::vector<CopyKind> copies{CopyKind::Invoice};
  if (plan_.packingSlip) copies.push_back(CopyKind::PackingSlip);
  for (int i = 0; i < plan_.fileCopies; ++i) copies.push_back(CopyKind::FileCopy);
  bool invoiceOut = false;
  for (std::size_t i = 0; i < copies.size(); ++i) {
    const CopyKind copy = copies[i];
    common::PrintCanvas* canvas = jobs_->BeginJob(JobTitle(copy, doc.number));
    if (!canvas) {
      outcome.outputFailed = true;
      break;
    }
    outcome.pages += DrawInvoiceCopy(*canvas, doc, copy, options_);
    if (!jobs_->EndJob()) {
      outcome.outputFailed = true;
      break;
    }
    if (copy == CopyKind::Invoice) {
      invoiceOut = true;
      // The invoice itself is what counts as printed; a copy that fails later is said, but
      // does not take back what the printer already has.
      if (jobs_->EachJobDelivered())
        Mark(doc, false, outcome);
      else if (!doc.AlreadyPrinted())
        pending_.push_back(doc.number);
      QueueLabel(doc);
    }
    if (i + 1 == copies.size()) outcome.result = DocumentResult::Printed;
  }
  if (outcome.result == DocumentResult::Printed) {
    outcome.message = "Invoice " + doc.number + " sent to printer.";
  } else if (invoiceOut) {
    outcome.message = std::string(common::kPrintingFailedText) + " Invoice " + doc.number +
                      " was printed, but not all of its copies.";
  }
  return outcome;
}

DocumentOutcome DocumentRun::Mail(const InvoiceDocument& doc) {
  DocumentOutcome outcome;
  outcome.reprint = doc.AlreadyPrinted();
  if (doc.IsRepeatMaster()) {
    outcome.result = DocumentResult::NotPrintable;
    outcome.message = "Invoice " + doc.number +
                      " is a repeat billing master record: it sets up future invoices and is not e-mailed as a bill.";
    return outcome;
  }
  const InvoiceEmail mail = BuildInvoiceEmail(doc, options_);
  if (mail.route == InvoiceEmail::Route::NotSent) {
    outcome.result = DocumentResult::NoAddress;
    outcome.message = "Invoice " + doc.number + " was not sent by e-mail.";
    return outcome;
  }
  if (!services_.sendMail) {
    outcome.message = "Invoice " + doc.number + " was not sent: e-mail sending is not available.";
    return outcome;
  }
  const MailResult sent = services_.sendMail({mail.from, mail.to, mail.subject, mail.body});
  if (!sent.accepted) {
    outcome.outputFailed = sent.connectionLost;
    outcome.message = "Invoice " + doc.number + " was not sent by e-mail" +
                      (sent.error.empty() ? std::string(".") : ": " + sent.error);
    return outcome;
  }
  Mark(doc, true, outcome);
  QueueLabel(doc);
  if (mail.route == InvoiceEmail::Route::CompanyAddress) {
    outcome.result = DocumentResult::Redirected;
    outcome.message = "Invoice " + doc.number +
                      " was sent to the company's own e-mail address, not to the customer: the customer has no "
                      "usable e-mail address.";
  } else {
    outcome.result = DocumentResult::Sent;
    outcome.message = "Invoice " + doc.number + " sent by e-mail.";
  }
  return outcome;
}

void DocumentRun::Mark(const InvoiceDocument& doc, bool emailed, DocumentOutcome& outcome) {
  // A reprint changes nothing: the invoice keeps its first marks.
  if (doc.AlreadyPrinted()) return;
  std::optional<std::string> date;
  if (emailed)
    date = common::FormatDate(services_.clock.Today(),
                              common::DateFormatFromCode(TrimBoth(ReadText(services_.company, records::company::kDateFormat))));
  if (MarkPrinted(services_.files.invoices, doc.number, date, services_.prompter)) {
    outcome.marked = true;
    ++tally_.marked;
  } else {
    problems_.push_back(NotMarked(doc.number));
  }
}

void DocumentRun::QueueLabel(const InvoiceDocument& doc) {
  if (!batch_ || !services_.labelQueue || !options_.labelQueueOnBatchPrint || !doc.customerFound) return;
  services_.labelQueue->Add({doc.accountNumber, doc.billName, doc.mailSortCode, doc.customerType});
}

void DocumentRun::Count(const DocumentOutcome& outcome) {
  tally_.pages += outcome.pages;
  switch (outcome.result) {
    case DocumentResult::Printed: ++tally_.printed; break;
    case DocumentResult::Sent: ++tally_.sent; break;
    case DocumentResult::Redirected: ++tally_.redirected; break;
    case DocumentResult::NoAddress: ++tally_.noAddress; break;
    case DocumentResult::NotPrintable: ++tally_.notPrintable; break;
    case DocumentResult::Failed: ++tally_.failed; break;
  }
}

bool DocumentRun::Finish() {
  if (!jobs_) return true;
  if (!jobs_->Finish()) {
    // The file never came out: what it held counts as failed and stays unmarked.
    const int lost = int(pending_.size());
    tally_.printed = std::max(0, tally_.printed - lost);
    tally_.failed += lost;
    pending_.clear();
    return false;
  }
  for (const std::string& number : pending_) {
    if (MarkPrinted(services_.files.invoices, number, std::nullopt, services_.prompter))
      ++tally_.marked;
    else
      problems_.push_back(NotMarked(number));
  }
  pending_.clear();
  return true;
}

bool MarkPrinted(engine::FileBlock* invoices, std::string_view number, const std::optional<std::string>& emailedDate,
                 common::Prompter& prompter) {
  const auto records = inv::ReadInvoiceRecords(invoices, number);
  if (!records) return false;
  for (const inv::StoredRecord& r : *records) {
    if (!MarkedKind(TrimBoth(ReadText(r.record, inv::kRecordKind))) || ReadText(r.record, inv::kPrintedFlag) == "Y")
      continue;
    common::RecordBuffer marked = r.record;
    common::WriteText(marked, inv::kPrintedFlag, "Y");
    if (emailedDate) common::WriteText(marked, inv::kEMailedDate, *emailedDate);
    if (!inv::ModifyInvoice(invoices, marked, r.record, r.ref, prompter)) return false;
  }
  return true;
}

std::optional<std::vector<std::string>> UnprintedInvoices(engine::FileBlock* invoices) {
  std::vector<std::string> numbers;
  std::unordered_set<std::string> seen;
  common::RecordBuffer record(inv::kInvoiceRecordLength);
  std::int32_t ref = 0;
  for (;;) {
    engine::NextRecord(invoices, ref);
    if (!engine::EngineOK) {
      if (engine::EngineErrorClass() == 1) break;
      return std::nullopt;
    }
    engine::GetRecord(invoices, ref, std::span<std::uint8_t>(record));
    if (!engine::EngineOK) return std::nullopt;
    if (!MarkedKind(TrimBoth(ReadText(record, inv::kRecordKind))) || ReadText(record, inv::kPrintedFlag) == "Y")
      continue;
    std::string number = common::UpperCase(TrimBoth(ReadText(record, inv::kInvoiceNumber)));
    if (seen.insert(number).second) numbers.push_back(std::move(number));
  }
  return numbers;
}

}  // namespace tf::invoicing::documents
