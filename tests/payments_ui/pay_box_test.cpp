// The Payment Wizard driven by its control names from the main window's command: pick the
// customer, split an invoice into a partial payment, post it; then a deposit on account; an
// amount that is no amount keeping Post disabled; the records, balances and the books check
// after each post.

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

#include "common/clock.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/text_report_viewer.h"
#include "invoicing/books_check.h"
#include "payments/ui/payment_windows.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/record_file.h"
#include "tests/aging/planned_invoice.h"
#include "tests/invoicing/invoice_records.h"
#include "tests/support/company_file.h"
#include "tests/support/engine_work_folder.h"
#include "tests/support/status_sinks.h"

using namespace tf;
using namespace std::chrono;
using common::ReadText;
using common::RecordBuffer;
namespace co = records::company;
namespace cu = records::customer;
namespace inv = records::invoice;

namespace {

struct NoViewer : common::TextReportViewer {
  void ShowTextFile(const std::string&, std::string_view) override {}
};

}  // namespace

class TPayBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void aPartialPaymentThenADepositByControlNames();
  void anAmountThatIsNoAmountKeepsPostDisabled();

 private:
  // Runs `step` once the wizard shows; a failed step still closes it.
  void Soon(std::function<void()> step) {
    QTimer::singleShot(0, [this, step = std::move(step)] {
      step();
      if (box_->isVisible()) box_->reject();
    });
  }
  // Answers the amount dialog the next press opens with `amount`.
  void AnswerAmountDialog(const QString& caption, const QString& amount) {
    QTimer::singleShot(0, [this, caption, amount] {
      payments::ui::TPPmtDialog* d = box_->PPmtDialog;
      if (!d->isVisible()) return;
      dialogCaption_ = d->windowTitle();
      dialogLabel_ = d->Label1->text();
      if (d->windowTitle() != caption) return d->reject();
      d->PPAmt->selectAll();
      QTest::keyClicks(d->PPAmt, amount);
      Press(d->OKBtn);
    });
  }
  void Press(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
  void ClickRow(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
  }
  void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }
  QStringList Items(QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
  }
  RecordBuffer StoredCustomer() {
    engine::FileBlockGuard customers;
    common::ScriptedPrompter quiet;
    RecordBuffer c = cu::NewCustomerRecord();
    if (cu::OpenCustomerFile(customers.handle(), "1", quiet, status_)) cu::FindCustomerByNumber(customers.get(), "C1", c);
    return c;
  }
  std::vector<std::string> Kinds(const std::string& number) {
    engine::FileBlockGuard invoices;
    engine::OpenFileBlock(invoices.handle(), "1I", true);
    std::vector<std::string> kinds;
    if (const auto records = inv::ReadInvoiceRecords(invoices.get(), number))
      for (const inv::StoredRecord& r : *records)
        kinds.push_back(ReadText(r.record, inv::kRecordKind) + " " + ReadText(r.record, inv::kBalanceDue) + " " +
                        ReadText(r.record, inv::kPaidAmount));
    return kinds;
  }
  std::string BooksFindings() {
    engine::FileBlockGuard companies;
    engine::OpenFileBlock(companies.handle(), co::kCompanyFileBlock, true);
    RecordBuffer company(co::kCompanyRecordLength);
    engine::GetRecord(companies.get(), records::FindCompany(companies.get(), "1"), std::span<std::uint8_t>(company));
    companies.Close();
    std::string out;
    for (const std::string& f : invoicing::CheckBooks(company).findings) out += f + "\n";
    return out;
  }

  std::unique_ptr<test::EngineWorkFolder> folder_;
  common::ScriptedPrompter prompter_;
  common::FixedClock clock_{2024y / May / 15d};
  test::SilentStatus status_;
  NoViewer viewer_;
  std::unique_ptr<shell::ui::TMainForm> main_;
  payments::ui::TPayBox* box_ = nullptr;
  QString dialogCaption_, dialogLabel_;
};

void TPayBoxTest::init() {
  folder_ = std::make_unique<test::EngineWorkFolder>(engine::kMinPageBuffers);
  prompter_.Clear();
  RecordBuffer company = invoicing::testing::InvoicingCompany("0");
  common::WriteText(company, co::kCompanyBalance, "100.00");
  common::WriteText(company, co::kLastAgingDate, "05/15/2024");
  QVERIFY(test::MakeCompanyFile(company));

  common::ScriptedPrompter quiet{common::PromptAnswer::OK, common::PromptAnswer::OK};
  engine::FileBlockGuard customers;
  QVERIFY(cu::OpenCustomerFile(customers.handle(), "1", quiet, status_));
  std::int32_t ref = 0;
  QVERIFY(records::AddKeyedRecord(customers.get(), cu::CustomerFileKind(),
                                  invoicing::testing::InvoicingCustomer("C1", "Ann Smith", "ANN", "100.00"), ref, quiet));
  customers.Close();
  engine::FileBlockGuard invoices;
  QVERIFY(inv::OpenInvoiceFile(invoices.handle(), "1", quiet, status_));
  QVERIFY(inv::AddInvoice(invoices.get(), test::InvoiceRecord({"100", "C1", 2024y / May / 5d, "100.00"},
                                                               common::DateFormat::MonthFirst),
                          ref, quiet));
  invoices.Close();

  main_ = std::make_unique<shell::ui::TMainForm>(prompter_, clock_);
  std::copy(company.begin(), company.end(), main_->Book().Current().begin());
  QVERIFY(!main_->CommandAvailable(shell::CommandId::PaymentWizard));
  payments::ui::InstallPaymentWindows(*main_, shell::ui::WindowServices{prompter_, status_, viewer_, clock_});
  QVERIFY(main_->CommandAvailable(shell::CommandId::PaymentWizard));
  box_ = main_->findChild<payments::ui::TPayBox*>();
  QVERIFY(box_);
  box_->PickCustomer = [this](const std::string&, const std::string&, engine::FileBlock* invoices) {
    // The wizard keeps its invoice file open for the picker and lets go of the customer file.
    return invoices ? std::optional<RecordBuffer>(StoredCustomer()) : std::nullopt;
  };
}

void TPayBoxTest::cleanup() {
  main_.reset();
  folder_.reset();
}

void TPayBoxTest::aPartialPaymentThenADepositByControlNames() {
  bool checked = false;
  Soon([&] {
    QCOMPARE(box_->windowTitle(), QString("Payment Wizard - Acme Books"));
    QVERIFY(!box_->OKBtn->isEnabled());
    QVERIFY(!box_->PPmtBtn->isEnabled());
    QVERIFY(!box_->AccountDep->isEnabled());
    QCOMPARE(box_->PAmt->text(), QString("0.00"));
    QCOMPARE(box_->PmtDate->text(), QString("05/15/2024"));
    Press(box_->BitBtn3);
    QCOMPARE(box_->PCustName->text(), QString("Ann Smith"));
    QCOMPARE(box_->PCustBal->text(), QString("100.00"));
    QCOMPARE(Items(box_->SrcList), QStringList{"100       05/05/24       100.00"});
    ClickRow(box_->SrcList, 0);
    QVERIFY(box_->PPmtBtn->isEnabled());
    AnswerAmountDialog("Partial Payment", "40");
    Press(box_->PPmtBtn);
    QCOMPARE(dialogLabel_, QString("Invoice: 100   Date: 05/05/24"));
    QCOMPARE(Items(box_->DstList), QStringList{"100       05/05/24        40.00P"});
    QCOMPARE(Items(box_->SrcList), QStringList{"100       05/05/24        60.00"});
    QCOMPARE(box_->IPostedAmt->text(), QString("40.00"));
    QVERIFY(!box_->OKBtn->isEnabled());
    Type(box_->PAmt, "40");
    QTest::keyClicks(box_->PNotes, "Check 501");
    QVERIFY(box_->OKBtn->isEnabled());
    checked = true;
    Press(box_->OKBtn);
    // Posted: the wizard closed, so its Post cannot be pressed a second time.
    QVERIFY(!box_->isVisible());
  });
  main_->RunCommand(shell::CommandId::PaymentWizard, true);
  QVERIFY(checked);
  QCOMPARE(Kinds("100"), (std::vector<std::string>{"Z 60.00 0.00", "X 0.00 40.00"}));
  QCOMPARE(ReadText(StoredCustomer(), cu::kBalance), std::string("60.00"));
  QCOMPARE(ReadText(StoredCustomer(), cu::kLastPaymentDate), std::string("05/15/2024"));
  QCOMPARE(ReadText(main_->Book().Current(), co::kCompanyBalance), std::string("60.00"));
  QCOMPARE(BooksFindings(), std::string());

  // A deposit on account the next time.
  checked = false;
  Soon([&] {
    Press(box_->BitBtn3);
    QCOMPARE(Items(box_->SrcList), QStringList{"100       05/05/24        60.00P"});
    QVERIFY(box_->AccountDep->isEnabled());
    AnswerAmountDialog("Deposit on Account", "25");
    Press(box_->AccountDep);
    QCOMPARE(dialogLabel_, QString("Invoice: DEPOSIT     Date: 05/15/2024"));
    QCOMPARE(Items(box_->DstList), QStringList{"DEPOSIT   05/15/24        25.00"});
    Type(box_->PAmt, "25");
    QVERIFY(box_->OKBtn->isEnabled());
    checked = true;
    Press(box_->OKBtn);
  });
  main_->RunCommand(shell::CommandId::PaymentWizard, false);
  QVERIFY(checked);
  // Two records on file: the deposit is DP3.
  QCOMPARE(Kinds("DP3"), (std::vector<std::string>{"D -25.00 25.00"}));
  QCOMPARE(ReadText(StoredCustomer(), cu::kBalance), std::string("35.00"));
  QCOMPARE(ReadText(StoredCustomer(), cu::kAgingAmount1), std::string("35.00"));
  QCOMPARE(BooksFindings(), std::string());
  QVERIFY(prompter_.Shown().empty());
}

void TPayBoxTest::anAmountThatIsNoAmountKeepsPostDisabled() {
  bool checked = false;
  Soon([&] {
    Press(box_->BitBtn3);
    Press(box_->IncAllBtn);
    QCOMPARE(box_->IPostedAmt->text(), QString("100.00"));
    QVERIFY(!box_->PPmtBtn->isEnabled());
    Type(box_->PAmt, "100.0.0");
    QVERIFY(!box_->OKBtn->isEnabled());
    QCOMPARE(prompter_.Texts().back(), std::string("The payment amount must be a numeric value."));
    Type(box_->PAmt, "-100");
    QVERIFY(!box_->OKBtn->isEnabled());
    QCOMPARE(prompter_.Shown().back().caption, std::string("Paid Amount"));
    Type(box_->PAmt, "100.00");
    QVERIFY(box_->OKBtn->isEnabled());
    Press(box_->ExAllBtn);
    QVERIFY(!box_->OKBtn->isEnabled());
    QVERIFY(box_->PPmtBtn->isEnabled());
    checked = true;
    Press(box_->CancelBtn);
  });
  main_->RunCommand(shell::CommandId::PaymentWizard, true);
  QVERIFY(checked);
  QCOMPARE(Kinds("100"), (std::vector<std::string>{"I 100.00 0.00"}));
  QCOMPARE(ReadText(StoredCustomer(), cu::kBalance), std::string("100.00"));
}

QTEST_MAIN(TPayBoxTest)
#include "pay_box_test.moc"
