#pragma once
// TPayBox ("Payment Wizard - " + the company name): money received from a customer applied to
// its open items, bound to the PaymentWizard model and posting through PaymentBooks. The form
// forwards what the user does to the model and shows the model's state; every rule lives in the
// model. The customer is picked through the Customer Manager's picker mode, the date through the
// date selection dialog, amounts to split or deposit through TPPmtDialog.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

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
#include "payments/payment_books.h"
#include "payments/payment_wizard.h"
#include "payments/ui/p_pmt_dialog.h"
#include "records/company_store.h"

namespace tf::payments::ui {

struct PayBoxServices {
  common::Prompter& prompter;
  const common::Clock& clock;
  records::CompanyBook& book;
  engine::RebuildStatus& status;
};

class TPayBox : public QDialog {
  Q_OBJECT

 public:
  explicit TPayBox(PayBoxServices services, QWidget* parent = nullptr);
  ~TPayBox() override;

  // Opens the current company's books, shows the wizard modally and closes the books; true
  // when a payment was posted.
  bool Run();

  PaymentWizard* Wizard() { return wizard_.get(); }

  // --- the windows it opens, replaceable in tests -----------------------------------------------
  // The customer manager in picker mode (with the open invoice file).
  std::function<std::optional<common::RecordBuffer>(const std::string& name, const std::string& number,
                                                    engine::FileBlock* invoices)>
      PickCustomer;
  // The date selection dialog.
  std::function<std::optional<std::string>(std::chrono::year_month_day date, common::DateFormat format,
                                            QWidget* field)>
      ChooseDate;
  std::function<void(std::string_view topic)> ShowHelp;

  // --- controls (their screen names) -------------------------------------------------------------
  QPushButton* BitBtn3;
  QLabel* PCustName;
  QLabel* PCustNum;
  QLabel* Sname;
  QLabel* PCustPhone;
  QLabel* PCustBal;
  QLineEdit* PmtDate;
  QPushButton* Calbutton;
  QLineEdit* PAmt;
  QLineEdit* PNotes;
  QLabel* IPostedAmt;
  QLabel* Label16;
  QListWidget* SrcList;
  QListWidget* DstList;
  QPushButton* IncludeBtn;
  QPushButton* IncAllBtn;
  QPushButton* ExcludeBtn;
  QPushButton* ExAllBtn;
  QPushButton* PPmtBtn;
  QPushButton* AccountDep;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;
  TPPmtDialog* PPmtDialog;

 private:
  void ShowModel();
  void ShowFocus();
  static void ShowList(QListWidget* list, const std::vector<std::string>& texts, std::optional<std::size_t> current);
  static std::vector<std::size_t> Selected(const QListWidget* list);
  std::optional<std::size_t> CurrentLeft() const;

  void BitBtn3Click();
  void CalbuttonClick();
  void PAmtChange(const QString& text);
  void SrcListClick();
  void IncludeBtnClick();
  void IncAllBtnClick();
  void ExcludeBtnClick();
  void ExAllBtnClick();
  void PPmtBtnClick();
  void AccountDepClick();
  void OKBtnClick();

  PayBoxServices services_;
  std::unique_ptr<PaymentBooks> books_;
  std::unique_ptr<PaymentWizard> wizard_;
  bool showing_ = false;  // the model is being shown: widget signals are not edits
};

}  // namespace tf::payments::ui
