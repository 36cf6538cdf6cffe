#pragma once
// TPWDlg: the password dialog ("Password Required" unless the caller titles it otherwise). The
// edit is emptied and focused each time it shows; the typed text never leaves it but through
// Run's result.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>
#include <string_view>

#include "maintenance/passwords.h"

namespace tf::maintenance::ui {

class TPWDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TPWDlg(QWidget* parent = nullptr);

  // Shows the dialog modally under `title` with its help button shown or hidden; the result is
  // Cancel unless OK closed it.
  PasswordEntry Run(std::string_view title, bool showHelp);

  QLabel* Label1;
  QLineEdit* Password;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QPushButton* PWHelpButn;

  // Opens a help topic; the help window by default.
  std::function<void(std::string_view topic)> ShowHelp;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace tf::maintenance::ui
