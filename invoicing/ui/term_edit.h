#pragma once
// TTermEdit ("Edit Payment Terms"): the payment terms list and its editing box, bound to
// TermEditModel. "&Close" writes the terms file; closing the window otherwise does not.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <functional>
#include <string_view>

#include "common/prompter.h"
#include "invoicing/term_edit_model.h"

namespace tf::invoicing::ui {

class TTermEdit : public QDialog {
  Q_OBJECT

 public:
  explicit TTermEdit(common::Prompter& prompter, QWidget* parent = nullptr);

  // FormShow (the list read from the terms file), then the modal loop.
  int exec() override;

  TermEditModel& Model() { return model_; }
  std::function<void(std::string_view topic)> ShowHelp;

  QListWidget* ListBox1;
  QLineEdit* Edit1;
  QLabel* Label1;
  QPushButton* Button3;
  QPushButton* Button1;
  QPushButton* Button2;
  QPushButton* Button4;
  QPushButton* OKBtn;
  QPushButton* HelpButn;

 private:
  void ShowModel();
  void Button4Click();

  common::Prompter& prompter_;
  TermEditModel model_;
  bool showing_ = false;  // the list is being refilled from the model
};

}  // namespace tf::invoicing::ui
