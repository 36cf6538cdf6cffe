#include "companies/company_manager.h"

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/program_title.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "companies/company_files.h"
#include "companies/company_find_mode.h"
#include "companies/company_list_report.h"
#include "records/company_record.h"
#include "records/company_store.h"

namespace tf::companies {

namespace company = records::company;
using browse::Outcome;
using common::PadRight;

CompanyManager::CompanyManager(CompanyManagerServices services, browse::ManagerList& list)
    : ManagerModel(services, list, company::CompanyFileKind()),
      services_(std::move(services)),
      options_({services_.prompter, [this] { return File(); }}) {
  order_ = company::kNameKey;
}

CompanyManager::~CompanyManager() { Close(); }

std::string CompanyManager::CurrentNumber() const { return CompanyText(company::kCompanyNumber); }

std::string CompanyManager::ListHeader() const {
  return PadRight(PadRight("Company Name", 35) + " " + PadRight("Number", 6) + " " + common::AlignRight("Balance", 12),
                  browse::kMaxRowText);
}

int CompanyManager::BuildRow(browse::RowRec& rr, std::span<const std::uint8_t> record) {
  if (rr.Status != 0) {
    rr.Row = PadRight("****  " + rr.Key, browse::kMaxRowText);
    return 0;
  }
  const std::string balance = common::FormatComma0_00(
      common::ParseAmount(common::ReadText(record, company::kCompanyBalance)).value_or(common::Money{}));
  rr.Row = PadRight(common::Cut(PadRight(common::ReadText(record, company::kCompanyName), 35), 35) + " " +
                        PadRight(common::ReadText(record, company::kCompanyNumber), 6) + " " +
                        common::AlignRight(balance, 12),
                    browse::kMaxRowText);
  return 0;
}

Outcome CompanyManager::OpenFile() {
  currentChanged_ = false;
  if (!records::OpenCompanyFile(file_, services_.prompter, services_.status)) {
    file_ = nullptr;
    return Outcome::Fatal(records::kUnableToOpenCompanyDatabase, common::kProgramTitle);
  }
  auto source = std::make_unique<browse::BrowseSource>(file_, order_, buffer_.data(), buffer_.size(),
                                                       std::string_view{}, std::string_view{},
                                                       browse::kBrowseRowBuffers);
  source->events.OnBuildRow = [this](browse::RowRec& rr) { return BuildRow(rr, buffer_); };
  list_.AttachSource(std::move(source));
  list_.SetKeyNumber(order_);
  // The list opens on the current company.
  if (const std::int32_t ref = FindCompanyNumber(file_, CurrentNumber()); ref != 0) GoToRef(ref);
  RowChanged();
  return Outcome::Done();
}

Outcome CompanyManager::AddRecord() {
  const common::RecordBuffer proposed =
      company::NewCompanyRecord(services_.company.Current(), engine::UsedKeys(file_, company::kNumberKey),
                                shown_.value_or(company::LastShownOptions{}));
  options_.BeginAdd(proposed, AddStep(Outcome::Failed("Add operation failed", common::kProgramTitle)),
                    CurrentNumber());
  const bool saved = services_.runOptions && services_.runOptions(options_);
  shown_ = options_.Shown();
  if (!saved) return Outcome::Nothing();
  GoToSaved(options_.Record());
  return Outcome::Done();
}

Outcome CompanyManager::EditRecord() {
  if (!ReadCurrent(true)) return Outcome::Nothing();
  if (services_.checkPassword && !services_.checkPassword()) return Outcome::Nothing();
  const std::int32_t ref = list_.CurrentRef();
  options_.BeginEdit(buffer_, ModifyStep(ref, buffer_, Outcome::Failed("Modify Company failed", common::kProgramTitle)),
                     CurrentNumber());
  const bool saved = services_.runOptions && services_.runOptions(options_);
  shown_ = options_.Shown();
  if (!saved) return Outcome::Nothing();
  if (options_.SavedCurrentCompany()) currentChanged_ = true;
  GoToSaved(options_.Record());
  return Outcome::Done();
}

Outcome CompanyManager::DeleteRecord() {
  if (!ReadCurrent(true)) return Outcome::Nothing();
  if (services_.checkPassword && !services_.checkPassword()) return Outcome::Nothing();
  const std::string number = common::TrimBoth(common::ReadText(buffer_, company::kCompanyNumber));
  if (NormalisedCompanyNumber(number).value_or(number) ==
      NormalisedCompanyNumber(CurrentNumber()).value_or(common::TrimBoth(CurrentNumber())))
    return Outcome::Failed(kCurrentCompanyNotDeleted, "Delete Company", common::PromptIcon::Exclamation);
  if (!services_.prompter.AskYesNo(kDeleteCompanyQuestion, "Please Confirm")) return Outcome::Nothing();
  const Outcome deleted = DeleteCurrent(Outcome::Failed("Delete operation failed", common::kProgramTitle));
  if (!deleted.IsDone()) return deleted;
  // The files go only once the record and its keys are gone.
  const FileRemoval removal = RemoveCompanyFiles(number);
  if (!removal.failed.empty()) {
    std::string names;
    for (const std::string& f : removal.failed) names += "\n" + f;
    return Outcome::Failed("Company " + number + " was deleted, but these of its files could not be removed:" + names +
                               "\nRemove them by hand before a new company takes the number " + number + ".",
                           "Delete Company", common::PromptIcon::Exclamation);
  }
  return Outcome::Done();
}

Outcome CompanyManager::FindRecord() {
  if (!file_ || !services_.runFind) return Outcome::Nothing();
  CompanyFindMode mode(file_);
  const std::optional<std::string> number = services_.runFind(mode);
  if (!number) return Outcome::Nothing();
  const std::int32_t ref = FindCompanyNumber(file_, *number);
  if (ref == 0) return Outcome::Nothing();
  GoToRef(ref);
  return Outcome::Done();
}

Outcome CompanyManager::SetAsDefault() {
  return Run([this] {
    if (!ReadCurrent(true)) return Outcome::Nothing();
    selected_ = buffer_;
    picked_ = true;
    return Outcome::Done();
  });
}

Outcome CompanyManager::CompanyList() {
  return Run([this] {
    if (!file_) return Outcome::Nothing();
    const common::PromptAnswer answer = services_.prompter.Show(
        {"The companies will be sorted by name. Would you rather sort by company number?",
         std::string(kCompanyListTitle), common::PromptIcon::Question, common::PromptButtons::YesNoCancel,
         common::PromptAnswer::No});
    if (answer == common::PromptAnswer::Cancel) return Outcome::Nothing();
    const int keyNr = answer == common::PromptAnswer::Yes ? company::kNumberKey : company::kNameKey;
    services_.status.Show(kCompanyListTitle);
    services_.status.Lines("Preparing list...", "", "");
    const std::vector<std::string> lines = CompanyListLines(file_, keyNr, services_.clock.Now());
    services_.status.Close();
    services_.reports.ProposeFileName("Company");
    common::ShowTextReport(services_.reports, lines, CompanyListCaption(keyNr));
    return Outcome::Done();
  });
}

CompanyManager::Choice CompanyManager::Closed() const {
  if (picked_) return Choice::Picked;
  return currentChanged_ ? Choice::CurrentChanged : Choice::Nothing;
}

}  // namespace tf::companies
