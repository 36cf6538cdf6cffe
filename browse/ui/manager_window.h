#pragma once
// TManagerWindow: the Qt side every manager window shares (TDemoForm, TEditProd and the invoice,
// company, payment and repeat-billing managers to come), over the screen model shape of
// browse/manager_model.h:
//
// - the frame: the tool bar, the company caption "Label1", the list, the status bar with the
//   count panel "StatusBar1Panel0" and the hint panel "StatusBar1Panel1";
// - the one guard every command runs through (Guard): a failed outcome, or anything thrown on
//   the way, is shown as a message through the prompter and never travels through Qt; the
//   panels show the model's state afterwards;
// - exec(): the title, the company's fonts (the caption in its editor font, the list in its
//   managers font), the model opened (a failure is shown and OnUnableToOpen ends the program),
//   the modal loop, and the model closed again;
// - picking for other windows (RunPicker) and Enter / double-click on the list (PickCurrent);
// - help and "Print Window" through replaceable platform actions.
//
// A form derives from it, builds its controls and menus under their own names, calls
// BuildFrame with its tool buttons and list, makes its model on List() and hands it to
// SetModel. Its handlers stay one line each: Guard([this] { return model_->Add(); }).

#include <QDialog>
#include <QLabel>
#include <QStatusBar>
#include <QToolButton>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string_view>

#include "browse/manager_model.h"
#include "browse/ui/browser_list.h"
#include "browse/ui/index_browser.h"
#include "common/print_canvas.h"
#include "common/prompter.h"
#include "common/record_buffer.h"

namespace tf::browse::ui {

class TManagerWindow : public QDialog {
  Q_OBJECT

 public:
  ~TManagerWindow() override;

  // Opens the model, shows the window modally and closes the model. When the model does not
  // open, the window is not shown (Rejected); when its file block cannot be opened at all, the
  // message has been shown and OnUnableToOpen runs.
  int exec() override;

  // --- platform actions, replaceable in tests ----------------------------------------------
  // The model's file block cannot be opened: the program ends.
  std::function<void()> OnUnableToOpen;
  // Opens a help topic; the help window by default.
  std::function<void(std::string_view topic)> ShowHelp;
  // The printer "Print Window" (and what else the window prints) goes to: the one the user
  // picks in the print dialog; nothing when the dialog is cancelled.
  std::function<std::unique_ptr<common::PrintCanvas>()> Printer;

  // --- the frame's controls, by their names ------------------------------------------------
  QLabel* Label1 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QLabel* StatusPanel0 = nullptr;  // StatusBar1Panel0: the count
  QLabel* StatusPanel1 = nullptr;  // StatusBar1Panel1: the hint or the last outcome

 protected:
  TManagerWindow(common::Prompter& prompter, QWidget* parent);

  // Lays the window (which has no layout yet) out around `list`, which becomes the list the
  // model reads through List().
  void BuildFrame(std::initializer_list<QToolButton*> tools, TIndexBrowser* list);
  ManagerList& List() { return *browserList_; }
  void SetModel(ManagerModel& model) { model_ = &model; }

  // Runs a command of the model: a failure is shown, then the panels show the model's state.
  Outcome Guard(const std::function<Outcome()>& command);
  // Double-click or Enter on the list: the current record is picked and the window closes.
  void PickCurrent();
  // exec() for a window that began picking on its model: the record picked, if any.
  std::optional<common::RecordBuffer> RunPicker();
  // The model's help topic.
  void ShowModelHelp();
  // "Print Window": the window's image under `title`; a job that fails says so.
  void PrintWindowImage(std::string_view title);

  // Shows the model's panels; a form adds its own state (the order's check marks).
  virtual void ShowState();

 private:
  common::Prompter& prompter_;
  TIndexBrowser* list_ = nullptr;
  std::unique_ptr<BrowserList> browserList_;
  ManagerModel* model_ = nullptr;
};

}  // namespace tf::browse::ui
