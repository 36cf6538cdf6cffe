#include "invoicing/manager/invoice_manager.h"

#include <algorithm>
#include <utility>

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/program_title.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "customers/customer_quick_view.h"
#include "finder/invoice_find_mode.h"
#include "invoicing/manager/invoice_removal.h"
#include "invoicing/manager/invoice_rows.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"

namespace tf::invoicing {
namespace {

namespace inv = records::invoice;
namespace cu = records::customer;
namespace co = records::company;
namespace docs = documents;
using browse::Outcome;
using common::PromptIcon;
using common::ReadText;
using common::TrimBoth;

// The invoice file as the list counts it: "Records: " and the entries of the current index.
const records::RecordFileKind& ListedKind() {
  static const records::RecordFileKind kind = [] {
    records::RecordFileKind k = inv::InvoiceFileKind();
    k.title = "Records";
    return k;
  }();
  return kind;
}

common::Money AmountOf(std::span<const std::uint8_t> record, common::TextField field) {
  return common::ParseAmount(common::RemoveCommas(ReadText(record, field)), common::BlankAmount::Zero)
      .value_or(common::Money());
}

std::string Counted(int n, const char* what) { return std::to_string(n) + " " + what; }

// Closes the mail connection when a print or a batch in e-mail mode ends, however it ends.
class MailClosing {
 public:
  MailClosing(bool email, const std::function<void()>& closeMail) : close_(email ? closeMail : nullptr) {}
  ~MailClosing() { Close(); }
  // Now, before the messages that end the command are read.
  void Close() {
    if (close_) std::exchange(close_, nullptr)();
  }
  MailClosing(const MailClosing&) = delete;
  MailClosing& operator=(const MailClosing&) = delete;

 private:
  std::function<void()> close_;
};

}  // namespace

InvoiceManager::InvoiceManager(InvoiceManagerServices services, browse::ManagerList& list)
    : ManagerModel(services, list, ListedKind()), services_(std::move(services)) {
  order_ = inv::kKeyByDate;
}

InvoiceManager::~InvoiceManager() { Close(); }

std::string InvoiceManager::Title() const {
  return std::string(EMailMode() ? kInvoiceManagerEMailCaption : kInvoiceManagerCaption);
}

std::string InvoiceManager::ListHeader() const { return InvoiceListHeader(); }

int InvoiceManager::BuildRow(browse::RowRec& rr, std::span<const std::uint8_t> record) {
  rr.Row = rr.Status != 0 ? UnreadableInvoiceRow(rr.Key) : InvoiceRow(record);
  return 0;
}

std::string InvoiceManager::ReceivablesText() const {
  const std::string stored = CompanyText(co::kCompanyBalance);
  const auto amount = common::ParseAmount(common::RemoveCommas(stored), common::BlankAmount::Zero);
  return amount ? common::FormatComma0_00(*amount) : TrimBoth(stored);
}

std::string InvoiceManager::FilterText() const {
  return filterOn_ ? "Filtering Customer#: " + filter_.Customer() : std::string(kFilterClosed);
}

std::string InvoiceManager::TimerText() const {
  return std::string(services_.timerRunning && services_.timerRunning() ? kTimerRunning : kTimerOff);
}

std::string InvoiceManager::CompanyNumber() const { return TrimBoth(CompanyText(co::kCompanyNumber)); }

// --- the files --------------------------------------------------------------------------------

bool InvoiceManager::OpenFiles() {
  const std::string company = CompanyNumber();
  if (inv::OpenInvoiceFile(file_, company, services_.prompter, services_.status) &&
      inv::OpenLineFile(lines_, company, services_.prompter, services_.status) &&
      inv::OpenMemoFile(memos_, company, services_.prompter, services_.status))
    return true;
  const std::int32_t status = engine::EngineStatus;
  CloseSideFiles();
  if (file_) engine::CloseFileBlock(file_);
  file_ = nullptr;
  engine::EngineStatus = status;
  return false;
}

void InvoiceManager::CloseSideFiles() {
  if (memos_) engine::CloseFileBlock(memos_);
  if (lines_) engine::CloseFileBlock(lines_);
  memos_ = lines_ = nullptr;
}

void InvoiceManager::AttachList() {
  auto source = std::make_unique<browse::BrowseSource>(file_, order_, buffer_.data(), buffer_.size());
  source->events.OnBuildRow = [this](browse::RowRec& rr) { return BuildRow(rr, buffer_); };
  if (filterOn_) source->SetEngineCalls(filter_);
  list_.AttachSource(std::move(source));
}

Outcome InvoiceManager::OpenFile() {
  // The filter is off each time the window opens.
  filterOn_ = false;
  filter_.Clear();
  if (!OpenFiles())
    return Outcome::Fatal("Unable to open databases: " + std::to_string(engine::EngineStatus), common::kProgramTitle);
  AttachList();
  const std::string last = TrimBoth(CompanyText(co::kLastInvoiceNumber));
  if (!last.empty()) GoToNumber(last);
  RowChanged();
  return Outcome::Done();
}

void InvoiceManager::Closing() { CloseSideFiles(); }

std::optional<std::int32_t> InvoiceManager::ReleaseFiles() {
  std::optional<std::int32_t> current;
  if (ReadCurrent(false)) current = list_.CurrentRef();
  list_.AttachSource(nullptr);
  CloseSideFiles();
  if (file_) engine::CloseFileBlock(file_);
  file_ = nullptr;
  return current;
}

bool InvoiceManager::RetakeFiles() {
  if (!OpenFiles()) return false;
  if (filterOn_ && !filter_.Load(file_, filter_.Customer())) filter_.Clear();
  AttachList();
  RowChanged();
  return true;
}

bool InvoiceManager::GoToNumber(std::string_view number) {
  std::int32_t ref = 0;
  if (!inv::FindInvoice(file_, number, ref, services_.prompter)) return false;
  GoToRef(ref);
  return true;
}

// --- entry -------------------------------------------------------------------------------------

Outcome InvoiceManager::AddRecord() {
  if (!file_ || !services_.addInvoice) return Outcome::Nothing();
  const std::optional<std::int32_t> was = ReleaseFiles();
  const std::optional<EntryResult> saved = services_.addInvoice();
  if (!RetakeFiles())
    return Outcome::Failed("Unable to open databases: " + std::to_string(engine::EngineStatus), common::kProgramTitle);
  if (!saved) {
    if (was) GoToRef(*was);
    return Outcome::Nothing();
  }
  GoToNumber(saved->number);
  panels_[1] = saved->status;
  if (!saved->print || !ReadCurrent(false)) return Outcome::Done();
  const common::RecordBuffer record = buffer_;
  return OutputOne(saved->number, record);
}

Outcome InvoiceManager::EditRecord() {
  if (!services_.editInvoice || !ReadCurrent(false)) return Outcome::Nothing();
  const std::string number = TrimBoth(ReadText(buffer_, inv::kInvoiceNumber));
  const std::optional<std::int32_t> was = ReleaseFiles();
  const std::optional<EntryResult> saved = services_.editInvoice(number);
  if (!RetakeFiles())
    return Outcome::Failed("Unable to open databases: " + std::to_string(engine::EngineStatus), common::kProgramTitle);
  if (was) GoToRef(*was);
  if (!saved) return Outcome::Nothing();
  panels_[1] = saved->status;
  return Outcome::Done();
}

// --- delete ------------------------------------------------------------------------------------

Outcome InvoiceManager::DeleteRecord() {
  if (!ReadCurrent(true)) return Outcome::Nothing();
  const common::RecordBuffer record = buffer_;
  const std::int32_t ref = list_.CurrentRef();
  const std::string number = TrimBoth(ReadText(record, inv::kInvoiceNumber));
  const std::string kind = TrimBoth(ReadText(record, inv::kRecordKind));
  const common::Money paid = AmountOf(record, inv::kPaidAmount);
  common::Prompter& ask = services_.prompter;
  if (common::ReadFlag(shared_.company.Current(), co::kRequireAuditTrail))
    return Outcome::Failed("The audit trail feature is turned on. Unable to delete record.", "Audit Trail",
                           PromptIcon::Exclamation);
  if (kind == inv::kKindPartlyPaid || kind == inv::kKindPartialPayment)
    return Outcome::Failed(
        "This record is associated with a partial payment (type X or Z). Unable to delete this item.",
        "Partial Payment Item", PromptIcon::Exclamation);
  if (ReadText(record, inv::kPaidFlag) == "P" && !paid.IsZero())
    return Outcome::Failed(
        "This record has been paid and may not be deleted. It will be deleted when you remove paid records.",
        "Paid Item", PromptIcon::Exclamation);
  if (!paid.IsZero())
    ask.Inform("This record has payment activity. If you delete this record the payment data will also be removed.",
               "Please Note", PromptIcon::Information);
  if (kind == inv::kKindRepeatMaster)
    ask.Inform(
        "This is a repeat billing master record. If you delete this master record, no further invoices will be "
        "generated.",
        "Please Note", PromptIcon::Information);
  if (kind == inv::kKindDeposit &&
      !ask.AskYesNo("You are about to delete a payment you posted as a Deposit on Account. Are you sure?",
                    "Please Confirm"))
    return Outcome::Nothing();
  if (!ask.AskYesNo("Are you sure you want to delete this record?", "Delete Invoice#: " + number))
    return Outcome::Nothing();

  engine::FileBlockGuard customers;
  if (!CarriedBalance(record).IsZero() &&
      !cu::OpenCustomerFile(customers.handle(), CompanyNumber(), services_.prompter, services_.status))
    return Outcome::Failed(kDeleteFailed, common::kProgramTitle);
  const RemovalOutcome removed = RemoveInvoice({file_, lines_, memos_, customers.get()}, record, ref, shared_.company,
                                               services_.prompter, services_.status, services_.clock);
  customers.Close();
  if (filterOn_ && !filter_.Load(file_, filter_.Customer())) filter_.Clear();
  // The list on the record after the one deleted (the last one when it was the last), the page
  // filled around it.
  list_.GoToKey(inv::InvoiceKey(record, order_), ref);
  RowChanged();
  if (!removed.deleted) return Outcome::Failed(removed.failure, common::kProgramTitle);
  for (const std::string& problem : removed.problems) ask.Inform(problem, common::kProgramTitle);
  if (removed.memoMissing && services_.beep) services_.beep();
  panels_[1] = removed.status;
  return Outcome::Done();
}

// --- find, view, customer data ---------------------------------------------------------------

Outcome InvoiceManager::FindRecord() {
  if (!file_ || !services_.runFind) return Outcome::Nothing();
  finder::InvoiceFindMode mode(file_);
  const std::optional<std::string> number = services_.runFind(mode);
  if (!number || !GoToNumber(TrimBoth(*number))) return Outcome::Nothing();
  return Outcome::Done();
}

docs::DocumentServices InvoiceManager::DocumentServicesWith(engine::FileBlock* customers) {
  return {{file_, lines_, memos_, customers}, shared_.company.Current(), services_.prompter, services_.clock,
          services_.labelQueue, services_.sendMail};
}

Outcome InvoiceManager::View() {
  return Run([this] {
    if (!ReadCurrent(false) || !services_.showView) return Outcome::Nothing();
    engine::FileBlockGuard customers;
    cu::OpenCustomerFile(customers.handle(), CompanyNumber(), services_.prompter, services_.status);
    const docs::CollectOutcome collected = docs::CollectDocument(
        {file_, lines_, memos_, customers.get()}, ReadText(buffer_, inv::kInvoiceNumber), shared_.company.Current());
    customers.Close();
    if (!collected.document) return Outcome::Failed(collected.error, common::kProgramTitle);
    if (collected.document->memoMissing) services_.prompter.Inform(docs::kMemoMissingText);
    services_.showView(docs::ViewOf(*collected.document, docs::LayoutOptions::FromCompany(shared_.company.Current())));
    return Outcome::Done();
  });
}

Outcome InvoiceManager::CustomerData() {
  return Run([this] {
    if (!ReadCurrent(false) || !services_.showQuickView) return Outcome::Nothing();
    const common::RecordBuffer record = buffer_;
    customers::QuickView view;
    engine::FileBlockGuard customers;
    common::RecordBuffer customer = cu::NewCustomerRecord();
    if (cu::OpenCustomerFile(customers.handle(), CompanyNumber(), services_.prompter, services_.status) &&
        cu::FindCustomerByNumber(customers.get(), ReadText(record, inv::kCustomerNumber), customer))
      view = customers::QuickViewOf(shared_.company.Current(), customer);
    else
      view.number = ReadText(record, inv::kCustomerNumber);
    customers.Close();
    view.invoice = QuickViewInvoiceOf(record, shared_.company.Current());
    services_.showQuickView(view);
    return Outcome::Done();
  });
}

// --- filter ------------------------------------------------------------------------------------

Outcome InvoiceManager::ToggleFilter() {
  return Run([this] {
    if (!file_) return Outcome::Nothing();
    const bool current = ReadCurrent(false);
    if (!filterOn_ && !current) return Outcome::Nothing();
    const std::string key = current ? inv::InvoiceKey(buffer_, order_) : std::string();
    const std::int32_t ref = list_.CurrentRef();
    if (!filterOn_) {
      if (!filter_.Load(file_, ReadText(buffer_, inv::kCustomerNumber)))
        return Outcome::Failed("The invoice file could not be read (engine status " +
                                   std::to_string(engine::EngineStatus) + ").",
                               common::kProgramTitle);
      filterOn_ = true;
      panels_[1] = "Click filter button again to clear filter.";
    } else {
      filterOn_ = false;
      filter_.Clear();
      panels_[1] = "Filter closed.";
    }
    AttachList();
    if (current) list_.GoToKey(key, ref);
    RowChanged();
    return Outcome::Done();
  });
}

// --- print -------------------------------------------------------------------------------------

std::optional<Outcome> InvoiceManager::MailNotReady() {
  if (!services_.checkMailReady || !services_.sendMail)
    return Outcome::Failed("E-mail cannot be sent from this version of the program, so nothing was sent.",
                           "E-Mail Invoice", PromptIcon::Exclamation);
  if (!services_.checkMailReady()) return Outcome::Nothing();
  return std::nullopt;
}

bool InvoiceManager::ChoosePrinter(const std::string& fileTitle, ChosenPrinter& printer,
                                   std::unique_ptr<docs::PrintJobs>& jobs) {
  if (services_.choosePrinter) printer = services_.choosePrinter();
  if (!printer.canvas) return false;
  // A file takes every copy of the command in one document; a printer a job per copy.
  if (printer.toFile)
    jobs = std::make_unique<docs::SingleDocumentJobs>(*printer.canvas, fileTitle);
  else
    jobs = std::make_unique<docs::PrinterJobs>(*printer.canvas);
  return true;
}

Outcome InvoiceManager::Print() {
  return Run([this] {
    if (!ReadCurrent(false)) return Outcome::Nothing();
    const common::RecordBuffer record = buffer_;
    return OutputOne(TrimBoth(ReadText(record, inv::kInvoiceNumber)), record);
  });
}

Outcome InvoiceManager::OutputOne(const std::string& number, std::span<const std::uint8_t> record) {
  const std::string kind = TrimBoth(ReadText(record, inv::kRecordKind));
  if (kind == inv::kKindDeposit || kind == inv::kKindDepositTaken) {
    services_.prompter.Inform(docs::kDepositNotPrinted, docs::kDepositCaption, PromptIcon::Information);
    return View();
  }
  const bool email = EMailMode();
  MailClosing closing(email, services_.closeMail);
  if (email)
    if (auto refused = MailNotReady()) return *refused;
  ChosenPrinter printer;
  std::unique_ptr<docs::PrintJobs> jobs;
  if (!email && !ChoosePrinter(docs::JobTitle(docs::CopyKind::Invoice, number), printer, jobs))
    return Outcome::Nothing();
  engine::FileBlockGuard customers;
  cu::OpenCustomerFile(customers.handle(), CompanyNumber(), services_.prompter, services_.status);
  docs::DocumentRun run(DocumentServicesWith(customers.get()), email ? docs::OutputChoice::EMail : docs::OutputChoice::Printer,
                        email ? docs::CopyPlan{} : docs::CopyPlan::FromOptions(docs::LayoutOptions::FromCompany(shared_.company.Current())),
                        jobs.get(), false);
  const docs::DocumentOutcome outcome = run.Output(number);
  const bool finished = run.Finish();
  closing.Close();
  customers.Close();
  for (const std::string& problem : run.Problems()) services_.prompter.Inform(problem, common::kProgramTitle);
  list_.Refresh();
  switch (outcome.result) {
    case docs::DocumentResult::Printed:
      if (!finished)
        return Outcome::Failed(std::string(common::kPrintingFailedText) + " Invoice " + number +
                                   " was not marked as printed.",
                               "Print", PromptIcon::Error);
      panels_[1] = "Invoice " + number + " sent to print queue.";
      return Outcome::Done();
    case docs::DocumentResult::Sent:
      panels_[1] = "Invoice " + number + " sent by e-mail.";
      services_.prompter.Inform("Invoice sent by e-mail.", "E-Mail Invoice", PromptIcon::Information);
      return Outcome::Done();
    case docs::DocumentResult::Redirected:
      // Sent, but to the company's own address: said so, so that someone forwards it.
      panels_[1] = "Invoice " + number + " sent by e-mail.";
      services_.prompter.Inform("Invoice sent by e-mail.\n\n" + outcome.message, "E-Mail Invoice",
                                PromptIcon::Exclamation);
      return Outcome::Done();
    case docs::DocumentResult::NoAddress:
      panels_[1] = "Invoice " + number + " was not sent by e-mail.";
      services_.prompter.Inform("This customer has no e-mail address. Invoice not sent by e-mail.", "E-Mail Invoice");
      return Outcome::Done();
    case docs::DocumentResult::NotPrintable:
      return Outcome::Failed(outcome.message, "E-Mail Invoice", PromptIcon::Exclamation);
    case docs::DocumentResult::Failed:
      break;
  }
  if (email && outcome.outputFailed) {
    // The sender has said that the connection is gone; nothing more to show.
    panels_[1] = "Invoice " + number + " was not sent by e-mail.";
    return Outcome::Nothing();
  }
  return Outcome::Failed(outcome.message, email ? "E-Mail Invoice" : "Print", PromptIcon::Error);
}

Outcome InvoiceManager::BatchPrint() {
  return Run([this] {
    if (!file_) return Outcome::Nothing();
    const auto numbers = docs::UnprintedInvoices(file_);
    if (!numbers)
      return Outcome::Failed("The invoice file could not be read (engine status " +
                                 std::to_string(engine::EngineStatus) + ").",
                             kBatchPrintTitle);
    if (numbers->empty()) {
      services_.prompter.Inform(kNoInvoicesToPrint, kBatchPrintTitle, PromptIcon::Information);
      return Outcome::Nothing();
    }
    const bool email = EMailMode();
    const docs::LayoutOptions options = docs::LayoutOptions::FromCompany(shared_.company.Current());
    const BatchPrompt prompt =
        BatchPromptFor(int(numbers->size()), email, options.printPackingSlip, options.printFileCopies);
    const std::optional<int> typed = services_.runBatchDialog ? services_.runBatchDialog(prompt) : std::nullopt;
    if (!typed) return Outcome::Nothing();
    MailClosing closing(email, services_.closeMail);
    if (email)
      if (auto refused = MailNotReady()) return *refused;
    ChosenPrinter printer;
    std::unique_ptr<docs::PrintJobs> jobs;
    if (!email && !ChoosePrinter("Invoices", printer, jobs)) return Outcome::Nothing();
    const int n = std::min(*typed, int(numbers->size()));
    engine::FileBlockGuard customers;
    cu::OpenCustomerFile(customers.handle(), CompanyNumber(), services_.prompter, services_.status);
    docs::DocumentRun run(DocumentServicesWith(customers.get()),
                          email ? docs::OutputChoice::EMail : docs::OutputChoice::Printer,
                          email ? docs::CopyPlan{} : docs::CopyPlan::FromOptions(options), jobs.get(), true);
    std::vector<std::string> failures;
    int attempted = 0;
    bool connectionLost = false;
    services_.status.Show(email ? "E-Mail Mode" : "Batch Print");
    for (int i = 0; i < n; ++i) {
      const std::string& number = (*numbers)[std::size_t(i)];
      services_.status.Lines("Working...", (email ? "E-Mailing Invoice " : "Printing Invoice ") + number + " ...", "");
      const docs::DocumentOutcome outcome = run.Output(number);
      ++attempted;
      if (outcome.result == docs::DocumentResult::Failed) failures.push_back(outcome.message);
      // A printer that refused one job refuses the next, a lost mail connection has been given
      // its one reconnection by the sender: the rest stay for another run.
      if (outcome.outputFailed) {
        connectionLost = email;
        break;
      }
    }
    services_.status.Close();
    const bool finished = run.Finish();
    closing.Close();
    customers.Close();
    list_.Refresh();
    for (const std::string& problem : run.Problems()) services_.prompter.Inform(problem, common::kProgramTitle);
    const docs::OutputTally& t = run.Tally();
    if (!email) {
      if (!finished)
        return Outcome::Failed(std::string(common::kPrintingFailedText) +
                                   " No invoice of this batch was marked as printed.",
                               kBatchPrintTitle, PromptIcon::Error);
      panels_[1] = "Batch Print complete. " + std::to_string(t.printed) + " invoices sent to spooler.";
      if (!failures.empty()) {
        std::string text = Counted(int(failures.size()) + (n - attempted), "invoice(s) were not printed") +
                           " and stay unprinted for the next batch.";
        for (const std::string& f : failures) text += "\n" + f;
        return Outcome::Failed(text, kBatchPrintTitle, PromptIcon::Error);
      }
      return Outcome::Done();
    }
    if (connectionLost) {
      // The sender has shown why; the status line says how far the batch came.
      panels_[1] = "Batch E-Mail stopped. " + std::to_string(t.sent + t.redirected) + " of " + std::to_string(n) +
                   " invoices sent to e-mail; the others stay unsent for the next batch.";
      return Outcome::Nothing();
    }
    panels_[1] = "Batch Print complete. " + std::to_string(t.sent + t.redirected) + " invoices sent to e-mail.";
    std::string text = "E-mail operation complete.\nSent to the customer: " + std::to_string(t.sent);
    if (t.redirected) text += "\nSent to the company's own address (no usable customer address): " + std::to_string(t.redirected);
    if (t.noAddress) text += "\nNot sent (no e-mail address): " + std::to_string(t.noAddress);
    if (t.failed) text += "\nNot sent (failed): " + std::to_string(t.failed);
    for (const std::string& f : failures) text += "\n" + f;
    services_.prompter.Inform(text, "Batch E-Mail", t.failed ? PromptIcon::Exclamation : PromptIcon::Information);
    return Outcome::Done();
  });
}

// --- repeat billing ------------------------------------------------------------------------------

Outcome InvoiceManager::RepeatBillingSetup() {
  return Run([this] {
    if (!services_.setUpRepeatBilling || !ReadCurrent(false)) return Outcome::Nothing();
    const common::RecordBuffer record = buffer_;
    const Outcome outcome = services_.setUpRepeatBilling({file_, lines_, list_.CurrentRef(), record});
    list_.Refresh();
    RowChanged();
    return outcome;
  });
}

}  // namespace tf::invoicing
