// Invoices and statements e-mailed from the windows, as the program wires them: the main window
// with the customer, invoicing, mail and statement windows installed and ConnectDocumentMail
// giving them the one sender; the output switched to "&E-Mail"; the Invoice Manager's Print and
// Batch Print and the Customer Manager's statement and statement batch driven by control names
// against the aiosmtpd server, each command closing its connection.

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

#include "common/clock.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/text.h"
#include "customers/ui/customer_windows.h"
#include "customers/ui/demo_form.h"
#include "engine/core/engine.h"
#include "invoicing/ui/inv_batch.h"
#include "invoicing/ui/inv_list.h"
#include "invoicing/ui/invoicing_windows.h"
#include "mail/mail_settings.h"
#include "mail/ui/document_mail_windows.h"
#include "mail/ui/mail_windows.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/record_file.h"
#include "shell/ui/main_form_startup.h"
#include "statements/ui/batch_st_win.h"
#include "statements/ui/sel_stmnt.h"
#include "statements/ui/statement_windows.h"
#include "statements/ui/stment.h"
#include "tests/mail/smtp_peer.h"
#include "tests/support/modal_step.h"
#include "tests/support/status_sinks.h"

using namespace tf;
using namespace std::chrono;
namespace co = records::company;
namespace cu = records::customer;
namespace inv = records::invoice;
using tf::test::OnModal;

namespace {

struct NoViewer : common::TextReportViewer {
  void ShowTextFile(const std::string&, std::string_view) override {}
};

common::RecordBuffer Invoice(const std::string& number, const std::string& customer, const std::string& total) {
  common::RecordBuffer r(inv::kInvoiceRecordLength);
  common::WriteText(r, inv::kInvoiceNumber, number);
  common::WriteText(r, inv::kRecordKind, "I");
  common::WriteText(r, inv::kKeyCode, "None");
  common::WriteText(r, inv::kCustomerNumber, customer);
  common::WriteText(r, inv::kCompanyNumber, "1");
  inv::SetInvoiceDate(r, "05/01/2024", common::DateFormat::MonthFirst);
  common::WriteText(r, inv::kPrintedFlag, "N");
  common::WriteText(r, inv::kInvoiceType, "P");
  common::WriteText(r, inv::kShortName, customer);
  common::WriteText(r, inv::kTotalAmount, total);
  common::WriteText(r, inv::kTaxAmount, "0.00");
  common::WriteText(r, inv::kPaidAmount, "0.00");
  common::WriteText(r, inv::kBalanceDue, total);
  return r;
}

}  // namespace

class DocumentMailWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void invoicesAndStatementsGoOutByEMailFromTheWindows();

 private:
  void MakeBooks();
  QString Panel(QWidget* window) const { return window->findChild<QLabel*>("StatusBar1Panel1")->text(); }
  QString LastText() const {
    return prompter_.Texts().empty() ? QString() : QString::fromStdString(prompter_.Texts().back());
  }

  std::unique_ptr<QTemporaryDir> dir_;
  QString previous_;
  common::ScriptedPrompter prompter_;
  test::RecordingStatus status_;
  NoViewer viewer_;
  common::FixedClock clock_{year{2024} / May / 15d, hours(10)};
  std::unique_ptr<shell::ui::TMainForm> form_;
};

void DocumentMailWindowsTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  previous_ = QDir::currentPath();
  QVERIFY(QDir::setCurrent(dir_->path()));
  prompter_.Clear();
}

void DocumentMailWindowsTest::cleanup() {
  if (form_) {
    form_->OnOfferBackup = [] {};
    form_->close();
    form_.reset();
  }
  engine::EngineReady();
  if (engine::EngineOK) engine::ExitEngine();
  QDir::setCurrent(previous_);
  dir_.reset();
}

// Company 1 with its mail host, Ann (with an address) and Bob (without), an invoice for each and
// a second one for Ann, none printed.
void DocumentMailWindowsTest::MakeBooks() {
  engine::InitEngine(0, 30);
  QVERIFY(engine::EngineOK);
  common::ScriptedPrompter setup{common::PromptAnswer::OK, common::PromptAnswer::OK, common::PromptAnswer::OK};
  common::RecordBuffer blank(co::kCompanyRecordLength);
  common::RecordBuffer company = co::NewCompanyRecord(blank, 0, {});
  common::WriteText(company, co::kCompanyName, "Acme Supply");
  common::WriteText(company, co::kDateFormat, "M");
  common::WriteText(company, co::kBackgroundPath, "");
  common::WriteText(company, co::kEMailAddress, "office@example.com");
  common::WriteText(company, co::kSMTPHost, "127.0.0.1");
  common::WriteText(company, co::kInvoiceTitle, "INVOICE");
  common::WriteText(company, co::kStatementTitle, "STATEMENT");
  common::WriteText(company, co::kLastInvoiceNumber, "1001");
  common::WriteText(company, co::kCompanyBalance, "60.00");
  const std::string number = common::TrimBoth(common::ReadText(company, co::kCompanyNumber));
  {
    engine::FileBlockGuard block;
    QVERIFY(records::OpenCompanyFile(block.handle(), setup, status_));
    std::int32_t ref = 0;
    QVERIFY(records::AddKeyedRecord(block.get(), co::CompanyFileKind(), company, ref, setup));
  }
  {
    engine::FileBlockGuard customers;
    QVERIFY(cu::OpenCustomerFile(customers.handle(), number, setup, status_));
    std::int32_t ref = 0;
    for (auto [n, name, email, balance] : {std::tuple{"C1", "Ann Smith", "ann@example.com", "40.00"},
                                           std::tuple{"C2", "Bob Jones", "", "20.00"}}) {
      common::RecordBuffer r = cu::NewCustomerRecord();
      common::WriteText(r, cu::kCustomerNumber, n);
      common::WriteText(r, cu::kCustomerName, name);
      common::WriteText(r, cu::kShortName, std::string(name).substr(0, 3));
      common::WriteText(r, cu::kEMail, email);
      common::WriteText(r, cu::kBalance, balance);
      for (int k = 0; k < 4; ++k) common::WriteText(r, cu::kAgingAmount[k], k == 0 ? balance : "0.00");
      QVERIFY(records::AddKeyedRecord(customers.get(), cu::CustomerFileKind(), r, ref, setup));
    }
    engine::FileBlockGuard invoices;
    QVERIFY(inv::OpenInvoiceFile(invoices.handle(), number, setup, status_));
    for (const auto& r : {Invoice("1001", "C1", "10.00"), Invoice("1002", "C2", "20.00"), Invoice("1003", "C1", "30.00")})
      QVERIFY(inv::AddInvoice(invoices.get(), r, ref, setup));
  }
  records::CompanyBook book;
  std::copy(company.begin(), company.end(), book.Work().begin());
  book.SaveStartupFile();
  engine::ExitEngine();
}

void DocumentMailWindowsTest::invoicesAndStatementsGoOutByEMailFromTheWindows() {
  if (test::CheckSmtpPeer().outcome != test::PeerCheck::Present) {
    if (test::InCi()) QFAIL("python3-aiosmtpd is not installed");
    QSKIP("python3-aiosmtpd is not installed");
  }
  MakeBooks();
  test::SmtpPeer server({"--server", "aiosmtpd"});
  mail::MailSettings settings;
  settings.port = server.port();
  std::string error;
  QVERIFY(mail::SaveMailSettings("1", settings, error));

  // The windows as the program installs them.
  form_ = shell::ui::CreateMainForm(prompter_, clock_, status_);
  QVERIFY(form_);
  const shell::ui::WindowServices services{prompter_, status_, viewer_, clock_};
  customers::ui::InstallCustomerWindows(*form_, services);
  invoicing::ui::InstallInvoicingWindows(*form_, services);
  mail::MailSender& sender = mail::ui::InstallMailWindows(*form_, services);
  statements::ui::InstallStatementWindows(*form_, services);
  mail::ui::ConnectDocumentMail(*form_, sender);
  form_->EMdef->click();
  QVERIFY(form_->Output() == shell::OutputMode::EMail);

  // --- the Invoice Manager: Print, then Batch Print ------------------------------------------
  bool invoicesRan = false;
  OnModal("Tinvlist", [&](QWidget* w) {
    auto* list = static_cast<invoicing::ui::Tinvlist*>(w);
    struct Close {
      QDialog* d;
      ~Close() { d->reject(); }
    } close{list};
    QCOMPARE(list->windowTitle(), QString("Invoice Manager - (E-Mail Mode)"));
    prompter_.Clear();
    QTest::mouseClick(list->PrintButn, Qt::LeftButton);
    QCOMPARE(Panel(list), QString("Invoice 1001 sent by e-mail."));
    QCOMPARE(LastText(), QString("Invoice sent by e-mail."));
    QVERIFY(!sender.Connected());

    OnModal("TInvBatch", [](QWidget* b) {
      auto* batch = static_cast<invoicing::ui::TInvBatch*>(b);
      QCOMPARE(batch->Label1->text(), QString("There are 2 invoice(s) to e-mail."));
      QCOMPARE(batch->Label2->text(), QString("* E-Mail Mode *"));
      QCOMPARE(batch->OKBtn->text(), QString("&E-Mail"));
      QTest::mouseClick(batch->OKBtn, Qt::LeftButton);
    });
    prompter_.Clear();
    QTest::mouseClick(list->BatchButn, Qt::LeftButton);
    QCOMPARE(Panel(list), QString("Batch Print complete. 1 invoices sent to e-mail."));
    QVERIFY2(LastText().startsWith("E-mail operation complete."), qPrintable(LastText()));
    QVERIFY(LastText().contains("Not sent (no e-mail address): 1"));
    QVERIFY(!sender.Connected());
    invoicesRan = true;
  });
  form_->RunCommand(shell::CommandId::InvoiceManager, false);
  QVERIFY(invoicesRan);
  QCOMPARE(server.Messages(), 2);
  QCOMPARE(QString::fromStdString(server.Read(1, "subject")), QString("INVOICE - 1001"));
  QCOMPARE(QString::fromStdString(server.Read(2, "subject")), QString("INVOICE - 1003"));
  QCOMPARE(server.Count("connect"), 2);
  QCOMPARE(server.Count("QUIT"), 2);

  // --- the Customer Manager: one statement, then a batch ---------------------------------------
  bool statementsRan = false;
  OnModal("TDemoForm", [&](QWidget* w) {
    auto* manager = static_cast<customers::ui::TDemoForm*>(w);
    struct Close {
      QDialog* d;
      ~Close() { d->reject(); }
    } close{manager};
    bool shown = false;
    OnModal("TStment", [&](QWidget* s) {
      auto* statement = static_cast<statements::ui::TStment*>(s);
      shown = true;
      QCOMPARE(statement->windowTitle(), QString("Customer Statement - (E-Mail Mode)"));
      QCOMPARE(statement->PrinStButn->text(), QString("&E-Mail"));
      QCOMPARE(statement->Label1->text(), QString("Ann Smith"));
      prompter_.Clear();
      QTest::mouseClick(statement->PrinStButn, Qt::LeftButton);
      QCOMPARE(statement->CSBarPanel0->text(), QString("Statement for Ann Smith sent by e-mail."));
      QCOMPARE(LastText(), QString("Statement sent by e-mail."));
      QTest::mouseClick(statement->SpeedButton2, Qt::LeftButton);
    });
    QTest::mouseClick(manager->findChild<QToolButton*>("StmtPrin"), Qt::LeftButton);
    QVERIFY2(shown, qPrintable(LastText()));
    QVERIFY(!sender.Connected());

    OnModal("TSelStmnt", [](QWidget* s) {
      auto* selection = static_cast<statements::ui::TSelStmnt*>(s);
      QCOMPARE(selection->Label1->text(), QString("E-Mail Mode"));
      QTest::mouseClick(selection->OKButton, Qt::LeftButton);
    });
    OnModal("TBatchStWin", [](QWidget* b) {
      auto* batch = static_cast<statements::ui::TBatchStWin*>(b);
      QCOMPARE(batch->Label1->text(), QString("There are 2 statements to be e-mailed."));
      QCOMPARE(batch->OKButton->text(), QString("&E-Mail"));
      QTest::mouseClick(batch->OKButton, Qt::LeftButton);
    });
    prompter_.Clear();
    QTest::mouseClick(manager->findChild<QToolButton*>("BatchPrinButn"), Qt::LeftButton);
    QCOMPARE(Panel(manager), QString("Batch complete. 2 statements sent by e-mail."));
    QCOMPARE(LastText(), QString("E-mail operation complete."));
    QVERIFY(!sender.Connected());
    statementsRan = true;
  });
  form_->RunCommand(shell::CommandId::CustomerManager, false);
  QVERIFY(statementsRan);
  QCOMPARE(server.Messages(), 5);
  QCOMPARE(QString::fromStdString(server.Read(3, "subject")), QString("STATEMENT - Ann Smith"));
  QCOMPARE(QString::fromStdString(server.Read(3, "rcpt")), QString("ann@example.com"));
  // Bob has no address: his statement goes to the company under the bad-address subject.
  QCOMPARE(QString::fromStdString(server.Read(5, "subject")), QString("BAD CUSTOMER E-MAIL: Bob Jones"));
  QCOMPARE(QString::fromStdString(server.Read(5, "rcpt")), QString("office@example.com"));
  QCOMPARE(server.Count("connect"), 4);
  QCOMPARE(server.Count("QUIT"), 4);
}

QTEST_MAIN(DocumentMailWindowsTest)
#include "document_mail_windows_test.moc"
