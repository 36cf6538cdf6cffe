#pragma once
// TRepeatForm, the "Repeat Invoice Setup": the schedule of a repeat master, opened from the
// Invoice Manager on its current record (an invoice becomes a master, or a master's schedule
// changes), bound to the RepeatSetup model (billing/repeat_setup.h).

#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "billing/repeat_setup.h"
#include "billing/wizards.h"
#include "browse/manager_model.h"
#include "common/date_text.h"
#include "invoicing/manager/invoice_manager.h"

namespace tf::billing::ui {

class TRepeatForm : public QDialog {
  Q_OBJECT

 public:
  explicit TRepeatForm(WizardServices services, QWidget* parent = nullptr);
  ~TRepeatForm() override;

  // The set-up of the Invoice Manager's current record: refused (shown), cancelled, or saved.
  browse::Outcome Run(const invoicing::RepeatSetupRequest& request);

  std::function<std::optional<std::string>(std::chrono::year_month_day date, common::DateFormat format,
                                            QWidget* field)>
      ChooseDate;
  std::function<void(std::string_view topic)> ShowHelp;

  // --- controls (their screen names) ---------------------------------------------------------------
  QLabel* Label1;
  QLabel* InvoiceDate;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label5;
  QLineEdit* NumDays;
  QRadioButton* RBMonths;
  QRadioButton* RBDays;
  QLabel* Label7;
  QLineEdit* EndDate;
  QPushButton* Cal2button;
  QFrame* Panel2;
  QCheckBox* CheckBox1;
  QLabel* Label8;
  QPushButton* OKButton;
  QPushButton* CancelButton;
  QPushButton* HelpButton;

 private:
  void ShowModel();
  void Collect();
  void CheckBox1Click();
  void Cal2buttonClick();
  void OKButtonClick();

  WizardServices services_;
  std::optional<RepeatSetup> setup_;
  const invoicing::RepeatSetupRequest* request_ = nullptr;
  std::string saveFailure_;
};

}  // namespace tf::billing::ui
