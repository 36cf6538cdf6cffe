#include "correspondence/label_wizard.h"

#include "common/record_fields.h"
#include "common/text.h"
#include "correspondence/label_fill.h"
#include "correspondence/label_list_file.h"
#include "correspondence/label_sheet.h"
#include "records/company_record.h"
#include "records/customer_file.h"

namespace tf::correspondence {

namespace co = records::company;

struct LabelWizard::CustomerFile {
  engine::FileBlockGuard block;
};

LabelWizard::LabelWizard(LabelWizardServices services) : services_(services), status_(kNoLayoutStatus) {}

void LabelWizard::Loaded(const LabelLayout& layout, const std::filesystem::path& path) {
  loaded_ = layout;
  Fields = layout;
  layoutPath_ = path;
  status_ = kReadyStatus;
}

void LabelWizard::Create() {
  loaded_.reset();
  status_ = kNoLayoutStatus;
  const LastLayout last = FindLastLayout();
  if (last.state != LastLayout::State::Named) return;
  const OpenedLayout opened = ReadLabelLayoutFile(last.path);
  if (!opened.layout) {
    // The file it names is no layout any more: say so once, and wait for one to be opened.
    services_.prompter.Inform(opened.problem, "Label Wizard");
    return;
  }
  Loaded(*opened.layout, last.path);
}

void LabelWizard::Show() {
  StartLabel = "1";
  Copies = "1";
}

std::array<std::string, 4> LabelWizard::AgingCaptions() const {
  const auto company = services_.company();
  const common::TextField captions[] = {co::kAgingCaption1, co::kAgingCaption2, co::kAgingCaption3};
  const common::TextField days[] = {co::kAgingDays1, co::kAgingDays2, co::kAgingDays3};
  std::array<std::string, 4> out;
  for (int i = 0; i < 3; ++i) {
    out[i] = common::TrimBoth(common::ReadText(company, captions[i]));
    if (out[i].empty()) out[i] = common::TrimBoth(common::ReadText(company, days[i]));
  }
  out[3] = "Over " + common::TrimBoth(common::ReadText(company, co::kAgingDays3));
  return out;
}

bool LabelWizard::OpenLayout(const std::filesystem::path& path) {
  const OpenedLayout opened = OpenLabelLayout(path);
  if (!opened.layout) {
    services_.prompter.Inform(opened.problem, "Open Label Layout");
    return false;
  }
  Loaded(*opened.layout, path);
  return true;
}

bool LabelWizard::SaveLayoutAs(const std::filesystem::path& path) {
  if (auto problem = SaveLabelLayout(path, Fields)) {
    services_.prompter.Inform(*problem, "Save Label Layout");
    return false;
  }
  LabelLayout saved = Fields;
  if (!saved.PrintReturnAddress) {  // as the file now holds them
    saved.BitmapPath = " ";
    saved.PrintLine = false;
  }
  Loaded(saved, path);
  Fields.BitmapPath = saved.BitmapPath;
  Fields.PrintLine = saved.PrintLine;
  return true;
}

bool LabelWizard::LayoutChanged() const {
  if (!loaded_) return false;
  const LabelLayout& a = Fields;
  const LabelLayout& b = *loaded_;
  const auto same = [](const std::string& x, const std::string& y) { return common::TrimBoth(x) == common::TrimBoth(y); };
  return !same(a.LeftMargin, b.LeftMargin) || !same(a.TopMargin, b.TopMargin) ||
         !same(a.ColumnsAcross, b.ColumnsAcross) || !same(a.RowsDown, b.RowsDown) ||
         !same(a.LabelWidth, b.LabelWidth) || !same(a.LabelHeight, b.LabelHeight) ||
         (a.PrintReturnAddress && !same(a.BitmapPath, b.BitmapPath)) || !same(a.LineWidth, b.LineWidth) ||
         a.SendToCaption != b.SendToCaption || a.PrintReturnAddress != b.PrintReturnAddress;
}

std::string LabelWizard::Selected(std::size_t count, const char* words) const {
  return std::to_string(count) + words;
}

std::unique_ptr<LabelWizard::CustomerFile> LabelWizard::OpenCustomers() {
  auto file = std::make_unique<CustomerFile>();
  const std::string number = common::TrimBoth(common::ReadText(services_.company(), co::kCompanyNumber));
  if (!records::customer::OpenCustomerFile(file->block.handle(), number, services_.prompter, services_.status))
    return nullptr;
  return file;
}

void LabelWizard::AddPicked(std::span<const std::uint8_t> customer) {
  services_.queue.Add(QueueEntryOf(customer));
  status_ = Selected(services_.queue.Size(), " records are selected.");
}

void LabelWizard::LoadAllCustomers() {
  auto file = OpenCustomers();
  if (!file) return;
  const auto entries = AllCustomers(file->block.get());
  if (!entries) {
    services_.prompter.Inform("The customer file could not be read (status " + std::to_string(engine::EngineStatus) +
                                  "). No records were added.",
                              "Load All Customers");
    return;
  }
  for (const LabelQueueEntry& e : *entries) services_.queue.Add(e);
  status_ = Selected(entries->size(), " records were added.");
}

void LabelWizard::LoadAgingCategory(int category) {
  const common::TextField days[] = {co::kAgingDays1, co::kAgingDays2, co::kAgingDays3};
  const int needed = std::min(category, 3);
  if (common::TrimBoth(common::ReadText(services_.company(), days[needed - 1])).empty()) {
    services_.prompter.Inform("Category " + std::to_string(needed) +
                              " has a bad value in your aging days (Company Setup). Unable to process.");
    return;
  }
  auto file = OpenCustomers();
  if (!file) return;
  const auto entries = CustomersInAgingCategory(file->block.get(), category);
  const std::string caption = AgingCaptions()[std::size_t(category - 1)];
  if (!entries) {
    services_.prompter.Inform("The customer file could not be read (status " + std::to_string(engine::EngineStatus) +
                                  "). No records were added.",
                              caption);
    return;
  }
  if (entries->empty()) {
    services_.prompter.Inform(kNoRecordsFoundText, caption);
    return;
  }
  for (const LabelQueueEntry& e : *entries) services_.queue.Add(e);
  status_ = Selected(entries->size(), " records were added.");
}

void LabelWizard::LoadFromFile(const std::filesystem::path& path) {
  if (auto problem = LoadLabelList(path, services_.queue)) {
    services_.prompter.Inform(*problem, "Load Records");
    return;
  }
  status_ = Selected(services_.queue.Size(), " records are selected.");
}

void LabelWizard::SaveToFile(const std::filesystem::path& path) {
  if (!HasRecords()) {
    services_.prompter.Inform(kNothingToSaveText, kSaveRecordsCaption);
    return;
  }
  if (auto problem = SaveLabelList(path, services_.queue)) {
    services_.prompter.Inform(*problem, kSaveRecordsCaption);
    return;
  }
  status_ = "Records saved to file: " + path.string() + ".";
}

void LabelWizard::Delete(std::optional<std::size_t> selected) {
  if (!selected || *selected >= services_.queue.Size()) {
    services_.prompter.Inform(kNoSelectionText, kDeleteCaption);
    return;
  }
  services_.queue.Remove(*selected);
  status_ = Selected(services_.queue.Size(), " records are selected.");
}

bool LabelWizard::ClearAll() {
  if (!HasRecords()) return false;
  if (!services_.prompter.AskYesNo(kClearText, kConfirmCaption)) return true;
  services_.queue.Clear();
  status_ = "All records were removed from the queue.";
  return true;
}

bool LabelWizard::Print(const ChooseCanvas& chooseCanvas, const ChoosePath& chooseSavePath) {
  if (!HasRecords()) {
    services_.prompter.Inform(kEmptyQueueText, kPrintCaption);
    return false;
  }
  if (auto problem = GeometryProblem(Fields, "Unable to print.")) {
    services_.prompter.Inform(*problem, kPrintCaption);
    return false;
  }
  const int start = CountOrOne(StartLabel);
  if (auto problem = StartLabelProblem(Geometry(Fields), start)) {
    services_.prompter.Inform(*problem, kPrintCaption);
    return false;
  }
  if (LayoutChanged() && services_.prompter.AskYesNo(kLayoutChangedText, kPrintCaption)) {
    if (const auto path = chooseSavePath()) SaveLayoutAs(*path);
  }
  common::PrintCanvas* canvas = chooseCanvas();
  if (!canvas) return false;
  auto file = OpenCustomers();
  if (!file) return false;

  status_ = "Printing labels...";
  CustomerFileLookup lookup(file->block.get());
  const LabelPrintOutcome outcome =
      PrintLabels(*canvas, {Fields, start, CountOrOne(Copies), services_.company()}, services_.queue.Entries(), lookup);
  if (!outcome.Printed()) {
    status_ = kReadyStatus;
    std::string text = outcome.message;
    if (outcome.result == LabelPrintOutcome::Result::NoneFound) text += " " + MissingCustomersText(outcome.missing);
    services_.prompter.Inform(text, kPrintCaption);
    return false;
  }
  services_.queue.SetUnsaved(false);
  status_ = "Complete. " + std::to_string(outcome.labels) + " label(s) sent to printer.";
  if (!outcome.missing.empty()) services_.prompter.Inform(MissingCustomersText(outcome.missing), kPrintCaption);
  return true;
}

bool LabelWizard::PrintCalibrationRuler(const ChooseCanvas& chooseCanvas) {
  if (!services_.prompter.AskYesNo(kRulerText, kConfirmCaption)) return false;
  common::PrintCanvas* canvas = chooseCanvas();
  if (!canvas) return false;
  if (!correspondence::PrintCalibrationRuler(*canvas, Fields.Font)) {
    services_.prompter.Inform(common::kPrintingFailedText, "Calibration Ruler");
    return false;
  }
  status_ = "Calibration ruler sent to printer.";
  return true;
}

}  // namespace tf::correspondence
