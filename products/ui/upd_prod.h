#pragma once
// TUpdProd: the "Add Product" / "Edit Product" dialog. It shows a ProductEditor's fields and
// hands OK to the editor's checks; the dialog closes only when they pass.

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

#include <functional>
#include <string_view>

#include "products/product_editor.h"

namespace tf::products::ui {

class TUpdProd : public QDialog {
  Q_OBJECT

 public:
  explicit TUpdProd(QWidget* parent = nullptr);

  // Shows the editor's fields modally; true when closed with OK (the editor then holds what
  // was typed, with the price as the checks left it).
  bool Run(ProductEditor& editor);

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
  void PNoteChange();
  void Load(const ProductEditor& editor);
  void Store(ProductEditor& editor) const;

  ProductEditor* editor_ = nullptr;
};

}  // namespace tf::products::ui
