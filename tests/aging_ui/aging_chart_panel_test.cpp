// The aging chart in the main window: the daily run drawing the chart when the company asks for
// it, the shapes' shares, colours and hints inside their frame at any size, the run on demand
// and its refusals, and the credit balance.

#include <QFrame>
#include <QLabel>
#include <QtTest>

#include <memory>

#include "aging/ui/aging_windows.h"
#include "common/clock.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/text_report_viewer.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
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

year_month_day DaysAgo(int days) { return year_month_day{sys_days{2024y / May / 15d} - std::chrono::days{days}}; }

}  // namespace

class TAgingChartTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void theDailyRunDrawsTheChartInsideItsFrame();
  void onDemandAndItsRefusals();
  void aCreditBalanceShowsNoChart();

 private:
  void Books(const std::vector<test::PlannedInvoice>& invoices, bool showChart) {
    RecordBuffer company = invoicing::testing::InvoicingCompany("0");
    common::WriteText(company, co::kAgingCaption1, "Current:");
    common::WriteText(company, co::kAgingCaption2, "31-60:");
    common::WriteText(company, co::kAgingCaption3, "61-90:");
    common::WriteText(company, co::kLastAgingDate, "05/14/2024");
    common::WriteBool(company, co::kShowAgingChart, showChart);
    QVERIFY(test::MakeCompanyFile(company));
    std::copy(company.begin(), company.end(), main_->Book().Current().begin());
    common::ScriptedPrompter quiet{common::PromptAnswer::OK, common::PromptAnswer::OK};
    engine::FileBlockGuard customers, file;
    QVERIFY(cu::OpenCustomerFile(customers.handle(), "1", quiet, status_));
    std::int32_t ref = 0;
    QVERIFY(records::AddKeyedRecord(customers.get(), cu::CustomerFileKind(),
                                    invoicing::testing::InvoicingCustomer("C1", "Ann Smith", "ANN"), ref, quiet));
    QVERIFY(inv::OpenInvoiceFile(file.handle(), "1", quiet, status_));
    for (const test::PlannedInvoice& planned : invoices)
      QVERIFY(inv::AddInvoice(file.get(), test::InvoiceRecord(planned, common::DateFormat::MonthFirst), ref, quiet));
  }
  QFrame* Shape(int k) { return main_->Panel2->findChild<QFrame*>(QString("Shape%1").arg(k)); }
  // Every shape inside the bevel, stacked from its top without gaps.
  void CheckInsideTheFrame() {
    QFrame* bevel = main_->Panel2->findChild<QFrame*>("Bevel2");
    QVERIFY(bevel);
    const QRect inner = bevel->geometry().adjusted(bevel->frameWidth(), bevel->frameWidth(), -bevel->frameWidth(),
                                                   -bevel->frameWidth());
    int top = inner.top();
    for (int k = 1; k <= 4; ++k) {
      const QRect r = Shape(k)->geometry();
      if (!Shape(k)->isVisibleTo(main_->Panel2)) continue;
      QCOMPARE(r.top(), top);
      QVERIFY2(inner.contains(r), qPrintable(QString("Shape%1 leaves the frame").arg(k)));
      top += r.height();
    }
  }

  std::unique_ptr<test::EngineWorkFolder> folder_;
  common::ScriptedPrompter prompter_;
  common::FixedClock clock_{2024y / May / 15d, std::chrono::hours{8}};
  test::SilentStatus status_;
  NoViewer viewer_;
  std::unique_ptr<shell::ui::TMainForm> main_;
  aging::ui::TAgingChart* chart_ = nullptr;
};

void TAgingChartTest::init() {
  folder_ = std::make_unique<test::EngineWorkFolder>(engine::kMinPageBuffers);
  prompter_.Clear();
  main_ = std::make_unique<shell::ui::TMainForm>(prompter_, clock_);
  QVERIFY(!main_->CommandAvailable(shell::CommandId::AgingChart));
  chart_ = aging::ui::InstallAgingWindows(*main_, shell::ui::WindowServices{prompter_, status_, viewer_, clock_});
  QVERIFY(main_->CommandAvailable(shell::CommandId::AgingChart));
  QVERIFY(main_->RunAging);
  main_->resize(1000, 700);
  main_->show();
  QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
}

void TAgingChartTest::cleanup() {
  main_.reset();
  folder_.reset();
}

void TAgingChartTest::theDailyRunDrawsTheChartInsideItsFrame() {
  Books({{"100", "C1", DaysAgo(5), "50.00"},
         {"101", "C1", DaysAgo(45), "30.00"},
         {"102", "C1", DaysAgo(75), "15.00"},
         {"103", "C1", DaysAgo(120), "5.00"}},
        true);
  QVERIFY(!main_->Panel2->isVisible());
  main_->RunAging();
  QVERIFY(main_->Panel2->isVisible());
  QCOMPARE(main_->StatusPanel1->text(), QString("Hold mouse over color to see aging amount..."));
  QCOMPARE(main_->Panel2->toolTip(), QString("Total A/R: 100.00"));
  const char* hints[4] = {"Current: 50.00", "31-60: 30.00", "61-90: 15.00", "Over 90 Days: 5.00"};
  const QColor colours[4] = {Qt::cyan, Qt::green, Qt::yellow, Qt::red};
  const int shares[4] = {50, 30, 15, 5};
  QFrame* bevel = main_->Panel2->findChild<QFrame*>("Bevel2");
  const int room = bevel->height() - 2 * bevel->frameWidth();
  QVERIFY(room > 100);
  for (int k = 1; k <= 4; ++k) {
    QCOMPARE(Shape(k)->toolTip(), QString(hints[k - 1]));
    QCOMPARE(Shape(k)->palette().color(QPalette::Window), colours[k - 1]);
    QCOMPARE(Shape(k)->height(), shares[k - 1] * room / 100);
    QLabel* beside = main_->Panel2->findChild<QLabel*>(QString("ShapeLabel%1").arg(k));
    QCOMPARE(beside->text(), QString(hints[k - 1]));
    QVERIFY(beside->isVisible());
    QVERIFY(beside->geometry().left() > bevel->geometry().right());
  }
  CheckInsideTheFrame();
  QCOMPARE(ReadText(main_->Book().Current(), co::kLastAgingDate), std::string("05/15/2024"));
  QCOMPARE(ReadText(main_->Book().Current(), co::kCompanyBalance), std::string("100.00"));
  // A smaller window keeps every shape in the frame.
  main_->resize(640, 260);
  QTest::qWait(10);
  CheckInsideTheFrame();
  QVERIFY(prompter_.Shown().empty());
}

void TAgingChartTest::onDemandAndItsRefusals() {
  Books({{"100", "C1", DaysAgo(5), "999.60"}, {"101", "C1", DaysAgo(100), "0.40"}}, false);
  // The company does not ask for the chart after a run.
  main_->RunAging();
  QVERIFY(!main_->Panel2->isVisible());
  // On demand it shows; a 0.40 of 1,000.00 still shows as a sliver.
  main_->RunCommand(shell::CommandId::AgingChart, true);
  QVERIFY(main_->Panel2->isVisible());
  QVERIFY(!main_->ChartForcing());
  QCOMPARE(Shape(4)->height(), 4);
  QVERIFY(!Shape(2)->isVisibleTo(main_->Panel2));
  CheckInsideTheFrame();
  main_->RunCommand(shell::CommandId::AgingChart, false);
  QCOMPARE(prompter_.Texts().back(), std::string("The Aging Chart is currently showing."));
  QCOMPARE(prompter_.Shown().back().caption, std::string("Aging Chart"));
  main_->RunCommand(shell::CommandId::CloseChart, true);
  QVERIFY(!main_->Panel2->isVisible());

  // Nothing owed: said on demand, no chart.
  engine::DeleteFileBlock("1I");
  main_->RunCommand(shell::CommandId::AgingChart, true);
  QCOMPARE(prompter_.Texts().back(), std::string("You do not have any open invoices."));
  QVERIFY(!main_->Panel2->isVisible());
  QCOMPARE(ReadText(main_->Book().Current(), co::kCompanyBalance), std::string("0.00"));

  // Aging days the run cannot use.
  common::WriteText(main_->Book().Current(), co::kAgingDays1, "");
  main_->RunAging();
  QCOMPARE(prompter_.Texts().back(),
           std::string("There is a bad value in your aging days (Company Setup). Unable to calculate aging."));
}

void TAgingChartTest::aCreditBalanceShowsNoChart() {
  Books({{"100", "C1", DaysAgo(5), "20.00"}, {"DP1", "C1", DaysAgo(3), "0.00", "50.00", "D"}}, true);
  main_->RunAging();
  QVERIFY(!main_->Panel2->isVisible());
  QCOMPARE(prompter_.Texts().back(),
           std::string("Your Accounts Receivable is a credit balance. Unable to display Aging Chart. Run your Accounts "
                       "Receivable Report (Report Wizard) instead."));
  QCOMPARE(ReadText(main_->Book().Current(), co::kCompanyBalance), std::string("-30.00"));
}

QTEST_MAIN(TAgingChartTest)
#include "aging_chart_panel_test.moc"
