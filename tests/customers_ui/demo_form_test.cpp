// The Customer Manager and the customer editor driven by their control names on the offscreen
// platform: adding (and a refused empty name), the auto-copy, editing, order, the label queue,
// the Delete key, a long list imported from CSV and scrolled, Enter to pick, and an envelope
// printed to PDF and read back with pdftotext.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "common/clock.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/stored_text.h"
#include "common/text.h"
#include "common/ui/qt_print_canvas.h"
#include "correspondence/label_queue.h"
#include "records/customer_file.h"
#include "customers/customer_import.h"
#include "records/customer_record.h"
#include "customers/ui/customer_windows.h"
#include "customers/ui/demo_form.h"
#include "customers/ui/edit_dlg.h"
#include "customers/ui/q_view.h"
#include "engine/checking/checker.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "shell/ui/main_form.h"
#include "tests/support/data_folder_test.h"
#include "tests/support/company_file.h"
#include "tests/support/engine_work_folder.h"
#include "tests/support/status_sinks.h"

using namespace tf;
using namespace std::chrono;
namespace company = records::company;
using common::PromptAnswer;

namespace {

struct NoViewer : common::TextReportViewer {
  void ShowTextFile(const std::string&, std::string_view) override {}
};

}  // namespace

class TDemoFormTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void managerAndEditorDrivenByControlNames();
  void longListScrollsAndEnterPicks();
  void envelopeToPdf();
  void customerDataWindow();
  void installedInTheMainWindow();
  void typedTextIsRefusedOnItsBoxNeverChanged();

 private:
  static void Soon(std::function<void()> step) { QTimer::singleShot(0, std::move(step)); }
  // Closes the dialog however the steps inside its modal loop end (a failed check returns).
  struct CloseAtEnd {
    QDialog* dialog;
    ~CloseAtEnd() {
      if (dialog && dialog->isVisible()) dialog->reject();
    }
  };
  customers::ui::TEditDlg* Editor() const { return form_->findChild<customers::ui::TEditDlg*>("TEditDlg"); }
  QString CurrentRow() const {
    const auto& m = form_->CustBrowser->Model();
    return m.CurrentRow() ? QString::fromLatin1(m.Row(m.CurrentRow()).Row.c_str()).trimmed() : QString();
  }
  template <class T> T* Child(const char* name) const { return form_->findChild<T*>(name); }
  void Click(const char* button) { QTest::mouseClick(Child<QToolButton>(button), Qt::LeftButton); }
  void Import(int count);

  std::unique_ptr<tf::test::EngineWorkFolder> folder_;
  records::CompanyBook book_;
  common::ScriptedPrompter prompter_;
  ::tf::test::SilentStatus status_;
  NoViewer viewer_;
  common::FixedClock clock_{year{2026} / 3 / 14};
  correspondence::LabelQueue queue_;
  std::unique_ptr<customers::ui::TDemoForm> form_;
};

void TDemoFormTest::init() {
  folder_ = std::make_unique<tf::test::EngineWorkFolder>();
  QVERIFY(engine::EngineOK);
  // The company, in the company file too: adding a customer updates its record there.
  common::RecordBuffer co(company::kCompanyRecordLength);
  common::WriteText(co, company::kCompanyName, "Acme Books");
  common::WriteText(co, company::kCompanyNumber, "1");
  common::WriteText(co, company::kNextCustomerNumber, "100");
  common::WriteText(co, company::kDefaultTerms, "Net 30 Days");
  common::WriteBool(co, company::kAutoCopyBillToShip, true);
  common::WriteText(co, company::kAddress1, "1 Main Street");
  common::WriteText(co, company::kEnvLineSpacing, "60");
  common::WriteText(co, company::kEnvLeftMargin, "75");
  common::WriteText(co, company::kEnvTopMargin, "75");
  common::WriteText(co, company::kEnvSendAddressLeft, "1200");
  common::WriteText(co, company::kEnvOrientation, "L");
  common::WriteText(co, company::kEnvAddressSource, "B");
  common::WriteFlag(co, company::kPrintReturnAddress, true);
  common::WriteFontSpec(co, company::kEnvelopeFont, {"DejaVu Sans", 12, 0, 0});
  QVERIFY(tf::test::MakeCompanyFile(co));
  std::copy(co.begin(), co.end(), book_.Current().begin());
  prompter_.Clear();
  form_ = std::make_unique<customers::ui::TDemoForm>(
      customers::ui::DemoFormServices{book_, prompter_, status_, viewer_, clock_, queue_, [] { return true; }});
  form_->ShowHelp = [](std::string_view) {};
  form_->LoadTerms = [] { return std::vector<std::string>{"Due On Receipt", "Net 30 Days"}; };
}

void TDemoFormTest::cleanup() {
  form_.reset();
  const std::string findings =
      std::filesystem::exists("1C.DAT") ? tf::test::Findings("1C", records::customer::CustomerKeys) : "";
  folder_.reset();
  QVERIFY2(findings.empty(), findings.c_str());
}

void TDemoFormTest::Import(int count) {
  std::string csv = "CustomerName,Phone1,BillAddress1\n";
  for (int k = 0; k < count; ++k)
    csv += "Customer " + std::to_string(100000 + k) + ",555-" + std::to_string(k) + ",Street " + std::to_string(k) + "\n";
  engine::FileBlockGuard block;
  prompter_.Answer(PromptAnswer::OK);
  QVERIFY(records::customer::OpenCustomerFile(block.handle(), "1", prompter_, status_));
  std::istringstream rows(csv);
  const customers::CustomerImport result =
      customers::ImportCustomerRows(block.get(), rows, {"1", "Net 30 Days", common::DateFormat::MonthFirst}, prompter_);
  QVERIFY(result.Good());
  prompter_.Clear();
}

void TDemoFormTest::managerAndEditorDrivenByControlNames() {
  prompter_.Answer(PromptAnswer::OK);  // "I am going to create a new, empty customer file ..."
  Soon([this] {
    CloseAtEnd close{form_.get()};
    QCOMPARE(form_->windowTitle(), QString("Customer Manager - (E-Mail Mode)"));
    QCOMPARE(Child<QLabel>("Label1")->text(), QString("Acme Books - #1"));
    QVERIFY(!Child<QToolButton>("StmtPrin")->isEnabled());
    QVERIFY(!Child<QToolButton>("BatchPrinButn")->isEnabled());
    QVERIFY(form_->CustBrowser->Header().startsWith("Name "));

    // New: an empty name is refused with the focus on the name, then the customer is typed.
    Soon([this] {
      auto* dlg = Editor();
      CloseAtEnd closeEditor{dlg};
      QVERIFY(dlg && dlg->isVisible());
      QCOMPARE(dlg->windowTitle(), QString("Add Customer"));
      QCOMPARE(dlg->CNo->text(), QString("100"));
      QCOMPARE(dlg->CTerms->currentText(), QString("Net 30 Days"));
      QCOMPARE(dlg->CTE->text(), QString("N"));
      QVERIFY(dlg->CheckBox1->isChecked());
      QCOMPARE(dlg->CName->maxLength(), 35);
      QCOMPARE(dlg->CTerms->lineEdit()->maxLength(), 35);
      QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
      QCOMPARE(prompter_.Texts().back(), std::string("You must enter a customer name."));
      QVERIFY(dlg->isVisible());
      QCOMPARE(dlg->focusWidget(), static_cast<QWidget*>(dlg->CName));
      QTest::keyClicks(dlg->CName, "John Smith");
      dlg->CNameExit();
      QCOMPARE(dlg->ShortName->text(), QString("JSmith"));
      QTest::keyClicks(dlg->CAdd1Edit, "1 High Street");
      QCOMPARE(dlg->CShip1->text(), QString("1 High Street"));  // auto-copy
      QTest::mouseClick(dlg->Button2, Qt::LeftButton);
      QCOMPARE(dlg->CShip1->text(), QString());
      QTest::mouseClick(dlg->Button1, Qt::LeftButton);
      QCOMPARE(dlg->CShip1->text(), QString("1 High Street"));
      QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
      QVERIFY(!dlg->isVisible());
    });
    Click("NewCustButn");
    QVERIFY(CurrentRow().startsWith("John Smith"));
    QCOMPARE(common::ReadText(book_.Current(), company::kNextCustomerNumber), std::string("101"));
    QCOMPARE(Child<QLabel>("StatusBar1Panel0")->text(), QString("Customers: 1"));

    // A second one through the pop-up menu's item.
    Soon([this] {
      auto* dlg = Editor();
      CloseAtEnd closeEditor{dlg};
      QTest::keyClicks(dlg->CName, "Alpha Co");
      QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
    });
    Child<QAction>("A1")->trigger();
    QVERIFY(CurrentRow().startsWith("Alpha Co"));

    // Edit: the phone.
    Soon([this] {
      auto* dlg = Editor();
      CloseAtEnd closeEditor{dlg};
      QCOMPARE(dlg->windowTitle(), QString("Edit Customer"));
      QCOMPARE(dlg->CName->text(), QString("Alpha Co"));
      QTest::keyClicks(dlg->CPhone1, "555-0100");
      QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
    });
    Click("EditCustButn");
    QVERIFY(CurrentRow().contains("555-0100"));

    // By number: 100 before 101.
    Child<QAction>("ByNumber1")->trigger();
    QVERIFY(Child<QAction>("ByNumber1")->isChecked());
    QVERIFY(CurrentRow().startsWith("Alpha Co"));
    QCOMPARE(QString::fromLatin1(form_->CustBrowser->Model().Row(1).Row.c_str()).left(10), QString("John Smith"));
    Child<QAction>("ByName1")->trigger();

    // Label queue.
    Child<QAction>("AddtoLabelQueue1")->trigger();
    QCOMPARE(queue_.Size(), std::size_t(1));
    QCOMPARE(Child<QLabel>("StatusBar1Panel1")->text(), QString("Alpha Co added to label queue."));

    // The Delete key, answered Yes.
    prompter_.Answer(PromptAnswer::Yes);
    QTest::keyClick(form_->CustBrowser, Qt::Key_Delete);
    QCOMPARE(prompter_.Shown().back().caption, std::string("Delete Customer#: 101"));
    QCOMPARE(prompter_.Unanswered(), std::size_t(0));
    QVERIFY(CurrentRow().startsWith("John Smith"));
    QCOMPARE(Child<QLabel>("StatusBar1Panel0")->text(), QString("Customers: 1"));
    Click("SpeedButton2");
  });
  form_->exec();
  QVERIFY(!form_->Model().IsOpen());
}

void TDemoFormTest::longListScrollsAndEnterPicks() {
  Import(10000);
  form_->resize(900, 600);
  std::optional<common::RecordBuffer> picked;
  Soon([this] {
    CloseAtEnd close{form_.get()};
    QVERIFY(CurrentRow().startsWith("Customer 102000"));  // the picker's customer
    QTest::keyClick(form_->CustBrowser, Qt::Key_End, Qt::ControlModifier);
    QVERIFY(CurrentRow().startsWith("Customer 109999"));
    QTest::keyClick(form_->CustBrowser, Qt::Key_PageUp);
    QTest::keyClick(form_->CustBrowser, Qt::Key_Home, Qt::ControlModifier);
    QVERIFY(CurrentRow().startsWith("Customer 100000"));
    QTest::keyClick(form_->CustBrowser, Qt::Key_PageDown);
    QTest::keyClick(form_->CustBrowser, Qt::Key_Down);
    const QString row = CurrentRow();
    QVERIFY(row.startsWith("Customer 1000"));
    QCOMPARE(Child<QLabel>("StatusBar1Panel0")->text(), QString("Customers: 10000"));
    QCOMPARE(Child<QLabel>("StatusBar1Panel1")->text(), QString("Double-click or press <enter> to select."));
    // Edited and deleted in the long list.
    Soon([this] {
      auto* dlg = Editor();
      CloseAtEnd closeEditor{dlg};
      dlg->CPhone1->setText("555-9999");
      QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
    });
    Click("EditCustButn");
    QVERIFY(CurrentRow().contains("555-9999"));
    QVERIFY(CurrentRow().startsWith(row.left(15)));
    prompter_.Answer(PromptAnswer::Yes);
    QTest::keyClick(form_->CustBrowser, Qt::Key_Delete);
    QCOMPARE(Child<QLabel>("StatusBar1Panel0")->text(), QString("Customers: 9999"));
    QVERIFY(!CurrentRow().startsWith(row.left(15)));
    QTest::keyClick(form_->CustBrowser, Qt::Key_Return);
  });
  picked = form_->PickCustomer("Customer 102000", "2001");
  QVERIFY(picked.has_value());
  QVERIFY(common::ReadText(*picked, records::customer::kCustomerName).rfind("Customer 1000", 0) == 0);
  QCOMPARE(Child<QLabel>("StatusBar1Panel1")->text(), QString("Right-click mouse or select from menu bar."));
}

void TDemoFormTest::envelopeToPdf() {
  Import(3);
  const QString pdf = QString::fromStdString(folder_->path()) + "/envelope.pdf";
  form_->Printer = [pdf] { return std::unique_ptr<common::PrintCanvas>(common::ui::PdfPrintCanvas(pdf)); };
  Soon([this] {
    CloseAtEnd close{form_.get()};
    Click("PrintEnvButn");
    QCOMPARE(Child<QLabel>("StatusBar1Panel1")->text(), QString("Envelope for Customer 100000 sent to printer."));
    Click("SpeedButton2");
  });
  form_->exec();
  QProcess text;
  text.start("pdftotext", {"-layout", pdf, "-"});
  QVERIFY(text.waitForFinished(20000));
  const QString out = QString::fromUtf8(text.readAllStandardOutput());
  QVERIFY2(out.contains("Acme Books"), qPrintable(out));
  QVERIFY(out.contains("1 Main Street"));
  QVERIFY(out.contains("Customer 100000"));
  QVERIFY(out.contains("Street 0"));
  // Landscape: the page is wider than high.
  QProcess info;
  info.start("pdfinfo", {pdf});
  QVERIFY(info.waitForFinished(20000));
  const QString pages = QString::fromUtf8(info.readAllStandardOutput());
  const QRegularExpressionMatch size = QRegularExpression("Page size:\\s+([0-9.]+) x ([0-9.]+)").match(pages);
  QVERIFY2(size.hasMatch(), qPrintable(pages));
  QVERIFY(size.captured(1).toDouble() > size.captured(2).toDouble());
}

void TDemoFormTest::customerDataWindow() {
  common::RecordBuffer c(records::customer::kCustomerRecordLength);
  common::WriteText(c, records::customer::kCustomerName, "Acme");
  common::WriteText(c, records::customer::kBalance, "70");
  customers::QuickView view = customers::QuickViewOf(book_.Current(), c);
  view.invoice = customers::QuickViewInvoice{"I - Regular Invoice", "1001", "03/07/2026", "100.00", "30.00", "70.00", true, false};
  customers::ui::TQView window;
  window.SetView(view);
  QCOMPARE(window.findChild<QLabel*>("CustBal")->text(), QString("70.00"));
  QCOMPARE(window.findChild<QLabel*>("AgeCap4")->text(), QString("Over :"));
  QCOMPARE(window.findChild<QLabel*>("InvBal")->text(), QString("70.00"));
  QCOMPARE(window.findChild<QLabel*>("PrintedLbl")->text(), QString("* Printed *"));
  QCOMPARE(window.findChild<QLabel*>("RepeatLbl")->text(), QString());
}

// The one call the program makes: the command opens the Customer Manager on the main window's
// company, its title follows the main window's output choice, and labels it queues are the main
// window's, which then asks before closing.
void TDemoFormTest::installedInTheMainWindow() {
  Import(2);
  shell::ui::TMainForm main(prompter_, clock_);
  std::copy(book_.Current().begin(), book_.Current().end(), main.Book().Current().begin());
  QVERIFY(!main.CommandAvailable(shell::CommandId::CustomerManager));
  customers::ui::TDemoForm& manager =
      customers::ui::InstallCustomerWindows(main, shell::ui::WindowServices{prompter_, status_, viewer_, clock_});
  manager.ShowHelp = [](std::string_view) {};
  QVERIFY(main.CommandAvailable(shell::CommandId::CustomerManager));
  QCOMPARE(manager.parent(), static_cast<QObject*>(&main));
  QVERIFY(!main.LabelQueuePending());

  main.EMdef->setChecked(true);
  QString title;
  Soon([&] {
    CloseAtEnd close{&manager};
    title = manager.windowTitle();
    manager.findChild<QAction*>("AddtoLabelQueue1")->trigger();
  });
  main.RunCommand(shell::CommandId::CustomerManager, true);
  QCOMPARE(title, QString("Customer Manager - (E-Mail Mode)"));
  QCOMPARE(main.LabelQueue().Size(), std::size_t(1));
  QCOMPARE(main.LabelQueue().Entries()[0].CustomerName, std::string("Customer 100000"));
  QVERIFY(main.LabelQueuePending());

  main.PrinDef->setChecked(true);
  Soon([&] {
    CloseAtEnd close{&manager};
    title = manager.windowTitle();
  });
  main.RunCommand(shell::CommandId::CustomerManager, false);
  QCOMPARE(title, QString("Customer Manager"));
  QVERIFY(!manager.Model().IsOpen());
}

// A character Latin-1 cannot hold is refused on its box, never stored as "?" nor dropped from
// the boxes (auto-copy and "Copy Billing to Shipping" carry it as typed); notes are never cut
// while typing, and once their line breaks count two a note too long is refused on its box.
void TDemoFormTest::typedTextIsRefusedOnItsBoxNeverChanged() {
  prompter_.Answer(PromptAnswer::OK);  // "I am going to create a new, empty customer file ..."
  const QString typed = QString::fromUtf8("Rue de l\u2019\u00C9glise");  // a typographic apostrophe
  Soon([&, this] {
    CloseAtEnd close{form_.get()};
    Soon([&, this] {
      auto* dlg = Editor();
      CloseAtEnd closeEditor{dlg};
      QVERIFY(dlg && dlg->isVisible());
      QTest::keyClicks(dlg->CName, "Zed Co");
      dlg->CAdd1Edit->setText(typed);
      QCOMPARE(dlg->CShip1->text(), typed);  // auto-copy carries it as typed
      QTest::mouseClick(dlg->Button1, Qt::LeftButton);
      QCOMPARE(dlg->CShip1->text(), typed);
      QCOMPARE(dlg->CAdd1Edit->text(), typed);
      QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
      QVERIFY(dlg->isVisible());
      QCOMPARE(QString::fromStdString(prompter_.Texts().back()),
               QString::fromStdString(common::UnstorableCharacterText("Billing Address line 1", U'\u2019')));
      QCOMPARE(dlg->focusWidget(), static_cast<QWidget*>(dlg->CAdd1Edit));
      QCOMPARE(dlg->CAdd1Edit->text(), typed);
      dlg->CAdd1Edit->setText(QString::fromUtf8("Rue de l'\u00C9glise"));
      dlg->CstNote->setPlainText(QString(100, '\n') + QString(100, 'x'));  // 200 typed, 300 stored
      QCOMPARE(dlg->CstNote->toPlainText().size(), 200);
      QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
      QVERIFY(dlg->isVisible());
      QCOMPARE(dlg->focusWidget(), static_cast<QWidget*>(dlg->CstNote));
      dlg->CstNote->setPlainText("one\ntwo");
      QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
      QVERIFY(!dlg->isVisible());
    });
    Click("NewCustButn");
    QVERIFY(CurrentRow().startsWith("Zed Co"));
  });
  form_->exec();
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), "1C");
  common::RecordBuffer r(records::customer::kCustomerRecordLength);
  QVERIFY(records::customer::FindCustomerByName(block.get(), "Zed Co", r).has_value());
  QCOMPARE(common::ReadText(r, records::customer::kBillAddress1), std::string("Rue de l'\xC9glise"));
  QCOMPARE(common::ReadText(r, records::customer::kNotes), std::string("one\r\ntwo"));
}

QTEST_MAIN(TDemoFormTest)
#include "demo_form_test.moc"
