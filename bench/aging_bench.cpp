// tallyfold-aging-bench: the daily aging run on a generated company. Each run is made in a
// child process of its own, so its time and peak memory are its own:
//   1. the first run: every customer's aging amounts recomputed from the invoice file and
//      rewritten (the company was last aged 100 days before "today", so most of them move);
//   2. the next day's run on books already aged: the same reading, few writes;
//   3. the report of the same aging as of a date (`tallyfold-cli aging --as-of`), which writes
//      nothing;
// then the books check over the result.
//
// The company: --customers customers and --invoices invoice records over the year before
// "today", written straight into the files as invoice entry would leave them (balances, aging
// amounts and the company balance agreeing), one invoice in --open-every left open, a deposit
// on account and a credit among them. With --reuse the folder's company is aged as it is: one
// made before by this bench, or the company tallyfold-invoice-bench builds through invoice entry
// (made the start-up company, with the default aging limits).
//
// Usage: tallyfold-aging-bench [--folder DIR] [--customers C] [--invoices N] [--open-every K]
//                              [--buffers B] [--seed X] [--reuse]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "aging/aging_run.h"
#include "bench/bench_run.h"
#include "bench/quiet_services.h"
#include "common/clock.h"
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
using tf::bench::InChild;
using tf::bench::NoStatus;
using tf::bench::PeakKiB;
using tf::bench::QuietPrompter;
using tf::bench::UserAndSystemSeconds;

using namespace tf;
using Steady = std::chrono::steady_clock;
using namespace std::chrono;
namespace co = records::company;
namespace cu = records::customer;
namespace inv = records::invoice;
using common::Money;

struct Options {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "tallyfold-aging-bench";
  int customers = 10'000;
  int invoices = 200'000;
  int openEvery = 5;
  int buffers = engine::kProgramPageBuffers;
  unsigned seed = 14;
  bool reuse = false;
};

// CPU seconds of this process so far: user, system.

double Seconds(Steady::duration d) { return duration<double>(d).count(); }

constexpr year_month_day kToday{year{2024}, December, day{31}};

year_month_day DaysBefore(year_month_day d, int days) { return year_month_day{sys_days{d} - std::chrono::days{days}}; }

// The company, its customers and invoice records, with every balance agreeing with them and
// the aging amounts as of the last aging date, 100 days before today.
bool Generate(const Options& o) {
  QuietPrompter prompter(common::PromptAnswer::No);
  NoStatus status;
  std::mt19937 random(o.seed);
  const year_month_day lastAged = DaysBefore(kToday, 100);
  const aging::AgingLimits limits{{30, 60, 90}};
  std::uniform_int_distribution<int> customerOf(1, o.customers), dayOf(0, 364), centsOf(500, 20000),
      openOf(0, o.openEvery - 1);

  struct Owed {
    aging::AgingSums sums;
  };
  std::vector<Owed> owed(std::size_t(o.customers) + 1);
  std::vector<common::RecordBuffer> records;
  records.reserve(std::size_t(o.invoices));
  Money company;
  for (int n = 1; n <= o.invoices; ++n) {
    const int c = customerOf(random);
    common::RecordBuffer r(inv::kInvoiceRecordLength);
    common::WriteText(r, inv::kInvoiceNumber, std::to_string(n));
    common::WriteText(r, inv::kKeyCode, "None");
    common::WriteText(r, inv::kCustomerNumber, "C" + std::to_string(c));
    common::WriteText(r, inv::kCompanyNumber, "1");
    common::WriteText(r, inv::kShortName, "CUST" + std::to_string(c));
    common::WriteText(r, inv::kInvoiceType, "P");
    // Dated before the last aging run, as the books stood then.
    const year_month_day date = DaysBefore(lastAged, dayOf(random) % 265);
    inv::SetInvoiceDate(r, common::FormatDate(date, common::DateFormat::MonthFirst), common::DateFormat::MonthFirst);
    const Money total = Money::FromCents(centsOf(random));
    const bool open = openOf(random) == 0;
    // Now and then a credit or a deposit on account among the open items.
    const bool deposit = open && n % 997 == 0, credit = open && n % 991 == 0;
    const Money balance = deposit ? -total : credit ? -total : open ? total : Money();
    common::WriteText(r, inv::kRecordKind, deposit ? "D" : "I");
    common::WriteText(r, inv::kNetAmount, common::Format0_00(deposit ? Money() : credit ? -total : total));
    common::WriteText(r, inv::kTaxAmount, "0.00");
    common::WriteText(r, inv::kTotalAmount, common::Format0_00(deposit ? Money() : credit ? -total : total));
    common::WriteText(r, inv::kPaidAmount, common::Format0_00(deposit ? total : open ? Money() : total));
    common::WriteText(r, inv::kBalanceDue, common::Format0_00(balance));
    if (!open || deposit) common::WriteText(r, inv::kDatePaid, common::FormatDateKey(date));
    if (!open) common::WriteText(r, inv::kPaidFlag, "P");
    owed[std::size_t(c)].sums.amounts[std::size_t(aging::AgingCategory(date, lastAged, limits))] += balance;
    company += balance;
    records.push_back(std::move(r));
  }

  common::RecordBuffer c(co::kCompanyRecordLength);
  common::WriteText(c, co::kCompanyName, "Bench Company");
  common::WriteText(c, co::kCompanyNumber, "1");
  common::WriteText(c, co::kCompanyBalance, common::Format0_00(company));
  common::WriteText(c, co::kDateFormat, "M");
  common::WriteText(c, co::kAgingDays1, "30");
  common::WriteText(c, co::kAgingDays2, "60");
  common::WriteText(c, co::kAgingDays3, "90");
  common::WriteText(c, co::kLastAgingDate, common::FormatDate(lastAged, common::DateFormat::MonthFirst));
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
    const aging::AgingSums& s = owed[std::size_t(n)].sums;
    common::WriteText(r, cu::kBalance, common::Format0_00(s.Total()));
    for (int k = 0; k < 4; ++k) common::WriteText(r, cu::kAgingAmount[k], common::Format0_00(s.amounts[std::size_t(k)]));
    customers.push_back(std::move(r));
  }
  engine::FileBlockGuard customerFile, invoiceFile;
  if (!cu::OpenCustomerFile(customerFile.handle(), "1", prompter, status) ||
      !records::AddKeyedRecords(customerFile.get(), cu::CustomerFileKind(), customers, prompter))
    return false;
  if (!inv::OpenInvoiceFile(invoiceFile.handle(), "1", prompter, status) ||
      !records::AddKeyedRecords(invoiceFile.get(), inv::InvoiceFileKind(), records, prompter))
    return false;
  return true;
}

// A company made by tallyfold-invoice-bench has no start-up file and no aging limits: company 1
// becomes the start-up company, aged at 30, 60 and 90 days.
bool PrepareReused() {
  if (std::filesystem::exists(std::string(co::kStartupFile))) return true;
  QuietPrompter prompter(common::PromptAnswer::No);
  NoStatus status;
  records::CompanyBook book;
  engine::FileBlockGuard companies;
  if (!records::OpenCompanyFile(companies.handle(), prompter, status)) return false;
  const std::int32_t ref = records::FindCompany(companies.get(), "1");
  if (ref == 0) return false;
  engine::GetRecord(companies.get(), ref, book.Current());
  companies.Close();
  if (!book.UpdateCurrentCompany(
          [](std::span<std::uint8_t> w) {
            const common::TextField days[3] = {co::kAgingDays1, co::kAgingDays2, co::kAgingDays3};
            for (int k = 0; k < 3; ++k)
              if (common::ReadText(w, days[k]).empty()) common::WriteText(w, days[k], std::to_string(30 * (k + 1)));
          },
          prompter, status))
    return false;
  book.SaveStartupFile();
  return true;
}

int Age(const char* what, const common::Clock& clock) {
  QuietPrompter prompter(common::PromptAnswer::No);
  NoStatus status;
  records::CompanyBook book;
  book.ReadStartupFile();
  {
    engine::FileBlockGuard companies;
    if (!records::OpenCompanyFile(companies.handle(), prompter, status) || !book.RefreshCurrent(companies.get()))
      return 1;
  }
  const long before = PeakKiB();
  const auto cpu = UserAndSystemSeconds();
  const auto start = Steady::now();
  const aging::AgingOutcome out = aging::RunAging({book, prompter, status, clock, [](std::string_view) {}, true});
  const double seconds = Seconds(Steady::now() - start);
  const auto used = UserAndSystemSeconds();
  std::printf("%s: %.3f s (cpu %.3f user + %.3f system), %d invoice records, %d customers, %d rewritten, company balance %s, problems %zu, "
              "complete %s; peak memory %ld KiB (%ld KiB before the run)\n",
              what, seconds, used.first - cpu.first, used.second - cpu.second, out.invoiceRecords, out.customers, out.rewritten,
              common::FormatComma0_00(out.total).c_str(), out.problems.count, out.complete ? "yes" : "no",
              PeakKiB(), before);
  return out.complete && out.problems.empty() ? 0 : 1;
}

int Report(const common::Clock& clock) {
  records::CompanyBook book;
  book.ReadStartupFile();
  const auto start = Steady::now();
  const aging::AgingReport report = aging::ReportAging(book.Current(), clock.Today());
  std::printf("report as of a date: %.3f s, %zu customers, total %s; peak memory %ld KiB\n",
              Seconds(Steady::now() - start), report.rows.size(), common::FormatComma0_00(report.total).c_str(),
              PeakKiB());
  return report.ok ? 0 : 1;
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
    else if (std::string(argv[i]) == "--reuse") o.reuse = true;
    else {
      std::fprintf(stderr, "unknown argument %s\n", argv[i]);
      return 2;
    }
  }
  if (!o.reuse) {
    std::filesystem::remove_all(o.folder);
    std::filesystem::create_directories(o.folder);
  }
  std::filesystem::current_path(o.folder);
  if (o.reuse && InChild(o.buffers, [] { return PrepareReused() ? 0 : 1; }) != 0) {
    std::fprintf(stderr, "no company 1 in %s\n", o.folder.c_str());
    return 1;
  }
  if (!o.reuse) {
    const auto start = Steady::now();
    const int generated = InChild(o.buffers, [&] { return Generate(o) ? 0 : 1; });
    if (generated != 0) {
      std::fprintf(stderr, "the company could not be generated\n");
      return 1;
    }
    std::printf("generated %d customers and %d invoice records in %.1f s\n", o.customers, o.invoices,
                Seconds(Steady::now() - start));
  }
  // The first day's run, then the next day's.
  const common::FixedClock first(kToday, hours{7}), next(year_month_day{sys_days{kToday} + days{1}}, hours{7});
  int status = InChild(o.buffers, [&] { return Age("first run (aged 100 days ago)", first); });
  status |= InChild(o.buffers, [&] { return Age("next day's run", next); });
  status |= InChild(o.buffers, [&] { return Report(next); });
  status |= InChild(o.buffers, [&] {
    records::CompanyBook book;
    book.ReadStartupFile();
    const auto start = Steady::now();
    const invoicing::BooksReport report = invoicing::CheckBooks(book.Current());
    std::printf("books check (with the aging amounts): %zu findings in %.2f s\n", report.findings.size(),
                Seconds(Steady::now() - start));
    for (std::size_t i = 0; i < report.findings.size() && i < 5; ++i)
      std::printf("  %s\n", report.findings[i].c_str());
    return report.Clean() ? 0 : 1;
  });
  return status;
}
