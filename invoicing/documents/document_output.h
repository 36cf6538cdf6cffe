#pragma once
// The document procedure: an invoice number turned into its document and sent to the printer
// (the invoice, then the packing slip and the file copies) or out as e-mail, singly or in a
// batch, and the invoice marked printed (and e-mailed) once that really happened.
//
// Marking waits for the output: a printer job that did not end well, a PDF file that could not
// be written, an e-mail the server refused leave the invoice unmarked, so that the next batch
// takes it again. A repeat master is a set-up sheet, never a bill: it prints under its own
// title and is not marked, and it is never e-mailed. Deposits have no printed form.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "common/prompter.h"
#include "correspondence/label_queue.h"
#include "invoicing/documents/invoice_document.h"
#include "invoicing/documents/invoice_email.h"
#include "invoicing/documents/invoice_layout.h"
#include "invoicing/documents/layout_options.h"
#include "invoicing/documents/print_jobs.h"

namespace tf::invoicing::documents {

inline constexpr std::string_view kDepositNotPrinted =
    "This record is a deposit. Unable to print. I am going to use the view option instead.";
inline constexpr std::string_view kDepositCaption = "Deposit Transaction";

// One message for the mail sender, its texts as the records hold them (Latin-1).
struct MailMessage {
  std::string from;
  std::string to;
  std::string subject;
  std::vector<std::string> body;  // lines without line ends
};

struct MailResult {
  bool accepted = false;  // the server took the message
  std::string error;      // why not, in words (the server's reply for a refusal)
  // The connection to the server is gone and the sender has already told the user so: a
  // batch stops here, and what is left stays unsent for the next one.
  bool connectionLost = false;
};

// Sends one message and waits for the server's answer. The mail sender of the program fills
// it (mail/documents); without one, e-mail output reports that it cannot send.
using SendMail = std::function<MailResult(const MailMessage& message)>;

enum class OutputChoice { Printer, EMail };

// What goes to the printer besides the invoice.
struct CopyPlan {
  bool packingSlip = false;
  int fileCopies = 0;
  // As the company's options say: PrintPackingSlip, and InvoiceCopies file copies when
  // PrintRemittanceCopy is set.
  static CopyPlan FromOptions(const LayoutOptions& options);
};

enum class DocumentResult {
  Printed,       // every copy printed (or drawn into the file, out at Finish)
  Sent,          // e-mailed to the customer
  Redirected,    // e-mailed to the company's own address: the customer has no usable one
  NoAddress,     // not e-mailed: the customer has no address
  NotPrintable,  // a deposit (shown instead), or a repeat master in e-mail mode
  Failed,        // not read, not printed or not sent; `message` says why
};

struct DocumentOutcome {
  DocumentResult result = DocumentResult::Failed;
  std::string message;
  int pages = 0;        // printed pages of all copies
  bool marked = false;  // marked printed now (else not at all, or at Finish)
  // The printer (or file) refused a job, or the mail connection was lost, as against a
  // document that could not be read: the next document would fail the same way.
  bool outputFailed = false;
  bool reprint = false;       // it was marked printed before, and is not marked again
  bool repeatMaster = false;  // a set-up sheet: printed, never marked
};

// What one batch (or single output) came to, counted as it happened.
struct OutputTally {
  int printed = 0;
  int sent = 0;
  int redirected = 0;
  int noAddress = 0;
  int notPrintable = 0;
  int failed = 0;
  int pages = 0;
  int marked = 0;  // invoices marked printed (a reprint is not marked again)
  int Done() const { return printed + sent + redirected; }
};

struct DocumentServices {
  DocumentFiles files;
  std::span<const std::uint8_t> company;  // the current company record
  common::Prompter& prompter;             // the lock questions of the marking writes
  const common::Clock& clock;             // the e-mailed date
  correspondence::LabelQueue* labelQueue = nullptr;
  SendMail sendMail;
};

// One command's output: a single invoice or a batch, through the same steps.
class DocumentRun {
 public:
  // `jobs` is needed for the printer output (it may be null for e-mail). In a batch the
  // customer joins the label queue when the company asks for it.
  DocumentRun(DocumentServices services, OutputChoice choice, CopyPlan plan, PrintJobs* jobs, bool batch);

  // Outputs one invoice.
  DocumentOutcome Output(std::string_view number);
  // Completes the printer output; the invoices it held back are marked once it is out. False
  // when the output failed: those invoices stay unmarked and count as failed.
  bool Finish();

  const OutputTally& Tally() const { return tally_; }
  const LayoutOptions& Options() const { return options_; }
  // Problems met on the way that did not stop the run (a mark that could not be written).
  const std::vector<std::string>& Problems() const { return problems_; }

 private:
  DocumentOutcome Print(const InvoiceDocument& doc);
  DocumentOutcome Mail(const InvoiceDocument& doc);
  void Mark(const InvoiceDocument& doc, bool emailed, DocumentOutcome& outcome);
  void QueueLabel(const InvoiceDocument& doc);
  void Count(const DocumentOutcome& outcome);

  DocumentServices services_;
  OutputChoice choice_;
  CopyPlan plan_;
  PrintJobs* jobs_;
  bool batch_;
  LayoutOptions options_;
  OutputTally tally_;
  std::vector<std::string> pending_;  // printed into the file, marked at Finish
  std::vector<std::string> problems_;
};

// Marks every record of `number` of kind I, G or Z printed ("Y") that is not yet, and with
// `emailedDate` its e-mailed date too; records of other kinds are left alone. False when a
// record could not be read or rewritten (those before it stay marked).
bool MarkPrinted(engine::FileBlock* invoices, std::string_view number, const std::optional<std::string>& emailedDate,
                 common::Prompter& prompter);

// The numbers a batch prints, in record order: every record of kind I, G or Z not yet marked
// printed. Nothing when the file cannot be read.
std::optional<std::vector<std::string>> UnprintedInvoices(engine::FileBlock* invoices);

}  // namespace tf::invoicing::documents
