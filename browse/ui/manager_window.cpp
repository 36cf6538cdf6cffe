#include "browse/ui/manager_window.h"

#include <QApplication>

#include "common/ui/help_window.h"
#include "common/ui/manager_frame.h"
#include "common/ui/qt_font.h"
#include "common/ui/qt_print_canvas.h"
#include "common/ui/qt_text.h"
#include "common/ui/window_print.h"

namespace tf::browse::ui {

using common::ui::ToQString;

TManagerWindow::TManagerWindow(common::Prompter& prompter, QWidget* parent) : QDialog(parent), prompter_(prompter) {
  OnUnableToOpen = [] { QApplication::exit(1); };
  ShowHelp = [this](std::string_view topic) { common::ui::ShowHelpTopic(topic, this); };
  // Every job goes through the print dialog, which starts on the printer chosen in Printer
  // Setup and offers "Print to File (PDF)"; cancelling it prints nothing.
  Printer = [this] { return std::unique_ptr<common::PrintCanvas>(common::ui::ChoosePrinterCanvas(this)); };
}

TManagerWindow::~TManagerWindow() = default;

void TManagerWindow::BuildFrame(std::initializer_list<QToolButton*> tools, TIndexBrowser* list) {
  list_ = list;
  browserList_ = std::make_unique<BrowserList>(list);
  const common::ui::ManagerFrame frame = common::ui::BuildManagerFrame(this, tools, list, ToQString(kMenuHint));
  Label1 = frame.caption;
  StatusBar1 = frame.statusBar;
  StatusPanel0 = frame.countPanel;
  StatusPanel1 = frame.hintPanel;
}

Outcome TManagerWindow::Guard(const std::function<Outcome()>& command) {
  const Outcome outcome = ManagerModel::Run(command);
  ShowOutcome(prompter_, outcome);
  ShowState();
  return outcome;
}

void TManagerWindow::ShowState() {
  StatusPanel0->setText(ToQString(model_->Panel(0)));
  StatusPanel1->setText(ToQString(model_->Panel(1)));
}

int TManagerWindow::exec() {
  setWindowTitle(ToQString(model_->Title()));
  common::ui::ApplyFontSpec(*Label1, model_->CaptionFont(), QPalette::WindowText);
  Label1->setText(ToQString(model_->CompanyCaption()));
  list_->SetHeader(ToQString(model_->ListHeader()));
  common::ui::ApplyFontSpec(*list_, model_->ListFont(), QPalette::Text, true);
  const Outcome opened = Guard([this] { return model_->Open(); });
  if (!opened.IsDone()) {
    if (opened.EndsProgram()) OnUnableToOpen();
    return QDialog::Rejected;
  }
  list_->setFocus();
  const int result = QDialog::exec();
  model_->Close();
  return result;
}

void TManagerWindow::PickCurrent() {
  if (Guard([this] { return model_->Pick(); }).IsDone()) accept();
}

std::optional<common::RecordBuffer> TManagerWindow::RunPicker() {
  ShowState();
  const int result = exec();
  model_->EndPicking();
  ShowState();
  if (result != QDialog::Accepted || !model_->Picked()) return std::nullopt;
  return model_->Selected();
}

void TManagerWindow::ShowModelHelp() { ShowHelp(model_->HelpTopic()); }

void TManagerWindow::PrintWindowImage(std::string_view title) {
  if (common::ui::PrintWindowImage(*this, title, Printer) == common::ui::PrintResult::Failed)
    prompter_.Inform(common::kPrintingFailedText, title, common::PromptIcon::Error);
}

}  // namespace tf::browse::ui
