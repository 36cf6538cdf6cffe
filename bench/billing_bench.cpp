// tallyfold-billing-bench: the two runs that write invoices by themselves, on a generated
// company, each in a child process of its own (its time and peak memory are its own):
//   1. repeat billing: the search for the masters due through "today" and the run that
//      generates one invoice per master (lines copied, schedules advanced, balances raised), as
//      the Repeat Billing Wizard and `tallyfold-cli repeat` make it;
//   2. interest: the scan of every customer and the run that writes one interest invoice per
//      customer with an overdue amount, as the Interest Wizard and `tallyfold-cli interest` do;
// then the books check over the result.
//
// The company: --customers customers, one repeat master each (monthly, due on or before
// "today", two lines), and --invoices invoice records over the year before "today" (one in
// --open-every left open), written straight into the files with every balance and aging amount
// agreeing with them as of "today".
//
// Usage: tallyfold-billing-bench [--folder DIR] [--customers C] [--invoices N] [--open-every K]
//                                [--buffers B] [--seed X]

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "aging/aging_rules.h"
#include "bench/bench_run.h"
#include "bench/quiet_services.h"
#include "billing/interest_run.h"
#include "billing/repeat_run.h"
#include "common/date_text.h"
#include "common/money_format.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "engine/core/engine.h"
#include "invoicing/books_check.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/record_file.h"

namespace {

using tf::bench::Arg;
using tf::bench::CpuSeconds;
using tf::bench::InChild;
using tf::bench::NoStatus;
using tf::bench::PeakKiB;
using tf::bench::QuietPrompter;

using namespace tf;
using Steady = std::chrono::steady_clock;
using namespace std::chrono;
namespace co = records::company;
namespace cu = records::customer;
namespace inv = records::invoice;
using common::Money;

struct Options {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "tallyfold-billing-bench";
  int customers = 10'000;
  int invoices = 100'000;
  int openEvery = 5;
  int buffers = engine::kProgramPageBuffers;
  unsigned seed = 16;
};

constexpr year_month_day kToday{year{2024}, December, day{31}};

double Seconds(Steady::duration d) { return duration<double>(d).count(); }

// CPU seconds of this process so far, user and system together: on a shared machine the wall
// time also counts the other processes' turns.
year_month_day DaysBefore(year_month_day d, int days) { return year_month_day{sys_days{d} - std::chrono::days{days}}; }

bool Generate(const Options& o) {
  QuietPrompter prompter(common::PromptAnswer::No);
  NoStatus status;
  std::mt19937 random(o.seed);
  const aging::AgingLimits limits{{30, 60, 90}};
  std::uniform_int_distribution<int> customerOf(1, o.customers), dayOf(0, 364), centsOf(500, 20000),
      openOf(0, o.openEvery - 1), dueOf(0, 27);
  std::vector<aging::AgingSums> owed(std::size_t(o.customers) + 1);
  std::vector<common::RecordBuffer> records, lines;
  Money company;
  auto invoice = [&](const std::string& number, int c, year_month_day date, Money total) {
    common::RecordBuffer r(inv::kInvoiceRecordLength);
    common::WriteText(r, inv::kInvoiceNumber, number);
    common::WriteText(r, inv::kRecordKind, "I");
    common::WriteText(r, inv::kKeyCode, "None");
    common::WriteText(r, inv::kCustomerNumber, "C" + std::to_string(c));
    common::WriteText(r, inv::kCompanyNumber, "1");
    common::WriteText(r, inv::kShortName, "CUST" + std::to_string(c));
    common::WriteText(r, inv::kInvoiceType, "P");
    inv::SetInvoiceDate(r, common::FormatDate(date, common::DateFormat::MonthFirst), common::DateFormat::MonthFirst);
    common::WriteText(r, inv::kNetAmount, common::Format0_00(total));
    common::WriteText(r, inv::kTaxAmount, "0.00");
    common::WriteText(r, inv::kTotalAmount, common::Format0_00(total));
    return r;
  };
  for (int n = 1; n <= o.invoices; ++n) {
    const int c = customerOf(random);
    const year_month_day date = DaysBefore(kToday, dayOf(random));
    const Money total = Money::FromCents(centsOf(random));
    const bool open = openOf(random) == 0;
    common::RecordBuffer r = invoice(std::to_string(n), c, date, total);
    common::WriteText(r, inv::kPaidAmount, common::Format0_00(open ? Money() : total));
    common::WriteText(r, inv::kBalanceDue, common::Format0_00(open ? total : Money()));
    if (!open) {
      common::WriteText(r, inv::kDatePaid, common::FormatDateKey(date));
      common::WriteText(r, inv::kPaidFlag, "P");
    } else {
      owed[std::size_t(c)].amounts[std::size_t(aging::AgingCategory(date, kToday, limits))] += total;
      company += total;
    }
    records.push_back(std::move(r));
  }
  // One master per customer, due within the four weeks before today, with two lines.
  for (int c = 1; c <= o.customers; ++c) {
    const std::string number = "M" + std::to_string(c);
    common::RecordBuffer r = invoice(number, c, DaysBefore(kToday, 400), Money::FromCents(4500));
    common::WriteText(r, inv::kRecordKind, "R");
    common::WriteText(r, inv::kPaidAmount, "0.00");
    common::WriteText(r, inv::kBalanceDue, "0.00");
    common::WriteText(r, inv::kRepeatUnit, "M");
    common::WriteText(r, inv::kRepeatInterval, "1");
    common::WriteText(r, inv::kRepeatCount, "0");
    common::WriteText(r, inv::kNextDueDate,
                      common::FormatDate(DaysBefore(kToday, dueOf(random)), common::DateFormat::MonthFirst));
    records.push_back(std::move(r));
    for (const char* text : {"1         Service                         30.00     N30.00",
                             "1         Support                         15.00     N15.00"}) {
      common::RecordBuffer l(inv::kLineRecordLength);
      common::WriteText(l, inv::kLineText, text);
      common::WriteText(l, inv::kLineKind, "R");
      common::WriteText(l, inv::kLineCompanyNumber, "1");
      common::WriteText(l, inv::kLineInvoiceNumber, number);
      common::WriteText(l, inv::kLineDateKey, common::FormatDateKey(DaysBefore(kToday, 400)));
      common::WriteText(l, inv::kLineCustomerNumber, "C" + std::to_string(c));
      lines.push_back(std::move(l));
    }
  }

  common::RecordBuffer c(co::kCompanyRecordLength);
  common::WriteText(c, co::kCompanyName, "Bench Company");
  common::WriteText(c, co::kCompanyNumber, "1");
  common::WriteText(c, co::kCompanyBalance, common::Format0_00(company));
  common::WriteText(c, co::kNextInvoiceNumber, std::to_string(o.invoices + 1));
  common::WriteText(c, co::kDateFormat, "M");
  common::WriteText(c, co::kAgingDays1, "30");
  common::WriteText(c, co::kAgingDays2, "60");
  common::WriteText(c, co::kAgingDays3, "90");
  common::WriteText(c, co::kLastAgingDate, common::FormatDate(kToday, common::DateFormat::MonthFirst));
  engine::FileBlockGuard companies;
  std::int32_t ref = 0;
  if (!records::OpenCompanyFile(companies.handle(), prompter, status) ||
      !records::AddKeyedRecord(companies.get(), co::CompanyFileKind(), c, ref, prompter))
    return false;
  companies.Close();
  records::CompanyBook book;
  std::copy(c.begin(), c.end(), book.Work().begin());
  book.SaveStartupFile();

  std::vector<common::RecordBuffer> customers;
  for (int n = 1; n <= o.customers; ++n) {
    common::RecordBuffer r = cu::NewCustomerRecord();
    common::WriteText(r, cu::kCustomerNumber, "C" + std::to_string(n));
    common::WriteText(r, cu::kCustomerName, "Customer " + std::to_string(n));
    common::WriteText(r, cu::kShortName, "CUST" + std::to_string(n));
    const aging::AgingSums& s = owed[std::size_t(n)];
    common::WriteText(r, cu::kBalance, common::Format0_00(s.Total()));
    for (int k = 0; k < 4; ++k) common::WriteText(r, cu::kAgingAmount[k], common::Format0_00(s.amounts[std::size_t(k)]));
    customers.push_back(std::move(r));
  }
  engine::FileBlockGuard customerFile, invoiceFile, lineFile;
  return cu::OpenCustomerFile(customerFile.handle(), "1", prompter, status) &&
         records::AddKeyedRecords(customerFile.get(), cu::CustomerFileKind(), customers, prompter) &&
         inv::OpenInvoiceFile(invoiceFile.handle(), "1", prompter, status) &&
         records::AddKeyedRecords(invoiceFile.get(), inv::InvoiceFileKind(), records, prompter) &&
         inv::OpenLineFile(lineFile.handle(), "1", prompter, status) &&
         records::AddKeyedRecords(lineFile.get(), inv::LineFileKind(), lines, prompter);
}

common::RecordBuffer Company() {
  records::CompanyBook book;
  book.ReadStartupFile();
  QuietPrompter prompter(common::PromptAnswer::No);
  NoStatus status;
  engine::FileBlockGuard companies;
  if (records::OpenCompanyFile(companies.handle(), prompter, status)) book.RefreshCurrent(companies.get());
  common::RecordBuffer c(co::kCompanyRecordLength);
  std::copy(book.Current().begin(), book.Current().end(), c.begin());
  return c;
}

int Repeat() {
  QuietPrompter prompter(common::PromptAnswer::Yes);
  const common::RecordBuffer company = Company();
  const double cpu = CpuSeconds();
  const auto start = Steady::now();
  billing::RepeatSearch search;
  {
    billing::BillingReader reader;
    std::string message;
    if (!reader.Open("1", message)) return 1;
    search = billing::SearchRepeat(reader.Blocks().invoices, kToday, common::DateFormat::MonthFirst);
  }
  const double searched = Seconds(Steady::now() - start);
  std::vector<std::string> masters;
  for (const billing::DueMaster& m : search.masters) masters.push_back(m.number);
  billing::RepeatOptions options;
  options.invoiceDate = common::FormatDate(kToday, common::DateFormat::MonthFirst);
  const billing::RepeatResult r = billing::GenerateRepeat(company, masters, options, kToday, prompter);
  const double total = Seconds(Steady::now() - start);
  std::printf("repeat run: %.3f s (search %.3f s; cpu %.3f s), %zu masters due, %zu invoices generated totaling %s, "
              "%zu refused; peak memory %ld KiB%s%s\n",
              total, searched, CpuSeconds() - cpu, search.masters.size(), r.generated.size(), common::FormatComma0_00(r.total).c_str(),
              r.refused.size(), PeakKiB(), r.ok ? "" : "; failed: ", r.ok ? "" : r.message.c_str());
  return r.ok && r.refused.empty() ? 0 : 1;
}

int Interest() {
  QuietPrompter prompter(common::PromptAnswer::Yes);
  const common::RecordBuffer company = Company();
  const double cpu = CpuSeconds();
  const auto start = Steady::now();
  billing::InterestOptions options = billing::LoadInterestOptions(company, kToday);
  billing::InterestScan scan;
  {
    billing::BillingReader reader;
    std::string message;
    if (!reader.Open("1", message)) return 1;
    scan = billing::ScanInterest(reader.Blocks(), company, options, kToday);
  }
  const double scanned = Seconds(Steady::now() - start);
  const billing::InterestResult r = billing::GenerateInterest(company, scan.rows, options, kToday, prompter);
  const double total = Seconds(Steady::now() - start);
  std::printf("interest run: %.3f s (scan %.3f s; cpu %.3f s), %zu customers charged %s; peak memory %ld KiB%s%s\n",
              total, scanned, CpuSeconds() - cpu,
              r.rows.size(), common::FormatComma0_00(r.total).c_str(), PeakKiB(), r.ok ? "" : "; failed: ",
              r.ok ? "" : r.message.c_str());
  return r.ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string v;
    if (Arg(i, argc, argv, "--folder", v)) o.folder = v;
    else if (Arg(i, argc, argv, "--customers", v)) o.customers = std::stoi(v);
    else if (Arg(i, argc, argv, "--invoices", v)) o.invoices = std::stoi(v);
    else if (Arg(i, argc, argv, "--open-every", v)) o.openEvery = std::max(1, std::stoi(v));
    else if (Arg(i, argc, argv, "--buffers", v)) o.buffers = std::stoi(v);
    else if (Arg(i, argc, argv, "--seed", v)) o.seed = unsigned(std::stoul(v));
    else {
      std::fprintf(stderr, "unknown argument %s\n", argv[i]);
      return 2;
    }
  }
  std::filesystem::remove_all(o.folder);
  std::filesystem::create_directories(o.folder);
  std::filesystem::current_path(o.folder);
  const auto start = Steady::now();
  if (InChild(o.buffers, [&] { return Generate(o) ? 0 : 1; }) != 0) {
    std::fprintf(stderr, "the company could not be generated\n");
    return 1;
  }
  std::printf("generated %d customers with a repeat master each and %d invoice records in %.1f s\n", o.customers,
              o.invoices, Seconds(Steady::now() - start));
  int status = InChild(o.buffers, Repeat);
  status |= InChild(o.buffers, Interest);
  status |= InChild(o.buffers, [] {
    const auto begin = Steady::now();
    const invoicing::BooksReport report = invoicing::CheckBooks(Company());
    std::printf("books check: %zu findings in %.2f s\n", report.findings.size(), Seconds(Steady::now() - begin));
    for (std::size_t i = 0; i < report.findings.size() && i < 5; ++i) std::printf("  %s\n", report.findings[i].c_str());
    return report.Clean() ? 0 : 1;
  });
  return status;
}
