#pragma once
// TEditDlg ("Edit Record"): the customer editor's widgets bound to the CustomerEditor model.
// Run() fills the widgets from the model, shows the dialog modally and returns true when
// "&Ok" saved the customer; a failed check or save is shown and the dialog stays open.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <functional>
#include <string_view>

#include "common/prompter.h"
#include "customers/customer_editor.h"

namespace tf::customers::ui {

class TEditDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TEditDlg(QWidget* parent = nullptr);

  bool Run(CustomerEditor& editor, common::Prompter& prompter);

  std::function<void(std::string_view topic)> ShowHelp;

  // The controls, by their names.
  QLineEdit* CNo;
  QLineEdit* CName;
  QComboBox* CTerms;
  QLineEdit* CustType;
  QLineEdit* CTE;
  QLineEdit* CLimit;
  QLineEdit* CAdd1Edit;
  QLineEdit* CAdd2Edit;
  QLineEdit* CAdd3Edit;
  QLineEdit* CAdd4Edit;
  QLineEdit* CShip1;
  QLineEdit* CShip2;
  QLineEdit* CShip3;
  QLineEdit* CShip4;
  QPlainTextEdit* CstNote;
  QLineEdit* CPhone1;
  QLineEdit* CPhone2;
  QLineEdit* ShortName;
  QLineEdit* MListCode;
  QLineEdit* EMadd;
  QCheckBox* CRHold;
  QCheckBox* NotesOnInv;
  QCheckBox* NotesOnStmnt;
  QCheckBox* CheckBox1;
  QLabel* CBal;
  QPushButton* Button1;
  QPushButton* Button2;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;

  void OKBtnClick();
  void CNameExit();

 private:
  QLineEdit* Bill(int k) const;
  QLineEdit* Ship(int k) const;
  void FillFromModel();
  void CollectIntoModel();
  QWidget* ControlOf(CustomerControl control);

  CustomerEditor* editor_ = nullptr;
  common::Prompter* prompter_ = nullptr;
  bool filling_ = false;
};

}  // namespace tf::customers::ui
