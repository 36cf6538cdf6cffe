#pragma once
// TInterestWiz, the "Interest Wizard": the options of an interest run, the scan of the
// customers into the list of charges, and the generation of the interest invoices, bound to
// the InterestWizard model (billing/wizards.h), which holds every rule.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "billing/wizards.h"
#include "common/date_text.h"
#include "common/print_canvas.h"

namespace tf::billing::ui {

class TInterestWiz : public QDialog {
  Q_OBJECT

 public:
  explicit TInterestWiz(WizardServices services, QWidget* parent = nullptr);
  ~TInterestWiz() override;

  // Shows the wizard modally on the current company; true when invoices were created.
  bool Run();
  InterestWizard& Model() { return model_; }

  // --- what it uses of the program, replaceable in tests -----------------------------------------
  std::function<std::optional<std::string>(std::chrono::year_month_day date, common::DateFormat format,
                                            QWidget* field)>
      ChooseDate;
  std::function<std::unique_ptr<common::PrintCanvas>()> ChoosePrinter;
  std::function<std::vector<std::string>()> LoadTerms;
  std::function<void(std::string_view topic)> ShowHelp;
  // The main window's status panel 1.
  std::function<void(std::string_view text)> SetMainStatus;

  // --- controls (their screen names) ---------------------------------------------------------------
  QGroupBox* AgeGroup;
  QRadioButton* days30;
  QRadioButton* days60;
  QRadioButton* days90;
  QLineEdit* IPct;
  QLineEdit* MinChg;
  QCheckBox* FlatCB;
  QLineEdit* FlatRate;
  QCheckBox* IntOnInt;
  QCheckBox* IPrin;
  QLineEdit* IDate;
  QPushButton* Calbutton;
  QLineEdit* InvComm;
  QLineEdit* StmntNote;
  QComboBox* ITerms;
  QLabel* LastRun;
  QLabel* Label3;
  QTableWidget* CustGrid;
  QPushButton* Button1;
  QPushButton* GenInv;
  QPushButton* CanButn;
  QPushButton* Button2;

 private:
  void ShowModel();
  void Collect();
  void Focus(InterestWizard::Focus focus);
  void AgeClick(int option);
  void FlatCBClick();
  void FlatRateChange(const QString& text);
  void CalbuttonClick();
  void Button1Click();
  void GenInvClick();

  InterestWizard model_;
  WizardServices services_;
  bool showing_ = false;
};

}  // namespace tf::billing::ui
