// The aging run and its report: categories at their limits, whole calendar days across a
// daylight-saving change, dates read from the date key after a company changed its date format,
// customers and companies whose balances read zero, a record that cannot be aged, the status
// window, a report that writes nothing, and a failure at every file call.

#include "aging/aging_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "aging/aging_chart.h"
#include "tests/aging/books_folder.h"
#include "tests/support/fault_file_system.h"

namespace tf::aging {
namespace {

using namespace std::chrono;
using namespace ::tf::test;
using common::ReadText;
using common::RecordBuffer;
using common::WriteText;
namespace co = records::company;
namespace cu = records::customer;
namespace inv = records::invoice;

year_month_day DaysAgo(int days, year_month_day from) { return year_month_day{sys_days{from} - std::chrono::days{days}}; }

// The computer's clock at a fixed instant, read in the local time zone as the program's own
// clock reads it.
class InstantClock : public common::Clock {
 public:
  explicit InstantClock(std::time_t instant) : instant_(instant) {}
  local_seconds Now() const override {
    std::tm tm{};
    localtime_r(&instant_, &tm);
    const year_month_day day{year{tm.tm_year + 1900}, month{unsigned(tm.tm_mon + 1)}, std::chrono::day{unsigned(tm.tm_mday)}};
    return local_days{day} + hours{tm.tm_hour} + minutes{tm.tm_min} + seconds{tm.tm_sec};
  }

 private:
  std::time_t instant_;
};

// TZ for the life of the object.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) previous_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZone() {
    if (previous_)
      setenv("TZ", previous_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> previous_;
};

class AgingRunTest : public BooksFolderTest {
 protected:
  AgingOutcome Run(const common::Clock& clock) {
    return RunAging({book_, quiet_, status_, clock, [this](std::string_view t) { statusTexts_.emplace_back(t); },
                     false});
  }
  AgingOutcome Run() { return Run(clock_); }

  // Yesterday as the last aging date, as a company that was not aged today yet.
  void AgedYesterday() {
    ASSERT_TRUE(book_.UpdateCurrentCompany(
        [](std::span<std::uint8_t> w) { WriteText(w, co::kLastAgingDate, "05/14/2024"); }, quiet_, status_));
  }

  std::vector<std::string> statusTexts_;
};

TEST(AgingRules, CategoriesAtTheLimits) {
  const year_month_day today = 2024y / May / 15d;
  const AgingLimits limits{{30, 60, 90}};
  const struct {
    int days;
    int category;
  } cases[] = {{-1, 0}, {0, 0}, {30, 0}, {31, 1}, {60, 1}, {61, 2}, {90, 2}, {91, 3}, {4000, 3}};
  for (const auto& c : cases)
    EXPECT_EQ(AgingCategory(DaysAgo(c.days, today), today, limits), c.category) << c.days << " days";
  // Limits as the company stores them, trimmed; an empty or non-numeric one is refused.
  RecordBuffer company(co::kCompanyRecordLength);
  WriteText(company, co::kAgingDays1, " 15");
  WriteText(company, co::kAgingDays2, "45 ");
  WriteText(company, co::kAgingDays3, "120");
  ASSERT_TRUE(ReadAgingLimits(company));
  EXPECT_EQ(ReadAgingLimits(company)->days, (std::array<int, 3>{15, 45, 120}));
  for (const char* bad : {"", "  ", "3x", "1.5"}) {
    WriteText(company, co::kAgingDays2, bad);
    EXPECT_FALSE(ReadAgingLimits(company)) << '"' << bad << '"';
  }
}

TEST_F(AgingRunTest, InvoicesThirtyThirtyOneNinetyNinetyOneDaysOldAndTomorrow) {
  AgedYesterday();
  const struct {
    std::string customer;
    int daysOld;
    std::string amounts;
  } cases[] = {{"D30", 30, "10.00 | 10.00 0.00 0.00 0.00"},  {"D31", 31, "10.00 | 0.00 10.00 0.00 0.00"},
               {"D90", 90, "10.00 | 0.00 0.00 10.00 0.00"},  {"D91", 91, "10.00 | 0.00 0.00 0.00 10.00"},
               {"DTOM", -1, "10.00 | 10.00 0.00 0.00 0.00"}};
  for (const auto& c : cases) {
    // Stored as if everything were current: the run must move it.
    AddCustomer(c.customer, "Customer " + c.customer, "10.00", {"10.00", "0.00", "0.00", "0.00"});
    AddInvoice({"A" + c.customer, c.customer, DaysAgo(c.daysOld, kToday), "10.00"});
  }
  const AgingOutcome out = Run();
  ASSERT_TRUE(out.complete) << out.message;
  for (const auto& c : cases) EXPECT_EQ(Amounts(c.customer), c.amounts) << c.customer;
  EXPECT_EQ(out.totals.amounts[0], common::Money::FromWhole(20));
  EXPECT_EQ(out.totals.amounts[3], common::Money::FromWhole(10));
  EXPECT_EQ(out.rewritten, 3);  // D30 and DTOM were right already
  EXPECT_EQ(CompanyField(co::kCompanyBalance), "50.00");
  EXPECT_EQ(CompanyField(co::kLastAgingDate), "05/15/2024");
  EXPECT_EQ(CheckAll(), "");
}

// Ages are counted between calendar dates: across the spring and autumn changes of New York's
// clocks, a record 30 days old stays in category 1 and one 31 days old in category 2, however
// close to midnight the run is made.
TEST_F(AgingRunTest, ADaylightSavingChangeMovesNoCategoryLimit) {
  TimeZone zone("America/New_York");
  const struct {
    std::time_t instant;  // UTC
    year_month_day today;
  } runs[] = {
      {1710131400, 2024y / March / 11d},     // 2024-03-11 00:30 EDT, the day after clocks went forward
      {1730781000, 2024y / November / 4d},   // 2024-11-04 23:30 EST, the day after clocks went back
  };
  for (const auto& run : runs) {
    const InstantClock clock(run.instant);
    ASSERT_EQ(clock.Today(), run.today);
    const std::string day = common::FormatDateKey(run.today);
    AddCustomer("C30-" + day.substr(5, 2), "Thirty " + day, "10.00");
    AddCustomer("C31-" + day.substr(5, 2), "Thirty-one " + day, "10.00");
    AddInvoice({"T" + day.substr(5, 2), "C30-" + day.substr(5, 2), DaysAgo(30, run.today), "10.00"});
    AddInvoice({"U" + day.substr(5, 2), "C31-" + day.substr(5, 2), DaysAgo(31, run.today), "10.00"});
    ASSERT_TRUE(book_.UpdateCurrentCompany([](std::span<std::uint8_t> w) { WriteText(w, co::kCompanyBalance, "20.00"); },
                                           quiet_, status_));
    ASSERT_TRUE(Run(clock).complete);
    EXPECT_EQ(Amounts("C30-" + day.substr(5, 2)), "10.00 | 10.00 0.00 0.00 0.00") << day;
    EXPECT_EQ(Amounts("C31-" + day.substr(5, 2)), "10.00 | 0.00 10.00 0.00 0.00") << day;
    EXPECT_EQ(CompanyField(co::kLastAgingDate), common::FormatDate(run.today, common::DateFormat::MonthFirst));
    // The next case starts from nothing.
    for (const char* block : {"1C", "1I"}) engine::DeleteFileBlock(block);
  }
}

// +100 and -100: the company's balance reads zero, and so does a customer whose balance a
// failed write lost. Neither keeps the run from ageing and repairing them.
TEST_F(AgingRunTest, BalancesThatReadZeroAreAgedAndRepairedAllTheSame) {
  AgedYesterday();
  AddCustomer("PLUS", "Plus Ltd", "100.00", {"100.00", "0.00", "0.00", "0.00"});
  AddCustomer("MINUS", "Minus Ltd", "-100.00", {"-100.00", "0.00", "0.00", "0.00"});
  AddCustomer("LOST", "Lost Ltd", "0.00");
  AddInvoice({"100", "PLUS", DaysAgo(40, kToday), "100.00"});
  AddInvoice({"101", "MINUS", DaysAgo(10, kToday), "-100.00"});
  AddInvoice({"102", "LOST", DaysAgo(70, kToday), "25.00"});
  ASSERT_EQ(ReadText(book_.Current(), co::kCompanyBalance), "0.00");

  const AgingOutcome out = Run();
  ASSERT_TRUE(out.complete) << out.message;
  EXPECT_EQ(Amounts("PLUS"), "100.00 | 0.00 100.00 0.00 0.00");
  EXPECT_EQ(Amounts("MINUS"), "-100.00 | -100.00 0.00 0.00 0.00");
  EXPECT_EQ(Amounts("LOST"), "25.00 | 0.00 0.00 25.00 0.00");
  EXPECT_EQ(CompanyField(co::kCompanyBalance), "25.00");
  EXPECT_EQ(CompanyField(co::kLastAgingDate), "05/15/2024");
  EXPECT_EQ(ReadText(book_.Current(), co::kLastAgingDate), "05/15/2024");
  EXPECT_EQ(CheckAll(), "");

  // And the next day's run goes ahead as well.
  book_.UpdateCurrentCompany([](std::span<std::uint8_t> w) { WriteText(w, co::kCompanyBalance, "0.00"); }, quiet_,
                             status_);
  common::FixedClock later{2024y / June / 20d};
  ASSERT_TRUE(Run(later).complete);
  EXPECT_EQ(Amounts("PLUS"), "100.00 | 0.00 0.00 100.00 0.00");
  EXPECT_EQ(CompanyField(co::kLastAgingDate), "06/20/2024");
}

// Records written while the company used month-first dates keep their date key; after the
// switch to day-first, 04/03/2024 is still April 3rd and 03/04/2024 still March 4th.
TEST_F(AgingRunTest, AgesFromTheDateKeyAfterTheCompanySwitchedItsDateFormat) {
  AddCustomer("C1", "Ann Smith", "30.00", {"30.00", "0.00", "0.00", "0.00"});
  AddInvoice({"100", "C1", 2024y / April / 3d, "10.00"});
  AddInvoice({"101", "C1", 2024y / March / 4d, "20.00"});
  ASSERT_TRUE(book_.UpdateCurrentCompany([](std::span<std::uint8_t> w) { WriteText(w, co::kDateFormat, "D"); }, quiet_,
                                         status_));
  const AgingOutcome out = Run();
  ASSERT_TRUE(out.complete) << out.message;
  // April 3rd is 42 days before May 15th, March 4th 72.
  EXPECT_EQ(Amounts("C1"), "30.00 | 0.00 10.00 20.00 0.00");
  EXPECT_EQ(CompanyField(co::kLastAgingDate), "15/05/2024");
  EXPECT_EQ(CheckAll(), "");
}

TEST_F(AgingRunTest, ARecordThatCannotBeAgedIsSkippedReportedAndTheRunCompletes) {
  AgedYesterday();
  AddCustomer("GOOD", "Good Ltd", "10.00");
  AddCustomer("BAL", "Bad Balance", "55.00", {"55.00", "0.00", "0.00", "0.00"});
  AddCustomer("DATE", "Bad Date", "7.00", {"0.00", "7.00", "0.00", "0.00"});
  AddInvoice({"100", "GOOD", DaysAgo(45, kToday), "10.00"});
  AddInvoice({"101", "BAL", DaysAgo(5, kToday), "5.00"});
  RecordBuffer badBalance = InvoiceRecord({"102", "BAL", DaysAgo(5, kToday), "50.00"}, Format());
  WriteText(badBalance, inv::kBalanceDue, "5O.00");
  const std::int32_t balanceRef = AddInvoiceRecord(badBalance);
  RecordBuffer badDate = InvoiceRecord({"103", "DATE", DaysAgo(5, kToday), "7.00"}, Format());
  WriteText(badDate, inv::kDateKey, "2024/13/45");
  const std::int32_t dateRef = AddInvoiceRecord(badDate);

  const AgingOutcome out = Run();
  EXPECT_TRUE(out.complete) << out.message;
  EXPECT_EQ(Amounts("GOOD"), "10.00 | 0.00 10.00 0.00 0.00");
  EXPECT_EQ(Amounts("BAL"), "55.00 | 55.00 0.00 0.00 0.00");
  EXPECT_EQ(Amounts("DATE"), "7.00 | 0.00 7.00 0.00 0.00");
  ASSERT_EQ(out.problems.count, 4u);
  EXPECT_EQ(out.problems.texts[0], "invoice 102 (record " + std::to_string(balanceRef) +
                                       ") of customer BAL: its balance \"5O.00\" is not an amount");
  EXPECT_EQ(out.problems.texts[1], "invoice 103 (record " + std::to_string(dateRef) +
                                       ") of customer DATE: its date key \"2024/13/45\" is not a date");
  EXPECT_EQ(out.problems.texts[2], "customer BAL was left as it was: one of its invoice records cannot be aged");
  // What the customers left alone hold still counts, so the company balance is their sum.
  EXPECT_EQ(CompanyField(co::kCompanyBalance), "72.00");
  EXPECT_EQ(CompanyField(co::kLastAgingDate), "05/15/2024");
}

TEST_F(AgingRunTest, ACustomerWithoutAShortNameGetsNone) {
  AddCustomer("C1", "Ann Smith", "0.00", {"0.00", "0.00", "0.00", "0.00"}, "-");
  ASSERT_TRUE(Run().complete);
  EXPECT_EQ(ReadText(Customer("C1"), cu::kShortName), "*NONE*");
}

TEST_F(AgingRunTest, BadAgingDaysStopTheRunBeforeAnythingIsWritten) {
  AgedYesterday();
  AddCustomer("C1", "Ann Smith", "10.00");
  AddInvoice({"100", "C1", DaysAgo(45, kToday), "10.00"});
  for (const char* bad : {"", "6O"}) {
    WriteText(book_.Current(), co::kAgingDays2, bad);
    const AgingOutcome out = Run();
    EXPECT_FALSE(out.ran);
    EXPECT_EQ(out.message, kBadAgingDays);
    EXPECT_EQ(Amounts("C1"), "10.00 | 0.00 0.00 0.00 0.00");
    EXPECT_EQ(CompanyField(co::kLastAgingDate), "05/14/2024");
  }
  EXPECT_TRUE(statusTexts_.empty());
}

TEST_F(AgingRunTest, TheStatusWindowAndTheMainWindowFollowTheRun) {
  RecordingStatus status;
  AddCustomer("C1", "Ann Smith", "10.00");
  AddInvoice({"100", "C1", DaysAgo(45, kToday), "10.00"});
  std::vector<std::string> texts;
  const AgingOutcome out =
      RunAging({book_, quiet_, status, clock_, [&](std::string_view t) { texts.emplace_back(t); }, false});
  ASSERT_TRUE(out.complete);
  ASSERT_FALSE(status.events.empty());
  EXPECT_EQ(status.events.front(), "show Aging");
  EXPECT_EQ(status.events[1], "lines  | Calculating Aging...");
  EXPECT_EQ(status.events.back(), "close");
  EXPECT_EQ(texts, (std::vector<std::string>{"Calculating Aging Totals...", "Ready."}));
}

// A run writes LastCo.Dat when asked: the company it names now carries the new date.
TEST_F(AgingRunTest, TheStartupFileCarriesTheNewAgingDate) {
  AgedYesterday();
  ASSERT_TRUE(RunAging({book_, quiet_, status_, clock_, [](std::string_view) {}, true}).complete);
  std::ifstream in(std::string(co::kStartupFile), std::ios::binary);
  RecordBuffer startup(co::kCompanyRecordLength);
  ASSERT_TRUE(in.read(reinterpret_cast<char*>(startup.data()), std::streamsize(startup.size())));
  EXPECT_EQ(ReadText(startup, co::kLastAgingDate), "05/15/2024");
  EXPECT_EQ(std::filesystem::file_size(std::string(co::kStartupFile)), std::uintmax_t(co::kCompanyRecordLength));
}

TEST_F(AgingRunTest, TheReportAsOfADateWritesNothingAndIsWhatTheRunLeaves) {
  AgedYesterday();
  AddCustomer("C1", "Ann Smith", "60.00");
  AddCustomer("C2", "Bob Jones", "-5.00");
  AddCustomer("C3", "Cy Young", "0.00");
  AddInvoice({"100", "C1", DaysAgo(10, kToday), "20.00"});
  AddInvoice({"101", "C1", DaysAgo(100, kToday), "40.00"});
  AddInvoice({"102", "C2", DaysAgo(3, kToday), "-5.00"});
  AddInvoice({"103", "C3", DaysAgo(3, kToday), "9.00", "9.00"});  // paid
  const auto before = FolderBytes();
  const AgingReport report = ReportAging(book_.Current(), kToday);
  ASSERT_TRUE(report.ok) << report.message;
  EXPECT_EQ(FolderBytes(), before);
  EXPECT_EQ(report.invoiceRecords, 4);
  ASSERT_EQ(report.rows.size(), 3u);
  EXPECT_EQ(report.total, common::Money::FromWhole(55));

  ASSERT_TRUE(Run().complete);
  for (const CustomerRow& row : report.rows) {
    std::string expected = common::Format0_00(row.balance) + " |";
    for (common::Money m : row.sums.amounts) expected += " " + common::Format0_00(m);
    EXPECT_EQ(Amounts(row.number), expected);
  }
  // Another day gives other categories, and still writes nothing.
  const auto after = FolderBytes();
  const AgingReport later = ReportAging(book_.Current(), 2024y / September / 1d);
  EXPECT_EQ(FolderBytes(), after);
  EXPECT_EQ(later.rows[0].sums.amounts[3], common::Money::FromWhole(60));
}

// Every file call of a run fails in turn (once). Whatever the run got through, the blocks are
// sound, every customer's balance is the sum of its records and the company's the sum of the
// customers'; a run that says it is complete leaves the aging amounts right too, and the next
// run without a fault completes and leaves every book right.
TEST_F(AgingRunTest, AFaultAtAnyFileCallLeavesTheBooksConsistent) {
  auto prepare = [this] {
    for (const char* block : {"1C", "1I"}) engine::DeleteFileBlock(block);
    AddCustomer("C1", "Ann Smith", "60.00", {"60.00", "0.00", "0.00", "0.00"});
    AddCustomer("C2", "Bob Jones", "-5.00", {"0.00", "-5.00", "0.00", "0.00"});
    AddCustomer("C3", "Cy Young", "9.00", {"9.00", "0.00", "0.00", "0.00"}, "-");
    AddInvoice({"100", "C1", DaysAgo(10, kToday), "20.00"});
    AddInvoice({"101", "C1", DaysAgo(100, kToday), "40.00"});
    AddInvoice({"102", "C2", DaysAgo(3, kToday), "-5.00"});
    AddInvoice({"103", "C3", DaysAgo(33, kToday), "9.00"});
    ASSERT_TRUE(book_.UpdateCurrentCompany(
        [](std::span<std::uint8_t> w) {
          WriteText(w, co::kCompanyBalance, "64.00");
          WriteText(w, co::kLastAgingDate, "05/14/2024");
        },
        quiet_, status_));
  };
  int failures = 0;
  bool reachedEnd = false;
  for (int nth = 1; nth < 400 && !reachedEnd; ++nth) {
    prepare();
    if (HasFailure()) return;
    FaultFileSystem faulty;
    AgingOutcome out;
    for (int i = 0; i < 4; ++i) quiet_.Answer(common::PromptAnswer::No);  // no rebuild of a block that reads badly
    {
      engine::ScopedFileSystem scoped(faulty);
      faulty.Arm(FaultKind::Eio, nth, false);
      out = Run();
      faulty.Disarm();
    }
    quiet_.Clear();
    const bool met = faulty.InjectedCount() > 0;
    const RecordBuffer company = CompanyOnFile();
    std::string plain;
    for (const std::string& f : invoicing::CheckBooks("1", ReadText(company, co::kCompanyBalance)).findings)
      plain += f + "\n";
    EXPECT_EQ(plain, "") << "fault at file call " << nth << " (" << out.message << ")";
    // Books that say they were aged today are aged right.
    if (out.complete || ReadText(company, co::kLastAgingDate) == "05/15/2024") {
      EXPECT_EQ(CheckAll(), "") << "fault at file call " << nth;
    }
    if (!out.complete) {
      ++failures;
      EXPECT_TRUE(met) << "fault " << nth;
      // The next run puts everything right.
      ASSERT_TRUE(Run().complete) << "after fault " << nth;
      EXPECT_EQ(CheckAll(), "") << "after fault " << nth;
    }
    if (!met) {
      reachedEnd = true;
      EXPECT_TRUE(out.complete);
      EXPECT_EQ(Amounts("C1"), "60.00 | 20.00 0.00 0.00 40.00");
    }
    if (HasFailure()) return;
  }
  EXPECT_TRUE(reachedEnd);
  EXPECT_GT(failures, 5);
}

}  // namespace
}  // namespace tf::aging
