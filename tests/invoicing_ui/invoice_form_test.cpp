// Invoice entry driven by its control names: pick a customer, pick two products, add a comment
// row, save; reopen the invoice, change the paid amount, save again; and a refused OK keeping
// the dialog open on the field concerned.

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <fstream>
#include <functional>
#include <memory>

#include "common/clock.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "invoicing/books_check.h"
#include "invoicing/ui/invoice_form.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/product_file.h"
#include "records/product_record.h"
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
namespace pr = records::product;
namespace inv = records::invoice;

class TInvoiceTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void pickSaveReopenAndEdit();
  void aRefusedOkKeepsTheDialogOpen();
  void savedLinesComeBack();
  void gridColumnsShowTheirTextsAndFillTheGrid();
  void totalsCaptionsLeadToTheirFields();

 private:
  // Runs `step` once the dialog shows; a failed step still closes it.
  void Soon(std::function<void()> step) {
    QTimer::singleShot(0, [this, step = std::move(step)] {
      step();
      if (dlg_->isVisible()) dlg_->reject();
    });
  }
  void Press(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
  void SetCell(int row, int column, const QString& text) { dlg_->StringGrid1->item(row, column)->setText(text); }
  QString Cell(int row, int column) { return dlg_->StringGrid1->item(row, column)->text(); }
  RecordBuffer Product(const std::string& code, const std::string& description, const std::string& price,
                       bool taxable) {
    RecordBuffer p(pr::kProductRecordLength);
    WriteText(p, pr::kProductCode, code);
    WriteText(p, pr::kProductDescription, description);
    WriteText(p, pr::kSalesPrice, price);
    common::WriteBool(p, pr::kTaxable, taxable);
    return p;
  }
  RecordBuffer StoredCustomer() {
    engine::FileBlockGuard customers;
    common::ScriptedPrompter quiet;
    RecordBuffer c = cu::NewCustomerRecord();
    if (cu::OpenCustomerFile(customers.handle(), "1", quiet, status_)) cu::FindCustomerByNumber(customers.get(), "C1", c);
    return c;
  }

  std::unique_ptr<test::EngineWorkFolder> folder_;
  common::ScriptedPrompter prompter_;
  common::FixedClock clock_{2000y / January / 10d};
  test::SilentStatus status_;
  records::CompanyBook book_;
  std::unique_ptr<invoicing::ui::TInvoice> dlg_;
  std::vector<RecordBuffer> products_;
  int productPicks_ = 0;
  std::vector<std::string> pickedCustomerAsked_;
  bool pickerHadInvoices_ = true;  // the customer picker gets the open invoice file
};

void TInvoiceTest::init() {
  folder_ = std::make_unique<test::EngineWorkFolder>(engine::kMinPageBuffers);
  prompter_.Clear();
  const RecordBuffer company = invoicing::testing::InvoicingCompany("10");
  QVERIFY(test::MakeCompanyFile(company));
  std::copy(company.begin(), company.end(), book_.Current().begin());
  std::ofstream("VQTERMS.DAT", std::ios::binary) << "Net 30 Days\r\n";

  common::ScriptedPrompter quiet{common::PromptAnswer::OK, common::PromptAnswer::OK};
  engine::FileBlockGuard customers;
  QVERIFY(cu::OpenCustomerFile(customers.handle(), "1", quiet, status_));
  const RecordBuffer c = invoicing::testing::InvoicingCustomer("C1", "Ann Smith", "SMITH");
  std::int32_t ref = 0;
  QVERIFY(records::AddKeyedRecord(customers.get(), cu::CustomerFileKind(), c, ref, quiet));
  customers.Close();
  engine::FileBlockGuard products;
  QVERIFY(pr::OpenProductFile(products.handle(), "1", quiet, status_));
  products_ = {Product("P1", "Paper", "4.00", true), Product("P2", "Ink", "12.50", false)};
  for (const RecordBuffer& p : products_)
    QVERIFY(records::AddKeyedRecord(products.get(), pr::ProductFileKind(), p, ref, quiet));
  products.Close();

  dlg_ = std::make_unique<invoicing::ui::TInvoice>(
      invoicing::ui::InvoiceFormServices{prompter_, clock_, book_, status_});
  productPicks_ = 0;
  dlg_->PickCustomer = [this](const std::string&, const std::string& number,
                              engine::FileBlock* invoices) -> std::optional<RecordBuffer> {
    pickedCustomerAsked_.push_back(number);
    pickerHadInvoices_ = pickerHadInvoices_ && invoices != nullptr;
    return std::optional<RecordBuffer>(StoredCustomer());
  };
  dlg_->PickProduct = [this](std::string_view, std::string_view) {
    return std::optional<RecordBuffer>(products_.at(std::size_t(productPicks_++)));
  };
}

void TInvoiceTest::cleanup() {
  dlg_.reset();
  folder_.reset();
}

void TInvoiceTest::pickSaveReopenAndEdit() {
  std::vector<std::string> printed;
  dlg_->PrintInvoice = [&](const std::string& number) { printed.push_back(number); };
  Soon([this] {
    QCOMPARE(dlg_->IMode->text(), QString("Add Mode"));
    QCOMPARE(dlg_->INum->text(), QString("100"));
    QCOMPARE(dlg_->CheckBox2->text(), QString("Calc. Tax at 10%"));
    QCOMPARE(dlg_->Label24->text(), QString("Over 90:"));
    Press(dlg_->BottButn);
    QCOMPARE(dlg_->StringGrid1->currentRow(), 98);
    Press(dlg_->BitBtn3);
    QCOMPARE(dlg_->ICustName->text(), QString("Ann Smith"));
    QCOMPARE(dlg_->ICustNo->text(), QString("C1"));
    dlg_->StringGrid1->setCurrentCell(0, 1);
    Press(dlg_->SpeedButton2);
    dlg_->StringGrid1->setCurrentCell(1, 1);
    Press(dlg_->SpeedButton2);
    SetCell(0, 2, "3");  // 3 x 4.00, taxable
    QCOMPARE(Cell(0, 6), QString("12.00"));
    dlg_->StringGrid1->setCurrentCell(2, 1);
    Press(dlg_->MakeNote);
    SetCell(2, 3, "Thank you");
    QCOMPARE(dlg_->INet->text(), QString("24.50"));
    QCOMPARE(dlg_->ITax->text(), QString("1.20"));
    QCOMPARE(dlg_->ITotal->text(), QString("25.70"));
    dlg_->PrintFlag->setChecked(true);
    dlg_->Entry()->SetDate("12/15/1999");
    Press(dlg_->OKButton);
  });
  QVERIFY(dlg_->AddInvoice());
  QCOMPARE(dlg_->LastStatus(), std::string("Added invoice 100 containing 3 line item(s)."));
  QVERIFY(pickerHadInvoices_);
  QCOMPARE(pickedCustomerAsked_, std::vector<std::string>{""});
  QCOMPARE(printed, std::vector<std::string>{"100"});
  QCOMPARE(ReadText(StoredCustomer(), cu::kBalance), std::string("25.70"));
  QCOMPARE(ReadText(book_.Current(), co::kNextInvoiceNumber), std::string("101"));

  Soon([this] {
    QCOMPARE(dlg_->windowTitle(), QString("Edit Invoice"));
    QCOMPARE(dlg_->IMode->text(), QString("Edit Mode"));
    QVERIFY(!dlg_->BitBtn3->isEnabled());
    QCOMPARE(dlg_->INum->text(), QString("100"));
    QCOMPARE(Cell(0, 1), QString("P1"));
    QCOMPARE(Cell(1, 3), QString("Ink"));
    QCOMPARE(Cell(2, 3), QString("Thank you"));
    QCOMPARE(dlg_->ITotal->text(), QString("25.70"));
    dlg_->IPaid->selectAll();
    QTest::keyClicks(dlg_->IPaid, "5.70");
    QCOMPARE(dlg_->BalDue->text(), QString("20.00"));
    Press(dlg_->OKButton);
  });
  QVERIFY(dlg_->EditInvoice("100"));
  QCOMPARE(dlg_->LastStatus(), std::string("Editing invoice 100 completed."));
  const RecordBuffer customer = StoredCustomer();
  QCOMPARE(ReadText(customer, cu::kBalance), std::string("20.00"));
  QCOMPARE(ReadText(customer, cu::kLastPaymentDate), std::string("12/15/1999"));
  const invoicing::BooksReport report = invoicing::CheckBooks("1", ReadText(book_.Current(), co::kCompanyBalance));
  QVERIFY2(report.Clean(), report.findings.empty() ? "" : report.findings.front().c_str());
  QCOMPARE(report.lines, 3);

  // The next new invoice is proposed with the last one's date and the next number.
  Soon([this] {
    QCOMPARE(dlg_->IDate->text(), QString("12/15/1999"));
    QCOMPARE(dlg_->INum->text(), QString("101"));
    Press(dlg_->InvClose);
  });
  QVERIFY(!dlg_->AddInvoice());
}

void TInvoiceTest::aRefusedOkKeepsTheDialogOpen() {
  Soon([this] {
    Press(dlg_->OKButton);  // no customer yet
    QVERIFY(dlg_->isVisible());
    QCOMPARE(prompter_.Texts().back(), std::string("You need to select a customer."));
    QVERIFY(dlg_->BitBtn3->hasFocus() || !dlg_->isActiveWindow());
    Press(dlg_->BitBtn3);
    SetCell(3, 2, "1,5");
    Press(dlg_->OKButton);
    QVERIFY(dlg_->isVisible());
    QCOMPARE(prompter_.Texts().back(), std::string("Line 4 has an invalid QUANTITY value."));
    QCOMPARE(dlg_->StringGrid1->currentRow(), 3);
    Press(dlg_->InvClose);
  });
  QVERIFY(!dlg_->AddInvoice());
  QCOMPARE(invoicing::CheckBooks("1", "0.00").invoices, 0);
}

// The description column holds a whole 25-character description and its heading, and the
// columns together reach across the grid at any window size (the extension takes the rest).
void TInvoiceTest::gridColumnsShowTheirTextsAndFillTheGrid() {
  for (const QSize size : {QSize(1000, 700), QSize(1400, 800)}) {
    Soon([this, size] {
      dlg_->resize(size);
      QCoreApplication::processEvents();
      QTableWidget* grid = dlg_->StringGrid1;
      const QFontMetrics metrics(grid->font());
      QVERIFY(grid->columnWidth(3) > metrics.horizontalAdvance(QString(25, 'X')));
      QVERIFY(grid->columnWidth(3) > metrics.horizontalAdvance("Description / Comment"));
      QVERIFY(grid->columnWidth(2) > metrics.horizontalAdvance("1,000.00"));
      int total = 0;
      for (int c = 0; c < grid->columnCount(); ++c) total += grid->columnWidth(c);
      QCOMPARE(total, grid->viewport()->width());
      Press(dlg_->InvClose);
    });
    QVERIFY(!dlg_->AddInvoice());
  }
}

// "&Net:", "&Tax:" and "&Paid Amount:" mark shortcut keys: each label has its field as buddy,
// so the "&" is not shown as a character.
void TInvoiceTest::totalsCaptionsLeadToTheirFields() {
  Soon([this] {
    const std::pair<QString, QWidget*> captions[] = {
        {"&Net:", dlg_->INet}, {"&Tax:", dlg_->ITax}, {"&Paid Amount:", dlg_->IPaid}};
    for (const auto& [caption, field] : captions) {
      QLabel* label = nullptr;
      for (QLabel* l : dlg_->findChildren<QLabel*>())
        if (l->text() == caption) label = l;
      QVERIFY2(label, qPrintable(caption));
      QCOMPARE(label->buddy(), field);
    }
    Press(dlg_->InvClose);
  });
  QVERIFY(!dlg_->AddInvoice());
}

void TInvoiceTest::savedLinesComeBack() {
  Soon([this] {
    Press(dlg_->TimeBtn);
    QCOMPARE(dlg_->TimeBtn->text(), QString("&Stop"));
    QCOMPARE(dlg_->StartTime->text(), QString("00:00:00"));
    clock_.Set(clock_.Now() + std::chrono::minutes(90));
    QTRY_COMPARE_WITH_TIMEOUT(dlg_->ElapsedTime->text(), QString("01:30:00"), 3000);  // the next tick
    QCOMPARE(dlg_->ToHours->text(), QString("01.500"));
    SetCell(0, 3, "Kept row");
    SetCell(0, 4, "2.00");
    Press(dlg_->ExportButn);
    QCOMPARE(prompter_.Texts().back(), std::string("The saved lines file has been replaced with the current invoice lines."));
    Press(dlg_->UndoAll);
    QCOMPARE(Cell(0, 3), QString());
    QCOMPARE(dlg_->ITotal->text(), QString("0.00"));
    Press(dlg_->ImportButn);
    QCOMPARE(Cell(0, 3), QString("Kept row"));
    QCOMPARE(dlg_->ITotal->text(), QString("2.00"));
    Press(dlg_->InvClose);
  });
  QVERIFY(!dlg_->AddInvoice());
}

QTEST_MAIN(TInvoiceTest)
#include "invoice_form_test.moc"
