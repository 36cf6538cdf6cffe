#pragma once
// TSelStmnt: "Statement Selection", the first screen of a batch: which balances (all non-zero,
// over 30, 60 or 90 days) and which records (all activity or only unpaid). The choice lives in
// the model and so persists from one batch to the next.

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <string_view>

#include "statements/customer_statements.h"

namespace tf::statements::ui {

class TSelStmnt : public QDialog {
  Q_OBJECT

 public:
  explicit TSelStmnt(QWidget* parent = nullptr);

  // Shows the screen on `choice` in the mode named `mode`; true (and `choice` set) on OK.
  bool Choose(BatchChoice& choice, std::string_view mode);

  std::function<void(std::string_view topic)> ShowHelp;

  QLabel* Label1;  // "Printer Mode" / "E-Mail Mode"
  QGroupBox* GroupBox1;
  QRadioButton* RBAll;
  QRadioButton* RBover30;
  QRadioButton* RBover60;
  QRadioButton* RBover90;
  QGroupBox* GroupBox2;
  QRadioButton* RBActAll;
  QRadioButton* RBActUnPd;
  QPushButton* OKButton;
  QPushButton* CanButn;
  QPushButton* Button1;
};

}  // namespace tf::statements::ui
