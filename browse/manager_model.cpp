#include "browse/manager_model.h"

#include <exception>
#include <vector>

#include "records/company_record.h"

namespace tf::browse {

Outcome Outcome::Failed(std::string_view text, std::string_view caption, common::PromptIcon icon) {
  Outcome outcome(Kind::Failed);
  outcome.message_ = {std::string(text), std::string(caption), icon, common::PromptButtons::OK,
                      common::PromptAnswer::OK};
  return outcome;
}

Outcome Outcome::Fatal(std::string_view text, std::string_view caption) {
  Outcome outcome = Failed(text, caption);
  outcome.endsProgram_ = true;
  return outcome;
}

bool ShowOutcome(common::Prompter& prompter, const Outcome& outcome) {
  if (!outcome.IsFailed()) return true;
  prompter.Show(outcome.Message());
  return false;
}

ManagerModel::ManagerModel(const ManagerServices& services, ManagerList& list, const records::RecordFileKind& kind)
    : shared_(services),
      list_(list),
      kind_(kind),
      buffer_(std::size_t(kind.recordLength)),
      wanted_(std::size_t(kind.recordLength)),
      selected_(std::size_t(kind.recordLength)) {
  panels_[1] = std::string(kMenuHint);
}

ManagerModel::~ManagerModel() {
  // The list may outlive the model: it must not read from a closed file block, nor into the
  // record buffer that goes with the model.
  if (!file_) return;
  list_.AttachSource(nullptr);
  engine::CloseFileBlock(file_);
}

Outcome ManagerModel::Run(const std::function<Outcome()>& command) {
  try {
    return command();
  } catch (const std::exception& e) {
    return Outcome::Failed(e.what());
  }
}

Outcome ManagerModel::Open() {
  if (file_) return Outcome::Done();
  picked_ = false;
  Outcome opened = Run([this] { return OpenFile(); });
  if (!opened.IsDone()) Close();
  return opened;
}

void ManagerModel::Close() {
  if (!file_) return;
  Run([this] {
    Closing();
    return Outcome::Done();
  });
  // Whatever Closing met, the list lets go before the file block closes: a list still holding
  // its source would read a recycled handle the next time it lays out its rows.
  list_.AttachSource(nullptr);
  engine::CloseFileBlock(file_);
  file_ = nullptr;
}

common::FontSpec ManagerModel::CaptionFont() const {
  return common::ReadFontSpec(shared_.company.Current(), records::company::kEditorFont);
}

common::FontSpec ManagerModel::ListFont() const {
  return common::ReadFontSpec(shared_.company.Current(), records::company::kManagersFont);
}

std::string ManagerModel::CompanyName() const { return records::company::ShownCompanyName(shared_.company.Current()); }

std::string ManagerModel::CompanyCaption() const {
  const auto cut = [](std::string text, std::size_t width) { return text.size() > width ? text.substr(0, width) : text; };
  return cut(cut(CompanyName() + " - #", 39) + CompanyText(records::company::kCompanyNumber), 44);
}

std::string ManagerModel::CompanyText(common::TextField field) const {
  return common::ReadText(shared_.company.Current(), field);
}

void ManagerModel::RowChanged() {
  if (file_) panels_[0] = kind_.title + ": " + std::to_string(engine::UsedKeys(file_, order_));
}

Outcome ManagerModel::Add() {
  return Run([this] { return AddRecord(); });
}

Outcome ManagerModel::Edit() {
  return Run([this] { return EditRecord(); });
}

Outcome ManagerModel::Delete() {
  return Run([this] { return DeleteRecord(); });
}

Outcome ManagerModel::Find() {
  return Run([this] { return FindRecord(); });
}

Outcome ManagerModel::Pick() {
  return Run([this] {
    if (!ReadCurrent(false)) return Outcome::Nothing();
    selected_ = buffer_;
    picked_ = true;
    return Outcome::Done();
  });
}

Outcome ManagerModel::SetOrder(int keyNr) {
  return Run([this, keyNr] {
    if (keyNr < 1 || keyNr > int(kind_.keys.size())) return Outcome::Nothing();
    order_ = keyNr;
    if (!file_) return Outcome::Done();
    // The key is taken before switching: filling the new page reads other rows into the buffer.
    const bool haveCurrent = ReadCurrent(false);
    const std::string key = kind_.keyRoutine(buffer_, keyNr);
    const std::int32_t ref = list_.CurrentRef();
    list_.SetKeyNumber(keyNr);
    if (haveCurrent) list_.GoToKey(key, ref);
    RowChanged();
    return Outcome::Done();
  });
}

void ManagerModel::BeginPicking() {
  picking_ = true;
}

void ManagerModel::EndPicking() {
  picking_ = false;
  panels_[1] = std::string(kMenuHint);
}

bool ManagerModel::ReadCurrent(bool mustBeUnchanged) {
  if (!file_) return false;
  bool unchanged = false;
  if (list_.ReadCurrentRecord(unchanged) != 0) return false;
  if (mustBeUnchanged && !unchanged) {
    list_.Refresh();
    return false;
  }
  return true;
}

SaveStep ManagerModel::AddStep(Outcome failure) {
  return [this, failure](std::span<const std::uint8_t> image) {
    std::int32_t ref = 0;
    if (!records::AddKeyedRecord(file_, kind_, image, ref, shared_.prompter)) return failure;
    savedRef_ = ref;
    return Outcome::Done();
  };
}

SaveStep ManagerModel::ModifyStep(std::int32_t ref, std::span<const std::uint8_t> oldImage, Outcome failure) {
  return [this, ref, old = std::vector<std::uint8_t>(oldImage.begin(), oldImage.end()), failure](
             std::span<const std::uint8_t> image) {
    if (!records::ModifyKeyedRecord(file_, kind_, ref, image, old, shared_.prompter)) return failure;
    savedRef_ = ref;
    return Outcome::Done();
  };
}

void ManagerModel::GoToSaved(std::span<const std::uint8_t> image) {
  list_.GoToKey(kind_.keyRoutine(image, order_), savedRef_);
  RowChanged();
}

void ManagerModel::GoToRef(std::int32_t ref) {
  common::RecordBuffer record(std::size_t(kind_.recordLength));
  engine::GetRecord(file_, ref, std::span<std::uint8_t>(record));
  if (!engine::EngineOK) return;
  list_.GoToKey(kind_.keyRoutine(record, order_), ref);
  RowChanged();
}

Outcome ManagerModel::DeleteCurrent(Outcome failure) {
  const common::RecordBuffer doomed = buffer_;
  if (!records::DeleteKeyedRecord(file_, kind_, list_.CurrentRef(), doomed, shared_.prompter)) return failure;
  list_.Refresh();
  RowChanged();
  return Outcome::Done();
}

}  // namespace tf::browse
