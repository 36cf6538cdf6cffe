#pragma once
// TBatchStWin: "Batch Print Statements", the second screen of a batch: the last batch run, how
// many statements the selection holds, and how many to print before each pause.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

#include "statements/customer_statements.h"

namespace tf::statements::ui {

class TBatchStWin : public QDialog {
  Q_OBJECT

 public:
  explicit TBatchStWin(QWidget* parent = nullptr);

  // Shows the screen for the batch `model` selected; the batch size on OK.
  std::optional<std::size_t> Run(CustomerStatements& model);

  std::function<void(std::string_view topic)> ShowHelp;

  QLabel* Label2;      // "Last Batch Run: ..."
  QLabel* Label1;      // "There are 12 statements to be printed."
  QLabel* StmntBatch;  // "Print in &batches of:"
  QLineEdit* EMBNum;
  QPushButton* OKButton;
  QPushButton* CanButn;
  QPushButton* HlpBtn;

  void OKButtonClick();

 private:
  CustomerStatements* model_ = nullptr;
  std::optional<std::size_t> size_;
};

}  // namespace tf::statements::ui
