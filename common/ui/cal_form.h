#pragma once
// The date selection dialog: a month calendar with month and year boxes, the long date line
// and the date in the company's format. A double-click on a day or "&Ok" accepts.

#include <QCalendarWidget>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/date_text.h"
#include "common/ui/cal_model.h"

namespace tf::common::ui {

class TCalForm : public QDialog {
  Q_OBJECT

 public:
  explicit TCalForm(QWidget* parent = nullptr);

  // Shows the dialog modally on `date`, next to `dateField` when given, and returns the
  // accepted date in `format`; nothing when the user abandons it.
  std::optional<std::string> Choose(std::chrono::year_month_day date, DateFormat format,
                                    QWidget* dateField = nullptr);
  // Fills the controls for `date` without showing the dialog (Choose does this first).
  void Open(std::chrono::year_month_day date, DateFormat format);
  // The caption; empty restores "Date Selection".
  void SetTitle(std::string_view title);

  const CalModel& Model() const { return model_; }
  // The accepted date text (valid after the dialog closed with Accepted).
  std::string DateText() const { return model_.DateText(); }

  // Opens a help topic; the help window by default, a recorder in tests.
  std::function<void(std::string_view topic)> OnHelp;

  QCalendarWidget* Calendar1;
  QComboBox* CBMonth;
  QComboBox* CBYear;
  QLabel* StrDay;
  QLabel* NDate;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;

 private:
  void CBMonthChange(int index);
  void CBYearChange();
  void Calendar1Click();
  void Calendar1PageChange(int year, int month);
  void Calendar1DblClick();
  void HelpBtnClick();
  void Refresh();

  CalModel model_;
  bool refreshing_ = false;
};

}  // namespace tf::common::ui
