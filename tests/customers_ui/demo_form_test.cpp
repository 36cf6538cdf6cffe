// The Customer Manager and the customer editor driven by their control names on the offscreen
// platform: adding (and a refused empty name), the auto-copy, editing, order, the label queue,
// the Delete key, a long list imported from CSV and scrolled, Enter to pick, and an envelope
// printed to PDF and read back with pdftotext.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintDialog>
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
#include "engine/core/file_system.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "shell/ui/main_form.h"
#include "tests/support/data_folder_test.h"
#include "tests/support/company_file.h"
#include "tests/support/engine_work_folder.h"
#include "tests/support/fault_file_system.h"
#include "tests/support/print_dialog_answer.h"
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
  void reopenedManyTimes();
  void declinedNewFileClosesOnlyTheManager();
  void failedPickerSearchPicksNothing();
  void failedPrintJobSaysSo();
  void printWindowToPdf();
  void typedTextIsRefusedOnItsBoxNeverChanged();

 private:
  void AnswerPrintDialog(const QString& pdf, bool* seen);
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
      // The longest name shows whole, even in the widest letter: with the caret at its end the
      // field has not scrolled its start out of view.
      const int widest = QFontMetrics(dlg->CName->font()).horizontalAdvance(QString(35, 'W'));
      // The field scrolls its text when it paints.
      const auto caretAt = [dlg] {
        dlg->CName->grab();
        return dlg->CName->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
      };
      dlg->CName->clear();
      const int start = caretAt();
      dlg->CName->setText(QString(35, 'W'));
      dlg->CName->end(false);
      const int caret = caretAt() - start;
      QVERIFY2(caret >= widest,
               qPrintable(QString("name field %1 px, the name %2 px, caret at %3")
                              .arg(dlg->CName->width())
                              .arg(widest)
                              .arg(caret)));
      dlg->CName->clear();
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

// Answers the print dialog that opens next: "Print to File (PDF)" into `pdf`, or Cancel.
void TDemoFormTest::AnswerPrintDialog(const QString& pdf, bool* seen) { tf::test::AnswerPrintDialogSoon(pdf, seen); }

void TDemoFormTest::envelopeToPdf() {
  Import(3);
  const QString pdf = QString::fromStdString(folder_->path()) + "/envelope.pdf";
  Soon([this, pdf] {
    CloseAtEnd close{form_.get()};
    // Cancelling the print dialog prints nothing and says nothing was sent.
    bool seen = false;
    AnswerPrintDialog(QString(), &seen);
    Click("PrintEnvButn");
    QVERIFY(seen);
    QCOMPARE(Child<QLabel>("StatusBar1Panel1")->text(), QString("Right-click mouse or select from menu bar."));
    QVERIFY(!QFile::exists(pdf));
    // Through the print dialog into a PDF file.
    AnswerPrintDialog(pdf, &seen);
    Click("PrintEnvButn");
    QVERIFY(seen);
    QCOMPARE(Child<QLabel>("StatusBar1Panel1")->text(), QString("Envelope for Customer 100000 sent to printer."));
    QVERIFY(prompter_.Texts().empty());
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

// A job that cannot start (QPainter::begin refuses: the file cannot be written) says so, and
// the status bar does not claim the envelope was sent; "Print Window" fails the same way.
void TDemoFormTest::failedPrintJobSaysSo() {
  Import(1);
  const QString pdf = QString::fromStdString(folder_->path()) + "/no/such/folder/envelope.pdf";
  form_->Printer = [pdf] { return std::unique_ptr<common::PrintCanvas>(common::ui::PdfPrintCanvas(pdf)); };
  Soon([this] {
    CloseAtEnd close{form_.get()};
    Click("PrintEnvButn");
    QCOMPARE(prompter_.Texts(), std::vector<std::string>{"Printing failed."});
    QCOMPARE(prompter_.Shown().back().caption, std::string("Envelope"));
    QVERIFY(!Child<QLabel>("StatusBar1Panel1")->text().contains("sent to printer"));
    Child<QAction>("PrintWindow1")->trigger();
    QCOMPARE(prompter_.Texts().size(), std::size_t(2));
    QCOMPARE(prompter_.Texts().back(), std::string("Printing failed."));
    Click("SpeedButton2");
  });
  form_->exec();
  QVERIFY(!QFile::exists(pdf));
}

// "Print Window" through the print dialog: the window's image on a page of the PDF file.
void TDemoFormTest::printWindowToPdf() {
  Import(2);
  const QString pdf = QString::fromStdString(folder_->path()) + "/window.pdf";
  Soon([this, pdf] {
    CloseAtEnd close{form_.get()};
    bool seen = false;
    AnswerPrintDialog(pdf, &seen);
    Child<QAction>("PrintWindow1")->trigger();
    QVERIFY(seen);
    QVERIFY(prompter_.Texts().empty());
    Click("SpeedButton2");
  });
  form_->exec();
  QProcess info;
  info.start("pdfinfo", {pdf});
  QVERIFY(info.waitForFinished(20000));
  const QString out = QString::fromUtf8(info.readAllStandardOutput());
  QVERIFY2(out.contains(QRegularExpression("Pages:\\s+1\\b")), qPrintable(out));
  QVERIFY2(out.contains("Customer Manager"), qPrintable(out));
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

// Open, close and open again, in between opening a file block of longer records so that the
// closed customer handle is recycled for it, and with the window resized so that the list lays
// out a different number of rows: every showing lists the customers and no engine error appears.
void TDemoFormTest::reopenedManyTimes() {
  Import(40);
  for (int round = 0; round < 5; ++round) {
    form_->resize(900, 400 + 60 * round);
    QString row;
    Soon([&] {
      CloseAtEnd close{form_.get()};
      row = CurrentRow();
      Click("SpeedButton2");
    });
    QCOMPARE(form_->exec(), int(QDialog::Rejected));
    QVERIFY2(row.startsWith("Customer 100000"), qPrintable(QString("round %1: %2").arg(round).arg(row)));
    QCOMPARE(prompter_.Texts(), std::vector<std::string>{});  // no engine error shown
    QVERIFY(!form_->Model().IsOpen());
    QCOMPARE(form_->CustBrowser->KeyNumber(), 65535);  // the list holds no source once the file is closed
    // The handle the manager closed goes to the company file block (2736-byte records).
    engine::FileBlockGuard company;
    engine::OpenFileBlock(company.handle(), records::company::kCompanyFileBlock);
    QVERIFY(engine::EngineOK);
  }
}

// "I am going to create a new, empty customer file for this company." answered Cancel: the
// manager does not open, no file is made, and the program goes on; OK later creates it.
void TDemoFormTest::declinedNewFileClosesOnlyTheManager() {
  bool ended = false;
  form_->OnUnableToOpen = [&] { ended = true; };
  prompter_.Answer(PromptAnswer::Cancel);
  bool shown = false;
  Soon([&] {
    shown = form_->isVisible();
    if (shown) form_->reject();
  });
  QCOMPARE(form_->exec(), int(QDialog::Rejected));
  QCoreApplication::processEvents();  // the guard above runs now, had the window not shown
  QVERIFY(!shown);
  QVERIFY(!ended);
  QCOMPARE(prompter_.Texts(), std::vector<std::string>{"I am going to create a new, empty customer file for this company."});
  QVERIFY(!std::filesystem::exists("1C.DAT"));
  QVERIFY(!form_->Model().IsOpen());

  prompter_.Clear();
  prompter_.Answer(PromptAnswer::OK);
  Soon([&] {
    shown = form_->isVisible();
    form_->reject();
  });
  form_->exec();
  QVERIFY(shown);
  QVERIFY(!ended);
  QVERIFY(std::filesystem::exists("1C.DAT"));
}

// A picker whose search for its customer meets a failing index: the message is shown, nothing
// is picked and the program goes on; the next opening works. The read that fails is swept from
// the first read of the index on until the one the search makes is reached.
void TDemoFormTest::failedPickerSearchPicksNothing() {
  Import(5);
  bool ended = false;
  form_->OnUnableToOpen = [&] { ended = true; };
  tf::test::FaultFileSystem faults;
  bool searchFailed = false;
  for (int nth = 1; nth <= 12 && !searchFailed; ++nth) {
    faults.Reset();
    faults.ArmErrno(tf::test::FsCall::Read, EIO, nth, true, "1C.IX");
    prompter_.Clear();
    ended = false;
    bool shown = false;
    Soon([&] {
      shown = form_->isVisible();
      if (shown) form_->reject();
    });
    std::optional<common::RecordBuffer> picked;
    {
      engine::ScopedFileSystem scoped(faults);
      picked = form_->PickCustomer("Customer 100002", "102");
    }
    QVERIFY(!picked);
    QVERIFY(!form_->Model().IsOpen());
    if (prompter_.Texts() == std::vector<std::string>{"Customer Search operation failed"}) {
      searchFailed = true;
      QVERIFY(faults.InjectedCount() > 0);
      QVERIFY(!shown);
      QVERIFY(!ended);
    }
  }
  QVERIFY2(searchFailed, "no read of the index made the picker's search fail");
  prompter_.Clear();
  QString row;
  Soon([&] {
    CloseAtEnd close{form_.get()};
    row = CurrentRow();
    QTest::keyClick(form_->CustBrowser, Qt::Key_Return);
  });
  std::optional<common::RecordBuffer> picked = form_->PickCustomer("Customer 100002", "102");
  QVERIFY2(row.startsWith("Customer 100002"), qPrintable(row));
  QVERIFY(picked.has_value());
  QVERIFY(!ended);
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
