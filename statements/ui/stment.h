#pragma once
// TStment: the "Customer Statement" window over the statement CustomerStatements shows: the
// customer's name, address and number, the grid (headings, one row per record, the totals
// row), the unpaid-only box, and the button that prints or e-mails it. The model builds and
// delivers; the form only shows and forwards.

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolButton>

#include <functional>
#include <memory>
#include <string_view>

#include "common/print_canvas.h"
#include "common/prompter.h"
#include "statements/customer_statements.h"

namespace tf::statements::ui {

class TStment : public QDialog {
  Q_OBJECT

 public:
  TStment(CustomerStatements& model, common::Prompter& prompter, QWidget* parent = nullptr);

  // Shows the statement the model holds, modally.
  int exec() override;

  // --- platform actions, replaceable in tests ----------------------------------------------
  // The print dialog: the canvas on the chosen printer or file; nothing when cancelled.
  std::function<std::unique_ptr<common::PrintCanvas>()> Printer;
  std::function<void(std::string_view topic)> ShowHelp;

  // --- controls, by their names ------------------------------------------------------------
  QLabel* Label6;    // "Customer Number:"
  QLabel* CNoLabel;  // the number
  QLabel* Label1;    // the name
  QLabel* Label2;    // BillAddress1..4
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label5;
  QToolButton* PrinStButn;
  QCheckBox* CheckBox1;
  QToolButton* SpeedButton2;
  QToolButton* SpeedButton3;
  QTableWidget* SGrid;
  QStatusBar* CSBar;
  QLabel* CSBarPanel0;

  void CheckBox1Click();
  void PrinStButnClick();

 private:
  void ShowStatement();
  void FitColumns();

  CustomerStatements& model_;
  common::Prompter& prompter_;
};

}  // namespace tf::statements::ui
