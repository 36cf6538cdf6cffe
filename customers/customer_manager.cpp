#include "customers/customer_manager.h"

#include <stdexcept>

#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "customers/customer_envelope.h"
#include "records/customer_file.h"
#include "customers/customer_find_mode.h"
#include "customers/customer_invoices.h"
#include "customers/customer_list_report.h"
#include "records/customer_record.h"
#include "records/company_record.h"
#include "records/record_file.h"

namespace tf::customers {

namespace company = records::company;
using common::ReadText;

CustomerManager::CustomerManager(CustomerManagerServices services, browse::ManagerList& list)
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

std::unique_ptr<browse::BrowseSource> CustomerManager::NewSource() {
  auto source = std::make_unique<browse::BrowseSource>(file_, order_, buffer_.data(), buffer_.size());
  source->events.OnBuildRow = [this](browse::RowRec& rr) {
    rr.Row = rr.Status == 0 ? CustomerRow(buffer_) : UnreadableRow(rr.Key);
    return 0;
  };
  return source;
}

bool CustomerManager::Open() {
  if (file_) return true;
  if (!records::customer::OpenCustomerFile(file_, CompanyText(records::company::kCompanyNumber), services_.prompter, services_.status)) {
    file_ = nullptr;
    return false;
  }
  list_.AttachSource(NewSource());
  if (picking_) {
    const std::string key = records::customer::CustomerKey(selected_, order_);
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
  return CompanyText(records::company::kCompanyName) + " - #" + CompanyText(records::company::kCompanyNumber);
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
  editor_.BeginAdd(CompanyText(records::company::kNextCustomerNumber), CompanyText(records::company::kDefaultTerms));
  editor_.Show(services_.loadTerms ? services_.loadTerms() : std::vector<std::string>{},
               common::ReadBool(services_.company.Current(), records::company::kAutoCopyBillToShip));
  if (!services_.runEditor || !services_.runEditor(editor_)) return;
  const common::RecordBuffer& added = editor_.Record();
  list_.GoToKey(records::customer::CustomerKey(added, order_), editor_.Ref());
  RowChanged();
  const std::string next = records::customer::NextCustomerNumberAfter(ReadText(added, records::customer::kCustomerNumber));
  services_.company.UpdateCurrentCompany(
      [&](std::span<std::uint8_t> work) { common::WriteText(work, records::company::kNextCustomerNumber, next); },
      services_.prompter, services_.status);
}

void CustomerManager::Edit() {
  if (!ReadCurrent(false)) return;
  editor_.BeginEdit(buffer_, list_.CurrentRef());
  editor_.Show(services_.loadTerms ? services_.loadTerms() : std::vector<std::string>{},
               common::ReadBool(services_.company.Current(), records::company::kAutoCopyBillToShip));
  if (!services_.runEditor || !services_.runEditor(editor_)) return;
  const common::RecordBuffer& saved = editor_.Record();
  list_.GoToKey(records::customer::CustomerKey(saved, order_), editor_.Ref());
  RowChanged();
  if (editor_.NumberChanged()) {
    RenumberResult moved = RenumberCustomerInvoices(CompanyText(records::company::kCompanyNumber), editor_.EditedNumber(),
                                                    ReadText(saved, records::customer::kCustomerNumber), OpenInvoiceFile());
    if (moved.changed > 0)
      services_.prompter.Inform("This customer has " + std::to_string(moved.changed) +
                                    " record(s) on file. All have been changed to reflect the new customer number.",
                                kNumberChangedCaption, common::PromptIcon::Information);
  }
}

void CustomerManager::Delete() {
  if (!ReadCurrent(true)) return;
  // A balance that does not read as an amount is not known to be zero.
  auto balance = common::ParseAmount(ReadText(buffer_, records::customer::kBalance), common::BlankAmount::Zero);
  if (!balance || !balance->IsZero()) {
    services_.prompter.Inform(kBalanceDueText, kDeleteCaption);
    return;
  }
  const std::string number = ReadText(buffer_, records::customer::kCustomerNumber);
  std::optional<bool> invoices = CustomerHasInvoices(CompanyText(records::company::kCompanyNumber), number, OpenInvoiceFile());
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
  if (!records::DeleteKeyedRecord(file_, records::customer::CustomerFileKind(), list_.CurrentRef(), doomed, services_.prompter)) {
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
  common::RecordBuffer scratch(records::customer::kCustomerRecordLength);
  common::WriteText(scratch, records::customer::kCustomerNumber, *number);
  std::string key = records::customer::CustomerKey(scratch, records::customer::kKeyByNumber);
  std::int32_t ref = 0;
  engine::SearchKey(file_, records::customer::kKeyByNumber, ref, key);
  if (!engine::EngineOK) return;
  engine::GetRecord(file_, ref, scratch.data());
  if (!engine::EngineOK) return;
  list_.GoToKey(records::customer::CustomerKey(scratch, order_), ref);
  RowChanged();
}

bool CustomerManager::Pick() {
  if (!ReadCurrent(false)) return false;
  selected_ = buffer_;
  return true;
}

void CustomerManager::SetOrder(int keyNr) {
  if (keyNr != records::customer::kKeyByName && keyNr != records::customer::kKeyByNumber) return;
  order_ = keyNr;
  if (!file_) return;
  // The key is taken before switching: filling the new page reads other rows into the buffer.
  const bool haveCurrent = ReadCurrent(false);
  const std::string key = records::customer::CustomerKey(buffer_, keyNr);
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
  std::vector<std::string> lines = CustomerListLines(file_, CompanyText(records::company::kCompanyName), services_.clock.Now(),
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
  services_.labelQueue.Add({ReadText(buffer_, records::customer::kCustomerNumber), ReadText(buffer_, records::customer::kCustomerName),
                            ReadText(buffer_, records::customer::kMailSortCode), ReadText(buffer_, records::customer::kCustomerType)});
  const std::string text = ReadText(buffer_, records::customer::kCustomerName) + " added to label queue.";
  panels_[1] = text;
  services_.labelQueue.SetStatusText(text);
}

void CustomerManager::BeginPicking(const std::string& name, const std::string& number) {
  selected_.Clear();
  common::WriteText(selected_, records::customer::kCustomerName, name);
  common::WriteText(selected_, records::customer::kCustomerNumber, number);
  picking_ = true;
  panels_[1] = std::string(kPickHint);
}

void CustomerManager::EndPicking() {
  picking_ = false;
  panels_[1] = std::string(kMenuHint);
}

}  // namespace tf::customers
