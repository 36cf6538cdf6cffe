#pragma once
// The Report Wizard: the selection screen TRptSelect (report, date preset, From and To) and the
// result screen Trtreport (the grid with sorting, sub-totals, fonts, printing and saving). The
// rules live in reports/ (presets, range checks, builders, sorting and totals, the saved and
// printed layouts); these forms show them.

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "common/clock.h"
#include "common/date_text.h"
#include "common/print_canvas.h"
#include "common/prompter.h"
#include "engine/rebuilding/rebuild_status.h"
#include "reports/report_grid.h"

namespace tf::reports::ui {

// The grid's rows: the report's records and total rows under the column headings.
class ReportTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;
  void SetReport(const Report* report);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const Report* report_ = nullptr;
};

class Trtreport : public QDialog {
  Q_OBJECT

 public:
  explicit Trtreport(common::Prompter& prompter, QWidget* parent = nullptr);

  // Sorts on column 0 with the sub-totals as the box says and shows the report modally.
  void ShowReport(Report report, std::span<const std::uint8_t> company);
  // The same without showing (the wizard's tests drive the screen while it is not modal).
  void Load(Report report, std::span<const std::uint8_t> company);
  // Shows the loaded report modally, maximised.
  void ShowLoaded();
  const Report& Current() const { return report_; }

  // Sorting as the screen does on a double-click in a column; false (with a beep) when the
  // column may not be sorted on.
  bool SortOn(int column);
  // Writes the saved text; false, said, when the file cannot be written.
  bool SaveTo(const QString& path);
  // Prints on the canvas; false, said ("Printing failed."), when the job fails.
  bool PrintOn(common::PrintCanvas& canvas);

  // Platform choices, replaceable in tests.
  std::function<std::unique_ptr<common::PrintCanvas>()> ChoosePrinter;
  std::function<QString(const QString& proposed)> ChooseSaveFile;
  std::function<void(std::string_view topic)> ShowHelp;

  QToolButton* InvPrint;
  QToolButton* SpeedButton1;
  QToolButton* PSetButn;
  QToolButton* SaveButn;
  QToolButton* ExitButn;
  QToolButton* HelpButn;
  QLabel* Head1;
  QLabel* Head2;
  QLabel* Head3;
  QCheckBox* stotals;
  QComboBox* SortCol;
  QTableView* RptGrid;

 private:
  void Arrange(std::size_t column);
  void Refresh();
  void FitRows();
  void FitColumns();
  void InvPrintClick();
  void SpeedButton1Click();
  void SaveButnClick();
  void stotalsClick();
  void SortColChange();
  void RptGridDblClick(const QModelIndex& index);

  common::Prompter& prompter_;
  Report report_;
  std::vector<std::uint8_t> company_;
  ReportTableModel* model_;
  bool filling_ = false;
};

class TRptSelect : public QDialog {
  Q_OBJECT

 public:
  struct Services {
    common::Prompter& prompter;
    const common::Clock& clock;
    engine::RebuildStatus& status;
    // The current company record, read when the screen shows and when a report is built.
    std::function<std::span<const std::uint8_t>()> company;
  };
  TRptSelect(Services services, Trtreport& result, QWidget* parent = nullptr);

  // The date dialog of the calendar buttons; nothing when abandoned.
  std::function<std::optional<std::string>(std::chrono::year_month_day, common::DateFormat, const std::string& title,
                                           QWidget* field)>
      ChooseDate;
  std::function<void(std::string_view topic)> ShowHelp;

  // What FormShow does: the label of the date format, "Month to Date" applied, the first
  // report selected (the last choices are kept from the second showing on).
  void FormShow();
  // View: checks the dates and runs the report; true when the result screen was shown.
  bool Button1Click();

  QListWidget* ListBox1;
  QLabel* RType;
  QLabel* Label3;
  QLabel* Label1;
  QLabel* Label2;
  QComboBox* ComboBox1;
  QLineEdit* IDate;
  QLineEdit* EndDt;
  QToolButton* Cal1But;
  QToolButton* Cal2But;
  QPushButton* Button1;
  QPushButton* CancelBut;
  QPushButton* HelpBut;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  ReportKind Selected() const;
  common::DateFormat Format() const;
  void ListBox1Click();
  void ComboBox1Change();
  void CalClick(QLineEdit* field, const std::string& title);
  void ShowCustomDates();

  Services services_;
  Trtreport& result_;
  bool shownBefore_ = false;
};

}  // namespace tf::reports::ui
