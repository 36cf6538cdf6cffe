#pragma once
// TSelectRepeat, the "Repeat Billing Wizard": the masters due through a date, listed, and the
// invoices generated from them, bound to the RepeatWizard model (billing/wizards.h).

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "billing/wizards.h"
#include "common/date_text.h"

namespace tf::billing::ui {

class TSelectRepeat : public QDialog {
  Q_OBJECT

 public:
  explicit TSelectRepeat(WizardServices services, QWidget* parent = nullptr);
  ~TSelectRepeat() override;

  // Shows the wizard modally; true when invoices were generated.
  bool Run();
  RepeatWizard& Model() { return model_; }

  std::function<std::optional<std::string>(std::chrono::year_month_day date, common::DateFormat format,
                                            QWidget* field)>
      ChooseDate;
  std::function<void(std::string_view topic)> ShowHelp;

  // --- controls (their screen names) ---------------------------------------------------------------
  QLineEdit* EndDate;
  QPushButton* Calbutton;
  QPushButton* SearchBtn;
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Label6;
  QLabel* Label7;
  QLabel* Label8;
  QLabel* Label9;
  QPlainTextEdit* RichEdit1;
  QLabel* Label3;
  QLineEdit* InvComm;
  QLineEdit* NewInvDate;
  QPushButton* CalButton2;
  QPushButton* CreateBtn;
  QPushButton* ExitButn;
  QPushButton* HelpBtn;
  QProgressBar* ProgressBar1;

 private:
  void ShowModel();
  void Collect();
  void Focus(RepeatWizard::Focus focus);
  void Calendar(QLineEdit* field);
  void SearchBtnClick();
  void CreateBtnClick();

  RepeatWizard model_;
  WizardServices services_;
};

}  // namespace tf::billing::ui
