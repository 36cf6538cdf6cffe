// The statement windows driven by their control names from the Customer Manager on the
// offscreen platform: a customer without records says so and opens nothing; a customer with
// invoices and a partly paid one shows its rows and totals, the unpaid-only box rebuilds them,
// and the statement prints through the print dialog to a PDF read back with pdftotext; a batch
// chooses customers by balance, refuses a blank batch size, pauses, and is dated when done.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <memory>

#include "common/clock.h"
#include "common/date_text.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/stored_font.h"
#include "common/ui/qt_print_canvas.h"
#include "correspondence/label_queue.h"
#include "customers/ui/demo_form.h"
#include "engine/checking/checker.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/record_file.h"
#include "statements/customer_statements.h"
#include "statements/ui/batch_st_win.h"
#include "statements/ui/sel_stmnt.h"
#include "statements/ui/statement_windows.h"
#include "statements/ui/stment.h"
#include "tests/invoicing/invoice_records.h"
#include "tests/support/company_file.h"
#include "tests/support/data_folder_test.h"
#include "tests/support/engine_work_folder.h"
#include "tests/support/external_peer.h"
#include "tests/support/modal_step.h"
#include "tests/support/print_dialog_answer.h"
#include "tests/support/status_sinks.h"

using namespace tf;
using namespace std::chrono;
namespace co = records::company;
namespace cu = records::customer;
namespace inv = records::invoice;
using common::PromptAnswer;
using tf::test::OnModal;

namespace {

struct NoViewer : common::TextReportViewer {
  void ShowTextFile(const std::string&, std::string_view) override {}
};

// One invoice-file record: kind, number, date key, total, stored paid amount, balance.
struct Rec {
  const char* kind;
  const char* number;
  year_month_day date;
  const char* total;
  const char* paid;
  const char* balance;
};

QString PdfText(const QString& pdf) {
  QProcess text;
  text.start("pdftotext", {"-layout", pdf, "-"});
  if (!text.waitForFinished(20000)) return {};
  return QString::fromUtf8(text.readAllStandardOutput());
}

}  // namespace

class TStmentTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void viewedFromTheManagerToggledAndPrinted();
  void batchChosenByBalancePausedAndDated();

 private:
  void AddCustomer(const std::string& number, const std::string& name, const std::string& balance,
                   const std::string& aging2);
  void AddRecords(const std::string& customer, std::initializer_list<Rec> records);
  QStringList GridRow(QTableWidget* grid, int row) const {
    QStringList cells;
    for (int c = 0; c < grid->columnCount(); ++c) cells << (grid->item(row, c) ? grid->item(row, c)->text() : "");
    return cells;
  }
  // The last message shown (empty when none), as QCOMPARE prints it.
  QString LastText() const {
    return prompter_.Texts().empty() ? QString() : QString::fromStdString(prompter_.Texts().back());
  }
  template <class T> T* Child(const char* name) const { return form_->findChild<T*>(name); }

  std::unique_ptr<tf::test::EngineWorkFolder> folder_;
  records::CompanyBook book_;
  common::ScriptedPrompter prompter_;
  ::tf::test::SilentStatus status_;
  NoViewer viewer_;
  common::FixedClock clock_{year{2024} / 5 / 15};
  correspondence::LabelQueue queue_;
  std::unique_ptr<customers::ui::TDemoForm> form_;
  statements::ui::StatementWindows* windows_ = nullptr;
};

void TStmentTest::init() {
  folder_ = std::make_unique<tf::test::EngineWorkFolder>();
  QVERIFY(engine::EngineOK);
  common::RecordBuffer c = invoicing::testing::InvoicingCompany("0");
  common::WriteText(c, co::kCompanyName, "Acme Books");
  common::WriteText(c, co::kStatementTitle, "STATEMENT");
  common::WriteText(c, co::kStatementNote, "Thank you for your business.");
  common::WriteText(c, co::kAddress1, "1 Main Street");
  common::WriteText(c, co::kLeftFormMargin, "60");
  common::WriteText(c, co::kTopFormMargin, "40");
  for (std::size_t f = 0; f < co::kDocumentFontCount; ++f)
    common::WriteFontSpec(c, co::DocumentFontField(co::DocumentFont(f)), {"DejaVu Sans", 10, 0, 0});
  QVERIFY(tf::test::MakeCompanyFile(c));
  std::copy(c.begin(), c.end(), book_.Current().begin());
  prompter_.Clear();

  // Alpha Co has nothing on file; Beta Stores an invoice paid at once, an open invoice and a
  // partly paid one with its payment; Gamma Ltd one open invoice.
  AddCustomer("200", "Alpha Co", "0.00", "0.00");
  AddCustomer("100", "Beta Stores", "330.00", "130.00");
  AddCustomer("300", "Gamma Ltd", "40.00", "0.00");
  AddRecords("100", {{"I", "1001", year{2024} / 3 / 1, "200.00", "0.00", "200.00"},
                     {"Z", "1002", year{2024} / 2 / 10, "300.00", "0.00", "130.00"},
                     {"X", "1002", year{2024} / 2 / 20, "0.00", "170.00", "0.00"},
                     {"I", "0999", year{2024} / 1 / 5, "50.00", "50.00", "0.00"}});
  AddRecords("300", {{"I", "1003", year{2024} / 5 / 1, "40.00", "0.00", "40.00"}});

  form_ = std::make_unique<customers::ui::TDemoForm>(
      customers::ui::DemoFormServices{book_, prompter_, status_, viewer_, clock_, queue_, [] { return false; }});
  form_->ShowHelp = [](std::string_view) {};
  windows_ = new statements::ui::StatementWindows(
      *form_, {book_, prompter_, status_, clock_, &queue_, [] { return false; }});
}

void TStmentTest::cleanup() {
  form_.reset();
  std::string findings;
  for (const char* block : {"1C", "1I"}) findings += tf::test::Findings(block, block[1] == 'C' ? cu::CustomerKeys : inv::InvoiceKeys);
  folder_.reset();
  QVERIFY2(findings.empty(), findings.c_str());
}

void TStmentTest::AddCustomer(const std::string& number, const std::string& name, const std::string& balance,
                              const std::string& aging2) {
  common::RecordBuffer r = invoicing::testing::InvoicingCustomer(number, name, name.substr(0, 5), balance);
  common::WriteText(r, cu::kAgingAmount1, "0.00");
  common::WriteText(r, cu::kAgingAmount2, aging2);
  common::WriteText(r, cu::kAgingAmount3, "0.00");
  common::WriteText(r, cu::kAgingAmount4, "0.00");
  common::WriteText(r, cu::kBillAddress1, "12 Oak Lane");
  engine::FileBlockGuard h;
  QVERIFY(records::OpenRecordFile(h.handle(), cu::CustomerFileName("1"), cu::CustomerFileKind(), {}, prompter_, status_));
  std::int32_t ref = 0;
  QVERIFY(records::AddKeyedRecord(h.get(), cu::CustomerFileKind(), r, ref, prompter_));
}

void TStmentTest::AddRecords(const std::string& customer, std::initializer_list<Rec> records) {
  engine::FileBlockGuard h;
  QVERIFY(records::OpenRecordFile(h.handle(), inv::InvoiceFileName("1"), inv::InvoiceFileKind(), {}, prompter_, status_));
  for (const Rec& planned : records) {
    common::RecordBuffer r(inv::kInvoiceRecordLength);
    common::WriteText(r, inv::kInvoiceNumber, planned.number);
    common::WriteText(r, inv::kRecordKind, planned.kind);
    common::WriteText(r, inv::kCustomerNumber, customer);
    common::WriteText(r, inv::kCompanyNumber, "1");
    QVERIFY(inv::SetInvoiceDate(r, common::FormatDate(planned.date, common::DateFormat::MonthFirst),
                                common::DateFormat::MonthFirst));
    common::WriteText(r, inv::kInvoiceType, "P");
    common::WriteText(r, inv::kTotalAmount, planned.total);
    common::WriteText(r, inv::kNetAmount, planned.total);
    common::WriteText(r, inv::kTaxAmount, "0.00");
    common::WriteText(r, inv::kPaidAmount, planned.paid);
    common::WriteText(r, inv::kBalanceDue, planned.balance);
    std::int32_t ref = 0;
    QVERIFY(inv::AddInvoice(h.get(), r, ref, prompter_));
  }
}


void TStmentTest::viewedFromTheManagerToggledAndPrinted() {
  TF_NEED_PEERS_QTEST("reading the printed statement back", "pdftotext");
  const QString pdf = QString::fromStdString(folder_->path()) + "/statement.pdf";
  bool shown = false;
  QTimer::singleShot(0, [&] {
    struct CloseAtEnd {
      QDialog* d;
      ~CloseAtEnd() { d->reject(); }
    } close{form_.get()};
    for (const char* name : {"StmtPrin", "BatchPrinButn"}) QVERIFY(Child<QToolButton>(name)->isEnabled());
    for (const char* name : {"View2", "Statement1", "BatchPrint1"}) QVERIFY(Child<QAction>(name)->isEnabled());

    // Alpha Co, first by name, has no records: said, and no statement window; the menu item
    // and the pop-up menu's run the same command.
    QTest::mouseClick(Child<QToolButton>("StmtPrin"), Qt::LeftButton);
    Child<QAction>("View2")->trigger();
    Child<QAction>("Statement1")->trigger();
    QCOMPARE(prompter_.Shown().size(), std::size_t(3));
    QCOMPARE(LastText(), QString("There is no activity for this customer."));
    QCOMPARE(prompter_.Shown().back().caption, std::string("Customer: Alpha Co"));
    QVERIFY(!windows_->Statement().isVisible());

    QTest::keyClick(form_->CustBrowser, Qt::Key_Down);
    prompter_.Clear();
    OnModal("TStment", [&](QWidget* w) {
      auto* s = static_cast<statements::ui::TStment*>(w);
      struct Reject {
        QDialog* d;
        ~Reject() { if (d->isVisible()) d->reject(); }
      } closeStatement{s};
      shown = true;
      QCOMPARE(s->windowTitle(), QString("Customer Statement"));
      QCOMPARE(s->PrinStButn->text(), QString("&Print"));
      QCOMPARE(s->Label1->text(), QString("Beta Stores"));
      QCOMPARE(s->Label2->text(), QString("12 Oak Lane"));
      QCOMPARE(s->CNoLabel->text(), QString("100"));
      QVERIFY(!s->CheckBox1->isChecked());
      // Every record in date order, the partial payment and the paid invoice included.
      QCOMPARE(s->SGrid->rowCount(), 6);
      QCOMPARE(GridRow(s->SGrid, 0), QStringList({"Date", "Invoice#", "Reference/Comment", "Total Amount",
                                                  "Paid Amount", "Balance Due", "C"}));
      QCOMPARE(GridRow(s->SGrid, 1), QStringList({"2024/01/05", "0999", "Invoice", "50.00", "50.00", "0.00", "I"}));
      QCOMPARE(GridRow(s->SGrid, 2), QStringList({"2024/02/10", "1002", "Partial Payment Invoice", "300.00", "0.00",
                                                  "130.00", "Z"}));
      QCOMPARE(GridRow(s->SGrid, 3),
               QStringList({"2024/02/20", "1002", "Partial Payment Made", "0.00", "170.00", "0.00", "X"}));
      QCOMPARE(GridRow(s->SGrid, 4), QStringList({"2024/03/01", "1001", "Invoice", "200.00", "0.00", "200.00", "I"}));
      QCOMPARE(GridRow(s->SGrid, 5), QStringList({"", "", "*** Account Totals:", "550.00", "220.00", "330.00", ""}));
      QCOMPARE(s->CSBarPanel0->text(), QString("There are 4 records selected."));
      // The widest cell of a column shows whole.
      const QFontMetrics metrics(s->SGrid->font());
      QVERIFY(s->SGrid->columnWidth(2) > metrics.horizontalAdvance("Partial Payment Invoice"));

      // Only unpaid: the paid invoice and the payment go; the partly paid invoice shows what
      // was paid on it, counted once.
      QTest::mouseClick(s->CheckBox1, Qt::LeftButton);
      QVERIFY(s->CheckBox1->isChecked());
      QCOMPARE(s->SGrid->rowCount(), 4);
      QCOMPARE(GridRow(s->SGrid, 1), QStringList({"2024/02/10", "1002", "Partial Payment Invoice", "300.00", "170.00",
                                                  "130.00", "Z"}));
      QCOMPARE(GridRow(s->SGrid, 2), QStringList({"2024/03/01", "1001", "Invoice", "200.00", "0.00", "200.00", "I"}));
      QCOMPARE(GridRow(s->SGrid, 3), QStringList({"", "", "*** Account Totals:", "500.00", "170.00", "330.00", ""}));
      QCOMPARE(s->CSBarPanel0->text(), QString("There are 2 records selected."));

      tf::test::AnswerPrintDialogSoon(pdf);
      QTest::mouseClick(s->PrinStButn, Qt::LeftButton);
      QCOMPARE(s->CSBarPanel0->text(), QString("Statement for Beta Stores sent to print queue."));
      QTest::mouseClick(s->SpeedButton2, Qt::LeftButton);
    });
    QTest::mouseClick(Child<QToolButton>("StmtPrin"), Qt::LeftButton);
    QVERIFY(shown);
    QVERIFY(prompter_.Texts().empty());
    // The invoice file is closed again with the window; the manager's customer file stays open.
    QVERIFY(!windows_->Model().Viewing());
    QVERIFY(form_->Model().IsOpen());
  });
  form_->exec();
  QVERIFY(shown);
  const QString out = PdfText(pdf);
  QVERIFY2(out.contains("Beta Stores"), qPrintable(out));
  QVERIFY(out.contains("Account Number: 100"));
  QVERIFY(out.contains("Partial Payment Invoice"));
  QVERIFY(out.contains("*** Account Totals:"));
  QVERIFY(QRegularExpression("500\\.00\\s+170\\.00\\s+330\\.00").match(out).hasMatch());
  // Printed as shown: only unpaid records.
  QVERIFY(!out.contains("0999"));
  QVERIFY(!out.contains("Partial Payment Made"));
}

void TStmentTest::batchChosenByBalancePausedAndDated() {
  TF_NEED_PEERS_QTEST("reading the printed statements back", "pdftotext");
  const QString pdf = QString::fromStdString(folder_->path()) + "/batch.pdf";
  windows_->Printer = [pdf] { return std::unique_ptr<common::PrintCanvas>(common::ui::PdfPrintCanvas(pdf)); };
  QTimer::singleShot(0, [&] {
    struct CloseAtEnd {
      QDialog* d;
      ~CloseAtEnd() { d->reject(); }
    } close{form_.get()};
    // Over 30 days: Beta Stores only, and none with nothing past 90.
    OnModal("TSelStmnt", [](QWidget* w) {
      auto* sel = static_cast<statements::ui::TSelStmnt*>(w);
      QCOMPARE(sel->Label1->text(), QString("Printer Mode"));
      QVERIFY(sel->RBAll->isChecked());
      QVERIFY(sel->RBActUnPd->isChecked());
      sel->RBover90->setChecked(true);
      QTest::mouseClick(sel->OKButton, Qt::LeftButton);
    });
    QTest::mouseClick(Child<QToolButton>("BatchPrinButn"), Qt::LeftButton);
    QCOMPARE(LastText(),
             QString("There are no customers with a non-zero balance that meet your aging selection. There are no "
                         "statements to print."));
    QVERIFY(!QFile::exists(pdf));

    // The choice persists; all non-zero balances: Beta Stores and Gamma Ltd, in batches of 1.
    OnModal("TSelStmnt", [](QWidget* w) {
      auto* sel = static_cast<statements::ui::TSelStmnt*>(w);
      QVERIFY(sel->RBover90->isChecked());
      sel->RBAll->setChecked(true);
      sel->RBActAll->setChecked(true);
      QTest::mouseClick(sel->OKButton, Qt::LeftButton);
    });
    OnModal("TBatchStWin", [this](QWidget* w) {
      auto* win = static_cast<statements::ui::TBatchStWin*>(w);
      QCOMPARE(win->Label1->text(), QString("There are 2 statements to be printed."));
      QCOMPARE(win->Label2->text(), QString("Last Batch Run: never"));
      QCOMPARE(win->EMBNum->text(), QString("2"));
      QCOMPARE(win->OKButton->text(), QString("&Print"));
      win->EMBNum->clear();
      QTest::mouseClick(win->OKButton, Qt::LeftButton);
      QCOMPARE(LastText(), QString("You must enter the number of statements to print in this batch."));
      QVERIFY(win->isVisible());
      QTest::keyClicks(win->EMBNum, "x1");  // only digits go in
      QCOMPARE(win->EMBNum->text(), QString("1"));
      prompter_.Answer(PromptAnswer::Yes);  // the pause after the first statement
      QTest::mouseClick(win->OKButton, Qt::LeftButton);
    });
    QTest::mouseClick(Child<QToolButton>("BatchPrinButn"), Qt::LeftButton);
    QCOMPARE(prompter_.Shown().back().caption, std::string("Batch Job Pause..."));
    QCOMPARE(LastText(),
             QString("1 statements processed during this cycle. There are 1 statements remaining. Do you want to "
                         "continue?"));
    QCOMPARE(prompter_.Unanswered(), std::size_t(0));
    QCOMPARE(Child<QLabel>("StatusBar1Panel1")->text(), QString("Batch Print complete. 2 statements sent to spooler."));
  });
  form_->exec();
  QCOMPARE(common::ReadText(book_.Current(), co::kStatementBatchDate), std::string("05/15/2024"));
  const QString out = PdfText(pdf);
  QVERIFY2(out.contains("Beta Stores") && out.contains("Gamma Ltd"), qPrintable(out));
  // All activity: the paid invoice is on Beta's statement.
  QVERIFY(out.contains("0999"));
  QCOMPARE(out.count('\f'), 2);  // one page each
}

QTEST_MAIN(TStmentTest)
#include "stment_test.moc"
