// The billing windows driven by their control names: the Interest Wizard from the main window
// (scan, a changed age option, the flat fee's checks, generation and the books after it), the
// Repeat Billing Wizard (search, create, a second search that finds nothing) and the Repeat
// Invoice Setup on an invoice (the generate box, the checks of OK, the conversion), installed
// into the Invoice Manager's named call.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

#include "billing/repeat_setup.h"
#include "billing/ui/billing_windows.h"
#include "billing/ui/interest_wiz.h"
#include "billing/ui/repeat_form.h"
#include "billing/ui/select_repeat.h"
#include "common/clock.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/text_report_viewer.h"
#include "invoicing/books_check.h"
#include "invoicing/ui/inv_list.h"
#include "invoicing/ui/invoicing_windows.h"
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

constexpr year_month_day kToday = 2024y / May / 15d;

}  // namespace

class BillingWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void theInterestWizardScansAndGeneratesByControlNames();
  void theRepeatBillingWizardSearchesAndCreatesByControlNames();
  void theRepeatInvoiceSetupTurnsAnInvoiceIntoAMasterByControlNames();

 private:
  // Runs `step` once the modal window shows; a failed step still closes it.
  void Soon(QDialog* dialog, std::function<void()> step) {
    QTimer::singleShot(0, [dialog, step = std::move(step)] {
      step();
      if (dialog->isVisible()) dialog->reject();
    });
  }
  // Near the left edge: a check box or radio button stretched over a row reacts only on its box
  // and caption.
  void Press(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2)); }
  void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }
  QStringList Row(QTableWidget* grid, int row) {
    QStringList cells;
    for (int c = 0; c < grid->columnCount(); ++c) cells << (grid->item(row, c) ? grid->item(row, c)->text() : "");
    return cells;
  }
  void AddCustomer(const std::string& number, const std::string& name, const std::string& balance, int category) {
    common::ScriptedPrompter quiet{common::PromptAnswer::OK};
    engine::FileBlockGuard customers;
    QVERIFY(cu::OpenCustomerFile(customers.handle(), "1", quiet, status_));
    RecordBuffer c = invoicing::testing::InvoicingCustomer(number, name, name.substr(0, 5), balance);
    for (int k = 0; k < 4; ++k) common::WriteText(c, cu::kAgingAmount[k], k == category ? balance : "0.00");
    std::int32_t ref = 0;
    QVERIFY(records::AddKeyedRecord(customers.get(), cu::CustomerFileKind(), c, ref, quiet));
  }
  std::int32_t AddInvoice(const RecordBuffer& r) {
    common::ScriptedPrompter quiet{common::PromptAnswer::OK};
    engine::FileBlockGuard invoices;
    std::int32_t ref = 0;
    if (!inv::OpenInvoiceFile(invoices.handle(), "1", quiet, status_) || !inv::AddInvoice(invoices.get(), r, ref, quiet))
      return 0;
    return ref;
  }
  std::size_t Records(const std::string& number) {
    engine::FileBlockGuard invoices;
    engine::OpenFileBlock(invoices.handle(), "1I", true);
    const auto found = inv::ReadInvoiceRecords(invoices.get(), number);
    return found ? found->size() : 0;
  }
  RecordBuffer Stored(const std::string& number) {
    engine::FileBlockGuard invoices;
    engine::OpenFileBlock(invoices.handle(), "1I", true);
    const auto found = inv::ReadInvoiceRecords(invoices.get(), number);
    return found && !found->empty() ? found->front().record : RecordBuffer(inv::kInvoiceRecordLength);
  }
  RecordBuffer CompanyOnFile() {
    engine::FileBlockGuard companies;
    engine::OpenFileBlock(companies.handle(), co::kCompanyFileBlock, true);
    RecordBuffer company(co::kCompanyRecordLength);
    engine::GetRecord(companies.get(), records::FindCompany(companies.get(), "1"), std::span<std::uint8_t>(company));
    return company;
  }
  std::string BooksFindings() {
    std::string out;
    for (const std::string& f : invoicing::CheckBooks(CompanyOnFile()).findings) out += f + "\n";
    return out;
  }

  std::unique_ptr<test::EngineWorkFolder> folder_;
  common::ScriptedPrompter prompter_;
  common::FixedClock clock_{kToday};
  test::SilentStatus status_;
  NoViewer viewer_;
  std::unique_ptr<shell::ui::TMainForm> main_;
};

void BillingWindowsTest::init() {
  folder_ = std::make_unique<test::EngineWorkFolder>(engine::kMinPageBuffers);
  prompter_.Clear();
  RecordBuffer company = invoicing::testing::InvoicingCompany("0");
  common::WriteText(company, co::kCompanyBalance, "900.00");
  common::WriteText(company, co::kNextInvoiceNumber, "101");
  common::WriteText(company, co::kLastAgingDate, "05/15/2024");
  QVERIFY(test::MakeCompanyFile(company));
  // C1 owes 300.00 45 days old, C2 600.00 75 days old.
  AddCustomer("C1", "Ann Smith", "300.00", 1);
  AddCustomer("C2", "Bob Jones", "600.00", 2);
  QVERIFY(AddInvoice(test::InvoiceRecord({"90", "C1", 2024y / March / 31d, "300.00"}, common::DateFormat::MonthFirst)));
  QVERIFY(AddInvoice(test::InvoiceRecord({"91", "C2", 2024y / March / 1d, "600.00"}, common::DateFormat::MonthFirst)));
  QCOMPARE(QString::fromStdString(BooksFindings()), QString());

  main_ = std::make_unique<shell::ui::TMainForm>(prompter_, clock_);
  std::copy(company.begin(), company.end(), main_->Book().Current().begin());
  const shell::ui::WindowServices services{prompter_, status_, viewer_, clock_};
  invoicing::ui::InstallInvoicingWindows(*main_, services);
  QVERIFY(!main_->CommandAvailable(shell::CommandId::InterestWizard));
  QVERIFY(!main_->CommandAvailable(shell::CommandId::RepeatBillingWizard));
  billing::ui::InstallBillingWindows(*main_, services);
  QVERIFY(main_->CommandAvailable(shell::CommandId::InterestWizard));
  QVERIFY(main_->CommandAvailable(shell::CommandId::RepeatBillingWizard));
  auto* manager = main_->findChild<invoicing::ui::Tinvlist*>();
  QVERIFY(manager && manager->SetUpRepeatBilling);
}

void BillingWindowsTest::cleanup() {
  main_.reset();
  folder_.reset();
}

void BillingWindowsTest::theInterestWizardScansAndGeneratesByControlNames() {
  auto* wiz = main_->findChild<billing::ui::TInterestWiz*>();
  QVERIFY(wiz);
  wiz->LoadTerms = [] { return std::vector<std::string>{"Net 30 Days", "Due on receipt"}; };
  prompter_.Answer(common::PromptAnswer::No);  // no report
  bool checked = false;
  Soon(wiz, [&] {
    QCOMPARE(wiz->windowTitle(), QString("Interest Wizard"));
    QCOMPARE(wiz->days30->text(), QString("Over 30 Days"));
    QCOMPARE(wiz->days90->text(), QString("Over 90 Days"));
    QVERIFY(wiz->days30->isChecked());
    QCOMPARE(wiz->IPct->text(), QString("1.50"));
    QCOMPARE(wiz->MinChg->text(), QString(".10"));
    QCOMPARE(wiz->IDate->text(), QString("05/15/2024"));
    QCOMPARE(wiz->InvComm->text(), QString("Interest Charges"));
    QCOMPARE(wiz->Label3->text(), QString("Enter above options then select scan button..."));
    QCOMPARE(wiz->LastRun->text(), QString("Last Interest Invoices: "));
    QVERIFY(wiz->Button1->isEnabled());
    QVERIFY(!wiz->GenInv->isEnabled());
    QVERIFY(!wiz->FlatRate->isEnabled());

    Press(wiz->Button1);
    QCOMPARE(wiz->CustGrid->rowCount(), 3);
    QCOMPARE(Row(wiz->CustGrid, 0), (QStringList{"Ann Smith", "C1", "300.00", "4.50"}));
    QCOMPARE(Row(wiz->CustGrid, 1), (QStringList{"Bob Jones", "C2", "600.00", "9.00"}));
    QCOMPARE(Row(wiz->CustGrid, 2), (QStringList{"", "Totals:", "900.00", "13.50"}));
    QCOMPARE(wiz->Label3->text(), QString("2 found. Complete data below then select generate button..."));
    QVERIFY(!wiz->Button1->isEnabled());
    QVERIFY(wiz->GenInv->isEnabled());

    // Over 60 days leaves Ann out; the heading follows the option.
    Press(wiz->days60);
    QVERIFY(wiz->Button1->isEnabled());
    Press(wiz->Button1);
    QCOMPARE(wiz->CustGrid->horizontalHeaderItem(2)->text(), QString("Over 60 Days"));
    QCOMPARE(wiz->CustGrid->rowCount(), 2);

    // The flat fee: typed as it is checked, then back to the rate.
    Press(wiz->FlatCB);
    QVERIFY(wiz->FlatRate->isEnabled());
    QVERIFY(!wiz->IPct->isEnabled());
    QTest::keyClicks(wiz->FlatRate, "-");
    QCOMPARE(QString::fromStdString(prompter_.Texts().back()),
             QString("You should not enter a negative number in the flat rate box."));
    Type(wiz->FlatRate, "");
    Press(wiz->FlatCB);
    QVERIFY(wiz->IPct->isEnabled());

    Press(wiz->days30);
    Type(wiz->IPct, "2");
    Press(wiz->Button1);
    QCOMPARE(Row(wiz->CustGrid, 2), (QStringList{"", "Totals:", "900.00", "18.00"}));
    wiz->ITerms->setCurrentText("Due on receipt");
    checked = true;
    Press(wiz->GenInv);
  });
  wiz->Run();
  QVERIFY(checked);
  QVERIFY(!wiz->isVisible());
  QCOMPARE(QString::fromStdString(prompter_.Texts().back()),
           QString("2 invoices were created. Would you like to send a report to the printer?"));
  QCOMPARE(Records("101I"), std::size_t(1));
  QCOMPARE(Records("102I"), std::size_t(1));
  QCOMPARE(QString::fromStdString(ReadText(Stored("102I"), inv::kTotalAmount)), QString("12.00"));
  QCOMPARE(QString::fromStdString(ReadText(Stored("101I"), inv::kTerms)), QString("Due on receipt"));
  QCOMPARE(QString::fromStdString(ReadText(main_->Book().Current(), co::kNextInvoiceNumber)), QString("103"));
  QCOMPARE(QString::fromStdString(ReadText(CompanyOnFile(), co::kInterestPercent)), QString("2"));
  QCOMPARE(QString::fromStdString(BooksFindings()), QString());

  // A second run this month asks first; No creates nothing.
  prompter_.Clear();
  prompter_.Answer(common::PromptAnswer::No);
  Soon(wiz, [&] {
    QCOMPARE(wiz->IPct->text(), QString("2"));
    QCOMPARE(wiz->LastRun->text(), QString("Last Interest Invoices: 05/15/2024"));
    Press(wiz->Button1);
    Press(wiz->GenInv);
    QVERIFY(wiz->isVisible());
  });
  wiz->Run();
  QVERIFY(prompter_.Texts().at(0).starts_with("Interest invoices dated 05/15/2024 were already created for this month."));
  QCOMPARE(Records("103I"), std::size_t(0));
}

void BillingWindowsTest::theRepeatBillingWizardSearchesAndCreatesByControlNames() {
  RecordBuffer master = test::InvoiceRecord({"1001", "C1", 2024y / January / 2d, "100.00", "0.00", "R"},
                                            common::DateFormat::MonthFirst);
  common::WriteText(master, inv::kBalanceDue, "0.00");
  common::WriteText(master, inv::kRepeatUnit, "M");
  common::WriteText(master, inv::kRepeatInterval, "1");
  common::WriteText(master, inv::kRepeatCount, "0");
  common::WriteText(master, inv::kNextDueDate, "05/15/2024");
  QVERIFY(AddInvoice(master));
  auto* wiz = main_->findChild<billing::ui::TSelectRepeat*>();
  QVERIFY(wiz);
  bool checked = false;
  Soon(wiz, [&] {
    QCOMPARE(wiz->windowTitle(), QString("Repeat Billing Wizard"));
    QCOMPARE(wiz->EndDate->text(), QString("05/15/2024"));
    QCOMPARE(wiz->InvComm->text(), QString("Monthly Service"));
    QCOMPARE(wiz->Label3->text(), QString("Last generated invoices were dated: "));
    QVERIFY(!wiz->CreateBtn->isEnabled());
    // Through yesterday: the master due today is not listed.
    Type(wiz->EndDate, "05/14/2024");
    Press(wiz->SearchBtn);
    QCOMPARE(QString::fromStdString(prompter_.Texts().back()),
             QString("There are no repeat billings due through the date you selected."));
    QVERIFY(!wiz->CreateBtn->isEnabled());
    Type(wiz->EndDate, "05/15/2024");
    Press(wiz->SearchBtn);
    QCOMPARE(wiz->RichEdit1->toPlainText(), QString("1001      C1               100.00 05/15/2024 C1            0"));
    QCOMPARE(wiz->Label3->text(), QString("There are 1 invoices selected totaling 100.00."));
    QVERIFY(wiz->CreateBtn->isEnabled());
    Type(wiz->InvComm, "May service");
    checked = true;
    Press(wiz->CreateBtn);
  });
  wiz->Run();
  QVERIFY(checked);
  QCOMPARE(QString::fromStdString(prompter_.Texts().back()),
           QString("1 invoices were generated. 1 Monthly Setups and 0 Daily Setups."));
  QCOMPARE(QString::fromStdString(ReadText(Stored("1001G1"), inv::kNotes)), QString("May service"));
  QCOMPARE(QString::fromStdString(ReadText(Stored("1001"), inv::kNextDueDate)), QString("06/15/2024"));
  QCOMPARE(QString::fromStdString(ReadText(main_->Book().Current(), co::kCompanyBalance)), QString("1000.00"));
  QCOMPARE(QString::fromStdString(BooksFindings()), QString());

  // Nothing is due any more: the second run finds nothing and creates nothing.
  Soon(wiz, [&] {
    QCOMPARE(wiz->Label3->text(), QString("Last generated invoices were dated: 05/15/2024"));
    Press(wiz->SearchBtn);
    QVERIFY(!wiz->CreateBtn->isEnabled());
  });
  wiz->Run();
  QCOMPARE(Records("1001G2"), std::size_t(0));
}

void BillingWindowsTest::theRepeatInvoiceSetupTurnsAnInvoiceIntoAMasterByControlNames() {
  // C1's 300.00 invoice becomes a master.
  auto* manager = main_->findChild<invoicing::ui::Tinvlist*>();
  auto* form = manager->findChild<billing::ui::TRepeatForm*>();
  QVERIFY(form);
  common::ScriptedPrompter quiet;
  engine::FileBlockGuard invoices, lines;
  QVERIFY(inv::OpenInvoiceFile(invoices.handle(), "1", quiet, status_));
  QVERIFY(inv::OpenLineFile(lines.handle(), "1", quiet, status_));
  std::int32_t ref = 0;
  QVERIFY(inv::FindInvoice(invoices.get(), "90", ref, quiet));
  RecordBuffer record(inv::kInvoiceRecordLength);
  engine::GetRecord(invoices.get(), ref, std::span<std::uint8_t>(record));
  const invoicing::RepeatSetupRequest request{invoices.get(), lines.get(), ref, record};
  bool checked = false;
  Soon(form, [&] {
    QCOMPARE(form->windowTitle(), QString("Repeat Invoice Setup"));
    QCOMPARE(form->Label1->text(), QString("Invoice Number: 90"));
    QCOMPARE(form->Label2->text(), QString("03/31/2024"));
    QCOMPARE(form->Label3->text(), QString("Short Name: C1      Customer#: C1"));
    QCOMPARE(form->EndDate->text(), QString("03/31/2024"));
    QVERIFY(form->RBMonths->isChecked());
    QVERIFY(form->Panel2->isVisible());
    QVERIFY(!form->CheckBox1->isChecked());
    QVERIFY(!form->NumDays->isEnabled());
    QVERIFY(!form->OKButton->isEnabled());
    Press(form->CheckBox1);
    QVERIFY(form->NumDays->isEnabled());
    QVERIFY(form->OKButton->isEnabled());
    Type(form->NumDays, "0");
    Press(form->OKButton);
    QCOMPARE(QString::fromStdString(prompter_.Texts().back()),
             QString("You must enter the number of days/months in order to generate invoices."));
    QVERIFY(form->isVisible());
    Type(form->NumDays, "14");
    Press(form->RBDays);
    Type(form->EndDate, "06/01/2024");
    checked = true;
    Press(form->OKButton);
  });
  const browse::Outcome outcome = manager->SetUpRepeatBilling(request);
  QVERIFY(checked);
  QVERIFY(outcome.IsDone());
  invoices.Close();
  lines.Close();
  const RecordBuffer stored = Stored("90");
  QCOMPARE(QString::fromStdString(ReadText(stored, inv::kRecordKind)), QString("R"));
  QCOMPARE(QString::fromStdString(ReadText(stored, inv::kRepeatUnit)), QString("D"));
  QCOMPARE(QString::fromStdString(ReadText(stored, inv::kRepeatInterval)), QString("14"));
  QCOMPARE(QString::fromStdString(ReadText(stored, inv::kNextDueDate)), QString("06/01/2024"));
  QCOMPARE(QString::fromStdString(ReadText(main_->Book().Current(), co::kCompanyBalance)), QString("600.00"));
  QCOMPARE(QString::fromStdString(BooksFindings()), QString());
}

QTEST_MAIN(BillingWindowsTest)
#include "billing_windows_test.moc"
