// The Invoice Manager window driven by its control names on the offscreen platform: the six
// views from the "&Display" menu, the customer filter button, find through the find window in
// invoice mode, the view window, customer data, print to a recording printer and the Delete key
// with its questions; the books agree afterwards.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <functional>
#include <memory>

#include "common/clock.h"
#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/recording_canvas.h"
#include "common/scripted_prompter.h"
#include "common/text.h"
#include "invoicing/books_check.h"
#include "invoicing/ui/inv_list.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/record_file.h"
#include "tests/invoicing/invoice_records.h"
#include "tests/support/company_file.h"
#include "tests/support/engine_work_folder.h"
#include "tests/support/status_sinks.h"

using namespace tf;
using namespace std::chrono;
using common::ReadText;
using common::RecordBuffer;
using common::WriteText;
namespace co = records::company;
namespace cu = records::customer;
namespace inv = records::invoice;

namespace {

struct NoViewer : common::TextReportViewer {
  void ShowTextFile(const std::string&, std::string_view) override {}
};

RecordBuffer Invoice(const std::string& number, const std::string& customer, const std::string& date,
                     const std::string& total, const std::string& paid, const std::string& keyCode) {
  RecordBuffer r(inv::kInvoiceRecordLength);
  WriteText(r, inv::kInvoiceNumber, number);
  WriteText(r, inv::kRecordKind, "I");
  WriteText(r, inv::kKeyCode, keyCode);
  WriteText(r, inv::kCustomerNumber, customer);
  WriteText(r, inv::kCompanyNumber, "1");
  inv::SetInvoiceDate(r, date, common::DateFormat::MonthFirst);
  WriteText(r, inv::kPrintedFlag, "N");
  WriteText(r, inv::kTerms, "Net 30 Days");
  WriteText(r, inv::kInvoiceType, "P");
  WriteText(r, inv::kShortName, customer);
  WriteText(r, inv::kTotalAmount, total);
  WriteText(r, inv::kTaxAmount, "0.00");
  WriteText(r, inv::kPaidAmount, paid);
  const auto t = common::ParseAmount(total), p = common::ParseAmount(paid);
  WriteText(r, inv::kBalanceDue, common::Format0_00(*t - *p));
  return r;
}

RecordBuffer Line(const std::string& number, const std::string& text) {
  RecordBuffer r(inv::kLineRecordLength);
  WriteText(r, inv::kLineText, text);
  WriteText(r, inv::kLineKind, "P");
  WriteText(r, inv::kLineInvoiceNumber, number);
  WriteText(r, inv::kLineDateKey, "1999/03/01");
  return r;
}

}  // namespace

class TinvlistTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void viewsFilterFindViewPrintAndDeleteByControlNames();

 private:
  static void Soon(std::function<void()> step) { QTimer::singleShot(0, std::move(step)); }
  template <class T> T* Child(const char* name) const { return form_->findChild<T*>(name); }
  void Click(const char* button) { QTest::mouseClick(Child<QToolButton>(button), Qt::LeftButton); }
  QString Text(const char* label) const { return Child<QLabel>(label)->text(); }
  // The invoice numbers of the rows on show, and of the current row.
  QStringList Numbers() const {
    QStringList numbers;
    const auto& m = form_->InvBrowser1->Model();
    for (int n = 1; n <= m.RowsFilled(); ++n) numbers << QString::fromLatin1(m.Row(n).Row.substr(13, 9).c_str()).trimmed();
    return numbers;
  }
  QString Current() const {
    const auto& m = form_->InvBrowser1->Model();
    return m.CurrentRow() ? QString::fromLatin1(m.Row(m.CurrentRow()).Row.substr(13, 9).c_str()).trimmed() : QString();
  }
  void GoTo(const QString& number) {
    for (int i = 0; i < 10 && Current() != number; ++i) QTest::keyClick(form_->InvBrowser1, Qt::Key_Down);
    for (int i = 0; i < 10 && Current() != number; ++i) QTest::keyClick(form_->InvBrowser1, Qt::Key_Up);
  }

  std::unique_ptr<test::EngineWorkFolder> folder_;
  common::ScriptedPrompter prompter_;
  common::FixedClock clock_{1999y / March / 20d};
  test::SilentStatus status_;
  NoViewer viewer_;
  records::CompanyBook book_;
  correspondence::LabelQueue labels_;
  std::unique_ptr<invoicing::ui::Tinvlist> form_;
};

void TinvlistTest::init() {
  folder_ = std::make_unique<test::EngineWorkFolder>(engine::kMinPageBuffers);
  prompter_.Clear();
  RecordBuffer company = invoicing::testing::InvoicingCompany("8");
  WriteText(company, co::kCompanyBalance, "140.00");
  WriteText(company, co::kLastInvoiceNumber, "1002");
  WriteText(company, co::kInvoiceTitle, "INVOICE");
  QVERIFY(test::MakeCompanyFile(company));
  std::copy(company.begin(), company.end(), book_.Current().begin());

  common::ScriptedPrompter quiet{common::PromptAnswer::OK, common::PromptAnswer::OK};
  engine::FileBlockGuard customers;
  QVERIFY(cu::OpenCustomerFile(customers.handle(), "1", quiet, status_));
  RecordBuffer ann = invoicing::testing::InvoicingCustomer("C1", "Ann Smith", "ANN", "90.00");
  WriteText(ann, cu::kAgingAmount1, "70.00");
  WriteText(ann, cu::kAgingAmount2, "20.00");
  const RecordBuffer bob = invoicing::testing::InvoicingCustomer("C2", "Bob Jones", "BOB", "50.00");
  std::int32_t ref = 0;
  for (const RecordBuffer* c : {static_cast<const RecordBuffer*>(&ann), &bob})
    QVERIFY(records::AddKeyedRecord(customers.get(), cu::CustomerFileKind(), *c, ref, quiet));
  customers.Close();

  engine::FileBlockGuard invoices, lines;
  QVERIFY(inv::OpenInvoiceFile(invoices.handle(), "1", quiet, status_));
  QVERIFY(inv::OpenLineFile(lines.handle(), "1", quiet, status_));
  for (const RecordBuffer& r : {Invoice("1001", "C1", "03/01/1999", "100.00", "30.00", "None"),
                                Invoice("1002", "C2", "03/05/1999", "50.00", "0.00", "None"),
                                Invoice("1003", "C1", "02/10/1999", "20.00", "0.00", "Rush")})
    QVERIFY(inv::AddInvoice(invoices.get(), r, ref, quiet));
  for (const char* text : {"1         Widget                          100.00    N100.00     ",
                           "          Thank you                                 "})
    QVERIFY(inv::AddLine(lines.get(), Line("1001", text), ref, quiet));
  invoices.Close();
  lines.Close();

  form_ = std::make_unique<invoicing::ui::Tinvlist>(
      invoicing::ui::InvListServices{{book_, prompter_, status_, viewer_, clock_}, &labels_, [] { return false; }},
      nullptr);
  form_->ShowHelp = [](std::string_view) {};
}

void TinvlistTest::cleanup() {
  form_.reset();
  folder_.reset();
}

void TinvlistTest::viewsFilterFindViewPrintAndDeleteByControlNames() {
  // The title of what the printer the window chose (and let go of) printed.
  struct KeptCanvas : common::RecordingCanvas {
    explicit KeptCanvas(std::string& title) : title_(title) {}
    ~KeptCanvas() override { title_ = Title(); }
    std::string& title_;
  };
  std::string printedTitle;
  form_->ChooseInvoicePrinter = [&] {
    return invoicing::ChosenPrinter{std::make_unique<KeptCanvas>(printedTitle), false};
  };
  bool stepsRan = false;
  Soon([&] {
    struct CloseAtEnd {
      QDialog* dialog;
      ~CloseAtEnd() {
        if (dialog->isVisible()) dialog->reject();
      }
    } close{form_.get()};
    QCOMPARE(form_->windowTitle(), QString("Invoice Manager"));
    QCOMPARE(Text("CName"), QString("Acme Books - #1"));
    QCOMPARE(Text("ARBal"), QString("140.00"));
    QCOMPARE(Text("CFilter"), QString("Filter Closed"));
    QCOMPARE(Text("StatusBar1Panel0"), QString("Records: 3"));
    QCOMPARE(Text("StatusBar1Panel1"), QString("Right-click mouse or select from menu bar."));
    QCOMPARE(Text("StatusBar1Panel2"), QString("Timer off"));
    QCOMPARE(Current(), QString("1002"));  // the company's last invoice
    QVERIFY(Child<QAction>("ByDate1")->isChecked());

    // Each view from the menu: its order, its check mark, the list on the same record.
    const std::vector<std::pair<const char*, QStringList>> views = {
        {"ByNumber1", {"1001", "1002", "1003"}},  {"ByCustomer1", {"1001", "1003", "1002"}},
        {"ByKeyCode1", {"1001", "1002", "1003"}}, {"ByType1", {"1001", "1002", "1003"}},
        {"ByDatePaid1", {"1001", "1002", "1003"}}, {"ByDate1", {"1003", "1001", "1002"}},
    };
    for (const auto& [name, order] : views) {
      Child<QAction>(name)->trigger();
      QCOMPARE(Numbers(), order);
      QVERIFY(Child<QAction>(name)->isChecked());
      QCOMPARE(Current(), QString("1002"));
    }

    // The filter on C1 and off again.
    GoTo("1001");
    QCOMPARE(Current(), QString("1001"));
    Click("FilterButn");
    QCOMPARE(Text("CFilter"), QString("Filtering Customer#: C1"));
    QCOMPARE(Text("StatusBar1Panel1"), QString("Click filter button again to clear filter."));
    QCOMPARE(Numbers(), (QStringList{"1003", "1001"}));
    Child<QAction>("ByNumber1")->trigger();
    QCOMPARE(Numbers(), (QStringList{"1001", "1003"}));
    Click("FilterButn");
    QCOMPARE(Text("CFilter"), QString("Filter Closed"));
    QCOMPARE(Text("StatusBar1Panel1"), QString("Filter closed."));
    QCOMPARE(Numbers(), (QStringList{"1001", "1002", "1003"}));

    // Find: the key code "rush" in the find window's invoice mode.
    Soon([this] {
      auto& box = form_->FindBox();
      QCOMPARE(box.windowTitle(), QString("Find Invoice/Payment"));
      QTest::keyClicks(box.findChild<QLineEdit*>("FindText"), "rush");
      QTest::mouseClick(box.findChild<QPushButton*>("FindButton"), Qt::LeftButton);
      auto* list = box.findChild<QTreeWidget*>("ListView1");
      QCOMPARE(list->topLevelItemCount(), 1);
      QCOMPARE(list->headerItem()->text(6), QString("Reference/Notes/Comments"));
      list->setCurrentItem(list->topLevelItem(0));
      emit list->itemDoubleClicked(list->topLevelItem(0), 0);
      if (box.isVisible()) box.reject();
    });
    Click("SpeedButton1");
    QCOMPARE(Current(), QString("1003"));

    // View: the invoice on screen; any key closes it.
    GoTo("1001");
    QString viewCaption;
    int viewRows = -1;
    Soon([&] {
      auto& view = form_->ViewWindow();
      viewCaption = view.windowTitle();
      viewRows = view.ListView1->topLevelItemCount();
      QCOMPARE(view.findChild<QLabel*>("IBal")->text(), QString("70.00"));
      QTest::keyClick(&view, Qt::Key_Space);
      if (view.isVisible()) view.reject();
    });
    Click("ViewButn");
    QCOMPARE(viewCaption, QString("View Invoice# 1001"));
    QCOMPARE(viewRows, 2);
    QVERIFY(!form_->ViewWindow().isVisible());

    // Customer data with Enter on the list.
    QString customer, invoiceNumber;
    Soon([&] {
      auto& quick = form_->QuickView();
      customer = quick.findChild<QLabel*>("CustName")->text();
      invoiceNumber = quick.findChild<QLabel*>("InvNo")->text();
      QTest::mouseClick(quick.findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
    });
    QTest::keyClick(form_->InvBrowser1, Qt::Key_Return);
    QCOMPARE(customer, QString("Ann Smith"));
    QCOMPARE(invoiceNumber, QString("1001   (Product Invoice)"));

    // Print: to the printer chosen, and marked.
    Click("PrintButn");
    QCOMPARE(QString::fromStdString(printedTitle), QString("Invoice - 1001"));
    QCOMPARE(Text("StatusBar1Panel1"), QString("Invoice 1001 sent to print queue."));

    // Delete with the Delete key: the payment note, then the question.
    prompter_.Clear();
    prompter_.Answer(common::PromptAnswer::Yes);
    QTest::keyClick(form_->InvBrowser1, Qt::Key_Delete);
    QCOMPARE(prompter_.Shown().size(), std::size_t(2));
    QCOMPARE(QString::fromStdString(prompter_.Shown()[1].caption), QString("Delete Invoice#: 1001"));
    QCOMPARE(Text("StatusBar1Panel1"), QString("Deleted invoice 1001 containing 2 line item(s)."));
    QCOMPARE(Text("StatusBar1Panel0"), QString("Records: 2"));
    QCOMPARE(Text("ARBal"), QString("70.00"));
    QCOMPARE(Numbers(), (QStringList{"1002", "1003"}));  // still by number
    stepsRan = true;
  });
  form_->exec();
  QVERIFY(stepsRan);

  // The books agree: customer C1 owes 20.00 for 1003, the company 70.00.
  engine::FileBlockGuard customers;
  common::ScriptedPrompter quiet;
  QVERIFY(cu::OpenCustomerFile(customers.handle(), "1", quiet, status_));
  RecordBuffer ann = cu::NewCustomerRecord();
  QVERIFY(cu::FindCustomerByNumber(customers.get(), "C1", ann));
  QCOMPARE(QString::fromStdString(ReadText(ann, cu::kBalance)), QString("20.00"));
  QCOMPARE(QString::fromStdString(ReadText(ann, cu::kAgingAmount1)), QString("0.00"));
  QCOMPARE(QString::fromStdString(ReadText(ann, cu::kAgingAmount2)), QString("20.00"));
  customers.Close();
  const invoicing::BooksReport report = invoicing::CheckBooks("1", ReadText(book_.Current(), co::kCompanyBalance));
  QVERIFY2(report.Clean(), report.findings.empty() ? "" : report.findings[0].c_str());
}

QTEST_MAIN(TinvlistTest)
#include "invoice_manager_window_test.moc"
