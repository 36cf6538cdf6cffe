#pragma once
// TInvBatch ("Batch Print Invoices"): how many of the unprinted invoices to print (or e-mail)
// in this run, with what the run will do; the model's texts (invoicing/manager/batch_print.h).

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <optional>

#include "common/prompter.h"
#include "invoicing/manager/batch_print.h"

namespace tf::invoicing::ui {

class TInvBatch : public QDialog {
  Q_OBJECT

 public:
  TInvBatch(common::Prompter& prompter, QWidget* parent = nullptr);

  // Shows the dialog on `prompt`; the number accepted, or nothing when cancelled.
  std::optional<int> Run(const BatchPrompt& prompt);

  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLineEdit* BatchNum;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

 private:
  void OKBtnClick();

  common::Prompter& prompter_;
  std::optional<int> number_;
};

}  // namespace tf::invoicing::ui
