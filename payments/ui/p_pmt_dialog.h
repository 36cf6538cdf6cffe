#pragma once
// TPPmtDialog: the small amount dialog of the Payment Wizard, "Partial Payment" or "Deposit on
// Account". Its OK hands the typed amount to the wizard, which says whether it is taken; a
// refused amount keeps the dialog open on the field.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>
#include <string_view>

#include "payments/payment_wizard.h"

namespace tf::payments::ui {

class TPPmtDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TPPmtDialog(QWidget* parent = nullptr);

  // Shows the dialog modally as `setup` says, "0.00" in the field; true when `accept` took an
  // amount.
  bool Ask(const AmountDialog& setup, std::function<bool(std::string_view amount)> accept);

  QLabel* Label1;
  QLineEdit* PPAmt;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

 private:
  void OKBtnClick();
  std::function<bool(std::string_view)> accept_;
};

}  // namespace tf::payments::ui
