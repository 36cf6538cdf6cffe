// The Report Wizard driven by its control names over a small company's books: every report
// through View to the result screen, the checks of the dates, sorting and sub-totals on the
// screen, saving, printing to PDF read back with pdftotext, and the tool's --pdf.

#include <QProcess>
#include <QTimer>
#include <QtTest>

#include <filesystem>

#include "app/cli/cli.h"
#include "common/recording_canvas.h"
#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "common/ui/qt_print_canvas.h"
#include "reports/report_output.h"
#include "app/cli/qt/pdf_canvas.h"
#include "reports/ui/report_forms.h"
#include "tests/reports/report_fixture.h"
#include "tests/support/company_file.h"
#include "tests/support/engine_work_folder.h"
#include "tests/support/external_peer.h"
#include "tests/support/status_sinks.h"

namespace tf::reports::ui {
namespace {

using namespace std::chrono;

QString PdfText(const QString& pdf) {
  QProcess p;
  p.start("pdftotext", {"-layout", pdf, "-"});
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

class TReportWizardTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::EngineWorkFolder> folder_;
  common::RecordBuffer company_ = testing::ReportCompany();
  common::FixedClock clock_{local_days{2024y / March / 15} + hours{9}};
  common::ScriptedPrompter prompter_;
  test::RecordingStatus status_;
  std::unique_ptr<Trtreport> result_;
  std::unique_ptr<TRptSelect> select_;

  // Runs View; while the result screen is up, `look` sees it, then it is closed.
  bool View(const std::function<void(Trtreport&)>& look) {
    bool shown = false;
    QTimer::singleShot(0, this, [&] {
      if (!result_->isVisible()) return;
      shown = true;
      look(*result_);
      QTest::mouseClick(result_->ExitButn, Qt::LeftButton);
    });
    const bool viewed = select_->Button1Click();
    return viewed && shown;
  }

 private slots:
  void init() {
    folder_ = std::make_unique<test::EngineWorkFolder>(engine::kMinPageBuffers);
    QVERIFY(test::MakeCompanyFile(company_));
    testing::WriteBooks(testing::FixtureInvoices(), testing::FixtureLines());
    prompter_.Clear();
    result_ = std::make_unique<Trtreport>(prompter_);
    select_ = std::make_unique<TRptSelect>(
        TRptSelect::Services{prompter_, clock_, status_, [this] { return std::span<const std::uint8_t>(company_); }},
        *result_);
    select_->show();
    QVERIFY(QTest::qWaitForWindowExposed(select_.get()));
  }

  void cleanup() {
    select_.reset();
    result_.reset();
    folder_.reset();
  }

  void showingStartsOnMonthToDateAndTheFirstReport() {
    QCOMPARE(select_->ListBox1->currentRow(), 0);
    QCOMPARE(select_->ComboBox1->currentText(), QString("Month to Date"));
    QCOMPARE(select_->IDate->text(), QString("03/01/2024"));
    QCOMPARE(select_->EndDt->text(), QString("03/15/2024"));
    QVERIFY(select_->RType->text().startsWith("Lists all invoices created in the selected period."));
    select_->ListBox1->setCurrentRow(2);
    QVERIFY(!select_->IDate->isVisible());
    QCOMPARE(select_->Label1->text(), QString("Searches all dates..."));
  }

  // Dates typed over those of a preset are the user's own: the preset box says "Custom Dates".
  void typedDatesMakeThePresetCustom() {
    select_->IDate->setFocus();
    select_->IDate->selectAll();
    QTest::keyClicks(select_->IDate, "02012024");
    QCOMPARE(select_->IDate->text(), QString("02/01/2024"));
    QCOMPARE(select_->ComboBox1->currentText(), QString("Custom Dates"));
    QCOMPARE(select_->EndDt->text(), QString("03/15/2024"));
  }

  void everyReportThroughViewToTheResultScreen() {
    const struct {
      const char* caption;
      std::size_t records;
      const char* grandTotal;  // the last cell of the grand total row
    } expected[] = {
        {"Invoice Register by Date", 4, "C"},
        {"Payment Register by Date", 4, "C"},
        {"Accounts Receivable by Category", 6, "C"},
        {"Sales Report by Product Description", 5, "190.00"},
        {"Key Code Inquiry by Key Code", 4, "C"},
        {"Tax Report by Date", 4, "C"},
        {"Repeat Billing List by Next Due", 1, "C"},
    };
    select_->ComboBox1->setCurrentText("Current Month");
    QCOMPARE(select_->EndDt->text(), QString("03/31/2024"));
    for (int i = 0; i < 7; ++i) {
      select_->ListBox1->setCurrentRow(i);
      QString title;
      std::size_t records = 0;
      QString lastHeading;
      QVERIFY2(View([&](Trtreport& r) {
                 title = r.windowTitle();
                 records = r.Current().RecordCount();
                 QAbstractItemModel* m = r.RptGrid->model();
                 lastHeading = m->headerData(m->columnCount() - 1, Qt::Horizontal).toString();
                 QCOMPARE(m->data(m->index(m->rowCount() - 1, int(TotalsOf(r.Current().kind).labelColumn))).toString(),
                          QString("Grand Total"));
               }),
               expected[i].caption);
      QCOMPARE(title, QString(expected[i].caption));
      QCOMPARE(records, expected[i].records);
    }
    QVERIFY(prompter_.Texts().empty());
    QVERIFY(status_.events.empty());  // a small report comes up without a status window
  }

  void badDatesAndEmptyRangesAreSaidAndShowNothing() {
    select_->IDate->setText("02/30/2024");
    QVERIFY(!View([](Trtreport&) {}));
    select_->IDate->setText("03/20/2024");
    select_->EndDt->setText("03/10/2024");
    QVERIFY(!View([](Trtreport&) {}));
    select_->IDate->setText("01/01/2020");
    select_->EndDt->setText("12/31/2020");
    QVERIFY(!View([](Trtreport&) {}));
    QCOMPARE(prompter_.Texts(),
             (std::vector<std::string>{
                 "You have an invalid beginning date. You can clear the date and then select the calendar button.",
                 "Your beginning date is not older than your ending date.",
                 "No matching records found for the dates entered."}));
    QCOMPARE(prompter_.Shown()[2].caption, std::string("Invoice Register"));
  }

  // The grid measures columns on its first thousand rows; the totals after them are the widest
  // cells of a long report and must not be cut.
  void theTotalsAfterAThousandRowsFitTheirColumns() {
    std::vector<testing::InvoiceRow> many;
    for (int i = 0; i < 1200; ++i)
      many.push_back({std::to_string(1000 + i), "I", "C2", "BOB", "03/02/2024", "999,999.00", "0.00", "999,999.00",
                      "0.00", "999,999.00"});
    testing::WriteBooks(many, {});
    select_->ComboBox1->setCurrentText("Current Month");
    select_->ListBox1->setCurrentRow(0);
    QVERIFY(View([&](Trtreport& r) {
      const QFontMetrics metrics(r.RptGrid->font());
      const ReportRow& grand = r.Current().rows.back();
      QCOMPARE(int(grand.Type()), int(RowType::GrandTotal));
      int checked = 0;
      for (std::size_t c = 0; c < grand.CellCount(); ++c) {
        const QString cell = QString::fromStdString(std::string(grand.Cell(c)));
        if (cell.trimmed().isEmpty()) continue;
        QVERIFY2(r.RptGrid->columnWidth(int(c)) >= metrics.horizontalAdvance(cell),
                 qPrintable(QString("column %1 cuts \"%2\"").arg(c).arg(cell)));
        ++checked;
      }
      QVERIFY(checked >= 2);  // the caption and at least one sum
    }));
  }

  void sortingSubTotalsSavingAndPrintingOnTheResultScreen() {
    select_->ComboBox1->setCurrentText("Current Month");
    select_->ListBox1->setCurrentRow(0);
    const QString saved = QString::fromStdString((std::filesystem::current_path() / "IR.TXT").string());
    QString proposed;
    QString pdf = QString::fromStdString((std::filesystem::current_path() / "ir.pdf").string());
    QVERIFY(View([&](Trtreport& r) {
      const std::size_t withTotals = r.Current().rows.size();
      QTest::mouseClick(r.stotals, Qt::LeftButton);  // off: the records, a blank row, the grand total
      QCOMPARE(r.Current().rows.size(), r.Current().RecordCount() + 2);
      QTest::mouseClick(r.stotals, Qt::LeftButton);
      QCOMPARE(r.Current().rows.size(), withTotals);
      r.SortCol->setCurrentText("3");  // column 2, the short name
      QCOMPARE(r.windowTitle(), QString("Invoice Register by Short Name"));
      QVERIFY(!r.SortOn(5));  // beyond the last sort column: only a beep
      QCOMPARE(r.windowTitle(), QString("Invoice Register by Short Name"));
      // The box shows no column after a sort, so the same choice again sorts again: the
      // exchange of columns is undone, and done once more.
      QCOMPARE(r.SortCol->currentIndex(), -1);
      r.SortCol->setCurrentText("3");
      QCOMPARE(r.windowTitle(), QString("Invoice Register by Date"));
      r.SortCol->setCurrentText("3");
      QCOMPARE(r.windowTitle(), QString("Invoice Register by Short Name"));
      r.ChooseSaveFile = [&](const QString& name) {
        proposed = name;
        return saved;
      };
      QTest::mouseClick(r.SaveButn, Qt::LeftButton);
      r.ChoosePrinter = [&]() -> std::unique_ptr<common::PrintCanvas> { return common::ui::PdfPrintCanvas(pdf); };
      QTest::mouseClick(r.InvPrint, Qt::LeftButton);
    }));
    QCOMPARE(proposed, QString("Invoice Register.TXT"));
    const std::string text = common::ReadWholeFile(saved.toStdString());
    QVERIFY(text.starts_with("Invoice Register by Short Name\r\nAcme Books\r\nDate: Friday, March 15, 2024, 09:00 AM"));
    QVERIFY(text.find(" ANN          100          2024/03/01") != std::string::npos);
    TF_NEED_PEERS_QTEST("reading printed reports back", "pdftotext");
    const QString printed = PdfText(pdf);
    QVERIFY2(printed.contains("Invoice Register by Short Name"), qPrintable(printed));
    QVERIFY(printed.contains("Report Complete. 4 records printed."));
    QVERIFY(printed.contains(QRegularExpression("Grand Total\\s+283\\.00\\s+15\\.25\\s+298\\.25")));
  }

  // A report over many records says in the status window how far the reading has come, then
  // that it sorts, and closes it before the result screen shows.
  void aLongReportShowsItsProgressAndClosesItBeforeTheResult() {
    std::vector<testing::LineRow> many;
    for (int i = 0; i < 60'000; ++i)
      many.push_back({"M" + std::to_string(i), "P", "2024/03/02", "W1", "C1", "ANN", "1", "Widget", "1.00", "Y", "1.00"});
    testing::WriteBooks({}, many);
    select_->ComboBox1->setCurrentText("Current Month");
    select_->ListBox1->setCurrentRow(3);
    int closedWhenShown = -1;
    std::size_t records = 0;
    QVERIFY(View([&](Trtreport& r) {
      closedWhenShown = status_.closed;
      records = r.Current().RecordCount();
    }));
    QCOMPARE(records, std::size_t(60'005));
    QCOMPARE(closedWhenShown, 1);
    QCOMPARE(status_.events, (std::vector<std::string>{
                                 "show Sales Report",
                                 "lines Reading records | 25,000 of 60,006",
                                 "lines Reading records | 50,000 of 60,006",
                                 "lines Reading records | 60,006 of 60,006",
                                 "lines Sorting | 60,005 records",
                                 "close",
                             }));
  }

  void theToolWritesAPdfOfTheSalesReport() {
    TF_NEED_PEERS_QTEST("reading printed reports back", "pdftotext");
    cli::Extensions extensions = cli::BuiltInExtensions();
    extensions.pdfCanvas = tf::cli::qt::OffscreenPdfCanvas;
    const std::string pdf = (std::filesystem::current_path() / "sales.pdf").string();
    std::ostringstream out, err;
    const int status = cli::RunCli({"--data", std::filesystem::current_path().string(), "report", "sales", "--from",
                                    "03/01/2024", "--to", "03/31/2024", "--subtotals", "--pdf", pdf, "--company", "1"},
                                   out, err, extensions);
    QVERIFY2(status == cli::kExitOk, err.str().c_str());
    const QString printed = PdfText(QString::fromStdString(pdf));
    QVERIFY2(printed.contains("Sales Report by Product Description"), qPrintable(printed));
    QVERIFY(printed.contains("Returned gadget"));
    QVERIFY(printed.contains(QRegularExpression("Grand Total\\s+6\\.000\\s+190\\.00")));
    QVERIFY(printed.contains("Report Complete. 5 records printed."));
  }
};

}  // namespace tf::reports::ui

QTEST_MAIN(tf::reports::ui::TReportWizardTest)
#include "report_wizard_test.moc"
