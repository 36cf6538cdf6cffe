#pragma once
// TInvoice ("Product Invoice"): invoice entry, bound to the InvoiceEntry model, saving through
// InvoiceBooks. The form forwards what the user types to the model and shows the model's
// state; every rule lives in the model. Customers and products are picked through the
// managers' picker modes.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "common/date_text.h"
#include "common/prompter.h"
#include "common/record_buffer.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"
#include "invoicing/invoice_books.h"
#include "invoicing/invoice_entry.h"
#include "invoicing/work_timer.h"
#include "records/company_store.h"

namespace tf::invoicing::ui {

struct InvoiceFormServices {
  common::Prompter& prompter;
  const common::Clock& clock;
  records::CompanyBook& book;
  engine::RebuildStatus& status;
  correspondence::LabelQueue* labelQueue = nullptr;  // the run's, for new invoices' customers
};

class TInvoice : public QDialog {
  Q_OBJECT

 public:
  explicit TInvoice(InvoiceFormServices services, QWidget* parent = nullptr);
  ~TInvoice() override;

  // A new invoice: the dialog opens on the company's proposals; true when one was saved.
  bool AddInvoice();
  // The invoice of this number (its first record), after the refusals of an edit; true when
  // the changes were saved.
  bool EditInvoice(const std::string& number);

  // What the last save said ("Added invoice ..."), or why it failed.
  const std::string& LastStatus() const { return lastStatus_; }
  // Whether the work timer runs (it goes on while the dialog is closed).
  bool TimerRunning() const { return workTimer_.Running(); }
  InvoiceEntry* Entry() { return entry_.get(); }

  // --- the windows it opens, replaceable in tests ---------------------------------------------
  // The customer manager in picker mode (with the open invoice file).
  std::function<std::optional<common::RecordBuffer>(const std::string& name, const std::string& number,
                                                    engine::FileBlock* invoices)>
      PickCustomer;
  // The product manager in picker mode, on the row's code and description.
  std::function<std::optional<common::RecordBuffer>(std::string_view code, std::string_view description)>
      PickProduct;
  // The date selection dialog.
  std::function<std::optional<std::string>(std::chrono::year_month_day date, common::DateFormat format,
                                            QWidget* field)>
      ChooseDate;
  // Prints (or e-mails) a new invoice when "Print Invoice" is checked: the invoice documents'
  // output. Until they exist nothing is printed.
  std::function<void(const std::string& number)> PrintInvoice;
  std::function<void(std::string_view topic)> ShowHelp;

  // --- controls (their screen names) -----------------------------------------------------------
  QPushButton* BitBtn3;
  QLabel* ICustName;
  QLabel* ICustNo;
  QLabel* Sname;
  QLabel* CBal;
  QLabel* ICredLimit;
  QLabel* Acur;
  QLabel* A30;
  QLabel* A60;
  QLabel* A90;
  QLabel* Label21;
  QLabel* Label22;
  QLabel* Label23;
  QLabel* Label24;
  QLineEdit* INum;
  QLineEdit* IDate;
  QPushButton* Calbutton;
  QLabel* Label7;
  QLineEdit* INVNOTES;
  QLineEdit* KeyCode;
  QComboBox* ITerms;
  QLineEdit* IStmntNote;
  QLabel* IMode;
  QRadioButton* RadioButton1;
  QRadioButton* RadioButton2;
  QTableWidget* StringGrid1;
  QPlainTextEdit* Memo1;
  QLineEdit* MemoPDesc;
  QLineEdit* MemoQuan;
  QLineEdit* INet;
  QLineEdit* ITax;
  QLineEdit* IPaid;
  QLabel* ITotal;
  QLabel* BalDue;
  QLabel* TaxLbl;
  QCheckBox* CheckBox2;
  QCheckBox* PrintFlag;
  QPushButton* SpeedButton2;
  QPushButton* DeleteLine;
  QPushButton* UndoAll;
  QPushButton* MakeNote;
  QPushButton* TopButn;
  QPushButton* CnterButn;
  QPushButton* BottButn;
  QPushButton* ImportButn;
  QPushButton* ExportButn;
  QPushButton* TimeBtn;
  QTimer* Timer1;
  QLabel* StartTime;
  QLabel* ElapsedTime;
  QLabel* ToHours;
  QPushButton* OKButton;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
  QPushButton* InvClose;

 private:
  // The current company's books, and an entry model on them.
  bool OpenBooks();
  bool Run();
  void ShowModel();
  void ShowGrid();
  void ShowFocus();
  int CurrentRow() const;

  void BitBtn3Click();
  void CalbuttonClick();
  void StringGrid1Change(int row, int column);
  void StringGrid1DblClick(int row, int column);
  void SpeedButton2Click();
  void DeleteLineClick();
  void UndoAllClick();
  void MakeNoteClick();
  void CheckBox2Click();
  void RadioButtonClick();
  void OKButtonClick();
  void TimeBtnClick();
  void Timer1Timer();

  InvoiceFormServices services_;
  std::unique_ptr<InvoiceBooks> books_;
  std::unique_ptr<InvoiceEntry> entry_;
  std::string lastStatus_;
  WorkTimer workTimer_;  // runs on while the dialog is closed
  // The date of the last invoice added in this run, proposed for the next one (today at first).
  std::optional<std::chrono::year_month_day> lastInvoiceDate_;
  bool showing_ = false;  // the model is being shown: widget signals are not edits
  QLineEdit* typing_ = nullptr;
};

}  // namespace tf::invoicing::ui
