#pragma once
// TFindBox ("Find..."): the find window every manager shares. Shown in one mode at a time
// (customers, products, invoices, companies); Run() returns the result text of the row the
// user double-clicked, or nothing when the window was left with "&Exit".

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/prompter.h"
#include "finder/find_model.h"

namespace tf::finder::ui {

class TFindBox : public QDialog {
  Q_OBJECT

 public:
  explicit TFindBox(common::Prompter& prompter, QWidget* parent = nullptr);
  ~TFindBox() override;

  std::optional<std::string> Run(const FindMode& mode);

  std::function<void(std::string_view topic)> ShowHelp;
  std::function<void()> Beep;

  FindModel* Model() { return model_.get(); }

  // The controls, by their names.
  QLineEdit* FindText;
  QPushButton* FindButton;
  QTreeWidget* ListView1;
  QPushButton* Button1;
  QPushButton* HelpButn;
  QStatusBar* StatusBar1;

  void FindButtonClick();
  void ListView1DblClick();

 private:
  void ShowRows();

  common::Prompter& prompter_;
  std::unique_ptr<FindModel> model_;
  std::optional<std::string> chosen_;
};

}  // namespace tf::finder::ui
