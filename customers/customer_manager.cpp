#include "customers/customer_manager.h"

#include <stdexcept>

#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "customers/customer_envelope.h"
#include "customers/customer_file.h"
#include "customers/customer_find_mode.h"
#include "customers/customer_invoices.h"
#include "customers/customer_list_report.h"
#include "customers/customer_record.h"
#include "shell/company_record.h"
#include "shell/record_file.h"

namespace tf::customers {

namespace company = shell::company;
using common::ReadText;

CustomerManager::CustomerManager(CustomerManagerServices services, engine::ManagerList& list)
    : services_(std::move(services)), list_(list) {
  panels_[1] = std::string(kMenuHint);
}

CustomerManager::~CustomerManager() { Close(); }

std::string CustomerManager::CompanyText(common::TextField field) const {
  return ReadText(services_.company.Current(), field);
}

engine::FileBlock* CustomerManager::OpenInvoiceFile() const {
  return services_.openInvoiceFile ? services_.openInvoiceFile() : nullptr;
}

std::unique_ptr<engine::BrowseSource> CustomerManager::NewSource() {
  auto source = std::make_unique<engine::BrowseSource>(file_, order_, buffer_.data(), buffer_.size());
  source->events.OnBuildRow = [this](engine::RowRec& rr) {
    rr.Row = rr.Status == 0 ? CustomerRow(buffer_) : UnreadableRow(rr.Key);
    return 0;
  };
  return source;
}

bool CustomerManager::Open() {
  if (file_) return true;
  if (!OpenCustomerFile(file_, CompanyText(company::kCompanyNumber), services_.prompter, services_.status)) {
    file_ = nullptr;
    return false;
  }
  list_.AttachSource(NewSource());
  if (picking_) {
    const std::string key = CustomerKey(selected_, order_);
    if (!common::TrimBoth(key).empty()) {
      std::string found = key;
      std::int32_t ref = 0;
      engine::SearchKey(file_, order_, ref, found);
      if (!engine::EngineOK && engine::EngineErrorClass() > 1) throw std::runtime_error(std::string(kCustomerSearchFailed));
      list_.GoToKey(key, 0);
    }
  }
  RowChanged();
  return true;
}

void CustomerManager::Close() {
  if (file_) engine::CloseFileBlock(file_);
  file_ = nullptr;
}

std::string CustomerManager::Title(bool emailMode) const {
  return std::string(kCustomerManagerTitle) + (emailMode ? std::string(kEMailModeSuffix) : std::string());
}

std::string CustomerManager::CompanyCaption() const {
  return CompanyText(company::kCompanyName) + " - #" + CompanyText(company::kCompanyNumber);
}

void CustomerManager::RowChanged() {
  if (file_) panels_[0] = "Customers: " + std::to_string(engine::UsedKeys(file_, order_));
}

void CustomerManager::Fail(std::string_view text) { services_.prompter.Inform(text, {}, common::PromptIcon::Error); }

bool CustomerManager::ReadCurrent(bool mustBeUnchanged) {
  if (!file_) return false;
  bool unchanged = false;
  if (list_.ReadCurrentRecord(unchanged) != 0) return false;
  if (mustBeUnchanged && !unchanged) {
    list_.Refresh();
    return false;
  }
  return true;
}

void CustomerManager::Add() {
  if (!file_) return;
  editor_.BeginAdd(CompanyText(company::kNextCustomerNumber), CompanyText(company::kDefaultTerms));
  editor_.Show(services_.loadTerms ? services_.loadTerms() : std::vector<std::string>{},
               common::ReadBool(services_.company.Current(), company::kAutoCopyBillToShip));
  if (!services_.runEditor || !services_.runEditor(editor_)) return;
  const common::RecordBuffer& added = editor_.Record();
  list_.GoToKey(CustomerKey(added, order_), editor_.Ref());
  RowChanged();
  const std::string next = NextCustomerNumberAfter(ReadText(added, kCustomerNumber));
  services_.company.UpdateCurrentCompany(
      [&](std::span<std::uint8_t> work) { common::WriteText(work, company::kNextCustomerNumber, next); },
      services_.prompter, services_.status);
}

void CustomerManager::Edit() {
  if (!ReadCurrent(false)) return;
  editor_.BeginEdit(buffer_, list_.CurrentRef());
  editor_.Show(services_.loadTerms ? services_.loadTerms() : std::vector<std::string>{},
               common::ReadBool(services_.company.Current(), company::kAutoCopyBillToShip));
  if (!services_.runEditor || !services_.runEditor(editor_)) return;
  const common::RecordBuffer& saved = editor_.Record();
  list_.GoToKey(CustomerKey(saved, order_), editor_.Ref());
  RowChanged();
  if (editor_.NumberChanged()) {
    RenumberResult moved = RenumberCustomerInvoices(CompanyText(company::kCompanyNumber), editor_.EditedNumber(),
                                                    ReadText(saved, kCustomerNumber), OpenInvoiceFile());
    if (moved.changed > 0)
      services_.prompter.Inform("This customer has " + std::to_string(moved.changed) +
                                    " record(s) on file. All have been changed to reflect the new customer number.",
                                kNumberChangedCaption, common::PromptIcon::Information);
  }
}

void CustomerManager::Delete() {
  if (!ReadCurrent(true)) return;
  // A balance that does not read as an amount is not known to be zero.
  auto balance = common::ParseAmount(ReadText(buffer_, kBalance), common::BlankAmount::Zero);
  if (!balance || !balance->IsZero()) {
    services_.prompter.Inform(kBalanceDueText, kDeleteCaption);
    return;
  }
  const std::string number = ReadText(buffer_, kCustomerNumber);
  std::optional<bool> invoices = CustomerHasInvoices(CompanyText(company::kCompanyNumber), number, OpenInvoiceFile());
  if (!invoices) {
    Fail(kDeleteFailedText);
    return;
  }
  if (*invoices) {
    services_.prompter.Inform(kInvoicesOnFileText, kDeleteCaption);
    return;
  }
  if (!services_.prompter.AskYesNo(kDeleteQuestion, "Delete Customer#: " + number)) return;
  const common::RecordBuffer doomed = buffer_;
  if (!shell::DeleteKeyedRecord(file_, CustomerFileKind(), list_.CurrentRef(), doomed, services_.prompter)) {
    Fail(kDeleteFailedText);
    return;
  }
  list_.Refresh();
  RowChanged();
}

void CustomerManager::Find() {
  if (!file_ || !services_.runFind) return;
  CustomerFindMode mode(file_);
  std::optional<std::string> number = services_.runFind(mode);
  if (!number) return;
  common::RecordBuffer scratch(kCustomerRecordLength);
  common::WriteText(scratch, kCustomerNumber, *number);
  std::string key = CustomerKey(scratch, kKeyByNumber);
  std::int32_t ref = 0;
  engine::SearchKey(file_, kKeyByNumber, ref, key);
  if (!engine::EngineOK) return;
  engine::GetRecord(file_, ref, scratch.data());
  if (!engine::EngineOK) return;
  list_.GoToKey(CustomerKey(scratch, order_), ref);
  RowChanged();
}

bool CustomerManager::Pick() {
  if (!ReadCurrent(false)) return false;
  selected_ = buffer_;
  return true;
}

void CustomerManager::SetOrder(int keyNr) {
  if (keyNr != kKeyByName && keyNr != kKeyByNumber) return;
  order_ = keyNr;
  if (!file_) return;
  // The key is taken before switching: filling the new page reads other rows into the buffer.
  const bool haveCurrent = ReadCurrent(false);
  const std::string key = CustomerKey(buffer_, keyNr);
  const std::int32_t ref = list_.CurrentRef();
  list_.SetKeyNumber(keyNr);
  if (haveCurrent) list_.GoToKey(key, ref);
  RowChanged();
}

void CustomerManager::CustomerListReport() {
  if (!file_) return;
  const common::PromptAnswer addresses = services_.prompter.Show(
      {std::string(kIncludeAddressesText), std::string(kCustomerListCaption), common::PromptIcon::Question,
       common::PromptButtons::YesNoCancel, common::PromptAnswer::Yes});
  if (addresses == common::PromptAnswer::Cancel) return;
  const bool byNumber = services_.prompter.AskYesNo(kSortByNumberText, kCustomerSortCaption, common::PromptAnswer::No);
  services_.status.Show(kCustomerListCaption);
  services_.status.Lines(kCustomerListCaption, kPreparingListText, "");
  std::vector<std::string> lines = CustomerListLines(file_, CompanyText(company::kCompanyName), services_.clock.Now(),
                                                     addresses == common::PromptAnswer::Yes, byNumber);
  services_.status.Close();
  common::ShowTextReport(services_.reports, lines, byNumber ? kListByNumberTitle : kListByNameTitle);
}

void CustomerManager::PrintEnvelope(common::PrintCanvas& canvas) {
  if (!ReadCurrent(false)) return;
  customers::PrintEnvelope(canvas, services_.company.Current(), buffer_);
  panels_[1] = EnvelopeSentText(buffer_);
}

void CustomerManager::AddToLabelQueue() {
  if (!ReadCurrent(false)) return;
  services_.labelQueue.Add({ReadText(buffer_, kCustomerNumber), ReadText(buffer_, kCustomerName),
                            ReadText(buffer_, kMailSortCode), ReadText(buffer_, kCustomerType)});
  const std::string text = ReadText(buffer_, kCustomerName) + " added to label queue.";
  panels_[1] = text;
  services_.labelQueue.SetStatusText(text);
}

void CustomerManager::BeginPicking(const std::string& name, const std::string& number) {
  selected_.Clear();
  common::WriteText(selected_, kCustomerName, name);
  common::WriteText(selected_, kCustomerNumber, number);
  picking_ = true;
  panels_[1] = std::string(kPickHint);
}

void CustomerManager::EndPicking() {
  picking_ = false;
  panels_[1] = std::string(kMenuHint);
}

}  // namespace tf::customers
