#include "customers/customer_manager.h"

#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "customers/customer_envelope.h"
#include "customers/customer_find_mode.h"
#include "customers/customer_invoices.h"
#include "customers/customer_list.h"
#include "customers/customer_list_report.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"

namespace tf::customers {

namespace company = records::company;
namespace customer = records::customer;
using browse::Outcome;
using common::ReadText;

CustomerManager::CustomerManager(CustomerManagerServices services, browse::ManagerList& list)
    : ManagerModel(services, list, customer::CustomerFileKind()), services_(std::move(services)) {}

CustomerManager::~CustomerManager() { Close(); }

engine::FileBlock* CustomerManager::OpenInvoiceFile() const {
  return services_.openInvoiceFile ? services_.openInvoiceFile() : nullptr;
}

std::vector<std::string> CustomerManager::Terms() const {
  return services_.loadTerms ? services_.loadTerms() : std::vector<std::string>{};
}

bool CustomerManager::AutoCopyBillToShip() const {
  return common::ReadBool(services_.company.Current(), company::kAutoCopyBillToShip);
}

std::unique_ptr<browse::BrowseSource> CustomerManager::NewSource() {
  auto source = std::make_unique<browse::BrowseSource>(file_, order_, buffer_.data(), buffer_.size());
  source->events.OnBuildRow = [this](browse::RowRec& rr) {
    rr.Row = rr.Status == 0 ? CustomerRow(buffer_) : UnreadableRow(rr.Key);
    return 0;
  };
  return source;
}

Outcome CustomerManager::OpenFile() {
  if (!customer::OpenCustomerFile(file_, CompanyText(company::kCompanyNumber), services_.prompter, services_.status)) {
    file_ = nullptr;
    // Declining "I am going to create a new, empty customer file ..." leaves the status at
    // "not found": the user chose not to have the file, so only this window stays closed.
    if (engine::EngineStatus == engine::status::kFileNotFound) return Outcome::Nothing();
    return Outcome::Fatal(browse::kUnableToOpenDatabase);
  }
  // A picker opens on the customer its window shows. The search runs before the list reads
  // anything, so a failing index says so here; the window then stays closed with nothing
  // picked, and the program goes on.
  const std::string wantedKey = picking_ ? customer::CustomerKey(wanted_, order_) : std::string();
  const bool positionOnWanted = !common::TrimBoth(wantedKey).empty();
  if (positionOnWanted) {
    std::string found = wantedKey;
    std::int32_t ref = 0;
    engine::SearchKey(file_, order_, ref, found);
    if (!engine::EngineOK && engine::EngineErrorClass() > 1) return Outcome::Failed(kCustomerSearchFailed);
  }
  list_.AttachSource(NewSource());
  if (positionOnWanted) list_.GoToKey(wantedKey, 0);
  RowChanged();
  return Outcome::Done();
}

std::string CustomerManager::Title() const {
  const bool emailMode = services_.emailMode && services_.emailMode();
  return std::string(kCustomerManagerTitle) + (emailMode ? std::string(kEMailModeSuffix) : std::string());
}

std::string CustomerManager::ListHeader() const { return CustomerListHeader(); }

Outcome CustomerManager::AddRecord() {
  if (!file_) return Outcome::Nothing();
  editor_.BeginAdd(file_, AddStep(Outcome::Failed(kAddFailedText)), CompanyText(company::kNextCustomerNumber),
                   CompanyText(company::kDefaultTerms));
  editor_.Show(Terms(), AutoCopyBillToShip());
  if (!services_.runEditor || !services_.runEditor(editor_)) return Outcome::Nothing();
  const common::RecordBuffer& added = editor_.Record();
  GoToSaved(added);
  const std::string next = customer::NextCustomerNumberAfter(ReadText(added, customer::kCustomerNumber));
  services_.company.UpdateCurrentCompany(
      [&](std::span<std::uint8_t> work) { common::WriteText(work, company::kNextCustomerNumber, next); },
      services_.prompter, services_.status);
  return Outcome::Done();
}

Outcome CustomerManager::EditRecord() {
  if (!ReadCurrent(false)) return Outcome::Nothing();
  const std::int32_t ref = list_.CurrentRef();
  editor_.BeginEdit(file_, ModifyStep(ref, buffer_, Outcome::Failed(kModifyFailedText)), buffer_, ref);
  editor_.Show(Terms(), AutoCopyBillToShip());
  if (!services_.runEditor || !services_.runEditor(editor_)) return Outcome::Nothing();
  const common::RecordBuffer& saved = editor_.Record();
  GoToSaved(saved);
  if (editor_.NumberChanged()) {
    const std::string companyNumber = CompanyText(company::kCompanyNumber);
    const std::string oldNumber = editor_.EditedNumber();
    const std::string newNumber = ReadText(saved, customer::kCustomerNumber);
    RenumberResult moved = RenumberCustomerInvoices(companyNumber, oldNumber, newNumber, services_.prompter,
                                                    services_.status, OpenInvoiceFile());
    if (!moved.complete) {
      // Invoices left under the old number would belong to no customer: the invoices already
      // moved go back and the customer keeps its old number (its other changes stay).
      const bool movedBack = moved.changed == 0 ||
                             RenumberCustomerInvoices(companyNumber, newNumber, oldNumber, services_.prompter,
                                                      services_.status, OpenInvoiceFile())
                                 .complete;
      common::RecordBuffer kept = saved;
      common::WriteText(kept, customer::kCustomerNumber, oldNumber);
      const bool numberBack = records::ModifyKeyedRecord(file_, kind_, ref, kept, saved, services_.prompter);
      GoToSaved(numberBack ? kept : saved);
      if (!movedBack || !numberBack) {
        // Said as it is, so the user can put the number right by hand.
        const std::string has = common::TrimBoth(numberBack ? oldNumber : newNumber);
        const std::string other = common::TrimBoth(numberBack ? newNumber : oldNumber);
        return Outcome::Failed(std::string(kRenumberUndoFailedText) + has + " and some of its invoices may carry number " +
                                   other + ".",
                               kNumberChangedCaption, common::PromptIcon::Error);
      }
      return Outcome::Failed(std::string(kRenumberFailedText) + common::TrimBoth(oldNumber) + ".",
                             kNumberChangedCaption, common::PromptIcon::Exclamation);
    }
    if (moved.changed > 0)
      services_.prompter.Inform("This customer has " + std::to_string(moved.changed) +
                                    " record(s) on file. All have been changed to reflect the new customer number.",
                                kNumberChangedCaption, common::PromptIcon::Information);
  }
  return Outcome::Done();
}

Outcome CustomerManager::DeleteRecord() {
  if (!ReadCurrent(true)) return Outcome::Nothing();
  // A balance that does not read as an amount is not known to be zero.
  auto balance = common::ParseAmount(ReadText(buffer_, customer::kBalance), common::BlankAmount::Zero);
  if (!balance || !balance->IsZero())
    return Outcome::Failed(kBalanceDueText, kDeleteCaption, common::PromptIcon::Exclamation);
  const std::string number = ReadText(buffer_, customer::kCustomerNumber);
  std::optional<bool> invoices = CustomerHasInvoices(CompanyText(company::kCompanyNumber), number, OpenInvoiceFile());
  if (!invoices) return Outcome::Failed(kDeleteFailedText);
  if (*invoices) return Outcome::Failed(kInvoicesOnFileText, kDeleteCaption, common::PromptIcon::Exclamation);
  if (!services_.prompter.AskYesNo(kDeleteQuestion, "Delete Customer#: " + number)) return Outcome::Nothing();
  return DeleteCurrent(Outcome::Failed(kDeleteFailedText));
}

Outcome CustomerManager::FindRecord() {
  if (!file_ || !services_.runFind) return Outcome::Nothing();
  CustomerFindMode mode(file_);
  std::optional<std::string> number = services_.runFind(mode);
  if (!number) return Outcome::Nothing();
  common::RecordBuffer scratch(customer::kCustomerRecordLength);
  common::WriteText(scratch, customer::kCustomerNumber, *number);
  std::string key = customer::CustomerKey(scratch, customer::kKeyByNumber);
  std::int32_t ref = 0;
  engine::SearchKey(file_, customer::kKeyByNumber, ref, key);
  if (!engine::EngineOK) return Outcome::Nothing();
  GoToRef(ref);
  return Outcome::Done();
}

Outcome CustomerManager::CustomerListReport() {
  return Run([this] {
    if (!file_) return Outcome::Nothing();
    const common::PromptAnswer addresses = services_.prompter.Show(
        {std::string(kIncludeAddressesText), std::string(kCustomerListCaption), common::PromptIcon::Question,
         common::PromptButtons::YesNoCancel, common::PromptAnswer::Yes});
    if (addresses == common::PromptAnswer::Cancel) return Outcome::Nothing();
    const bool byNumber = services_.prompter.AskYesNo(kSortByNumberText, kCustomerSortCaption, common::PromptAnswer::No);
    services_.status.Show(kCustomerListCaption);
    services_.status.Lines(kCustomerListCaption, kPreparingListText, "");
    std::vector<std::string> lines = CustomerListLines(file_, CompanyName(), services_.clock.Now(),
                                                       addresses == common::PromptAnswer::Yes, byNumber);
    services_.status.Close();
    common::ShowTextReport(services_.reports, lines, byNumber ? kListByNumberTitle : kListByNameTitle);
    return Outcome::Done();
  });
}

Outcome CustomerManager::PrintEnvelope(common::PrintCanvas& canvas) {
  return Run([&] {
    if (!ReadCurrent(false)) return Outcome::Nothing();
    // The status bar says the envelope was sent only once the job really went out.
    if (!customers::PrintEnvelope(canvas, services_.company.Current(), buffer_))
      return Outcome::Failed(common::kPrintingFailedText, kEnvelopeJobTitle);
    panels_[1] = EnvelopeSentText(buffer_);
    return Outcome::Done();
  });
}

Outcome CustomerManager::AddToLabelQueue() {
  return Run([this] {
    if (!ReadCurrent(false)) return Outcome::Nothing();
    services_.labelQueue.Add({ReadText(buffer_, customer::kCustomerNumber), ReadText(buffer_, customer::kCustomerName),
                              ReadText(buffer_, customer::kMailSortCode), ReadText(buffer_, customer::kCustomerType)});
    const std::string text = ReadText(buffer_, customer::kCustomerName) + " added to label queue.";
    panels_[1] = text;
    services_.labelQueue.SetStatusText(text);
    return Outcome::Done();
  });
}

void CustomerManager::BeginPicking(const std::string& name, const std::string& number) {
  wanted_.Clear();
  common::WriteText(wanted_, customer::kCustomerName, name);
  common::WriteText(wanted_, customer::kCustomerNumber, number);
  ManagerModel::BeginPicking();
  panels_[1] = std::string(kPickHint);
}

std::optional<common::RecordBuffer> CustomerManager::CurrentCustomer() {
  if (!IsOpen() || !ReadCurrent(false)) return std::nullopt;
  return buffer_;
}

}  // namespace tf::customers
