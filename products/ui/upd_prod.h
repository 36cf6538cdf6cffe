#pragma once
// TUpdProd: the "Add Product" / "Edit Product" dialog. It shows a ProductEditor's fields and
// hands OK to the editor (its checks, then the manager's save); the dialog closes only when
// they pass, and shows the failure otherwise.

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

#include <functional>
#include <string_view>

#include "common/prompter.h"
#include "products/product_editor.h"

namespace tf::products::ui {

class TUpdProd : public QDialog {
  Q_OBJECT

 public:
  explicit TUpdProd(QWidget* parent = nullptr);

  // Shows the editor's fields modally; true when closed with OK (the editor then holds what
  // was saved, with the price as the checks left it). Failures are shown through `prompter`.
  bool Run(ProductEditor& editor, common::Prompter& prompter);

  QLineEdit* PNum;
  QLineEdit* PSell;
  QCheckBox* CheckBox1;
  QLineEdit* PDesc;
  QPlainTextEdit* PNote;
  QStatusBar* StatusBar1;
  QLabel* SetupPanel;
  QLabel* ChangedPanel;
  QPushButton* OkBtn;
  QPushButton* Button1;
  QPushButton* Button2;

  // Opens a help topic; the help window by default.
  std::function<void(std::string_view topic)> ShowHelp;

 private:
  void OKBtnClick();
  void Load(const ProductEditor& editor);
  void Store(ProductEditor& editor) const;

  ProductEditor* editor_ = nullptr;
  common::Prompter* prompter_ = nullptr;
};

}  // namespace tf::products::ui
