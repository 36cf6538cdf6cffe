// tallyfold-invoice-bench: invoice entry on a generated company. It builds a company of
// --customers customers and --products products in a fresh folder, then adds --invoices
// invoices of 2 to 20 lines each through the entry model and the books' save (the same path a
// window save takes, balances and numbering included), and reports the rate and the peak
// memory; then it times --saves saves of one 20-line invoice into the full company, and runs
// the books check over the result. One invoice in fifty stays open, the rest are paid at
// entry.
//
// Usage: tallyfold-invoice-bench [--folder DIR] [--customers C] [--products P] [--invoices N]
//                                [--saves S] [--buffers B] [--seed X]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_run.h"
#include "bench/quiet_services.h"
#include "common/clock.h"
#include "common/money_format.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "engine/core/engine.h"
#include "invoicing/books_check.h"
#include "invoicing/invoice_books.h"
#include "invoicing/invoice_entry.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/product_file.h"
#include "records/product_record.h"
#include "records/record_file.h"

namespace {

using tf::bench::Arg;
using tf::bench::NoStatus;
using tf::bench::PeakKiB;
using tf::bench::QuietPrompter;

using namespace tf;
using Clock = std::chrono::steady_clock;
namespace co = records::company;
namespace cu = records::customer;
namespace pr = records::product;

struct Options {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "tallyfold-invoice-bench";
  int customers = 10'000;
  int products = 5'000;
  int invoices = 200'000;
  int saves = 200;
  int buffers = engine::kProgramPageBuffers;
  unsigned seed = 12;
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::string CustomerNumber(int n) { return "C" + std::to_string(n); }
std::string ProductCode(int n) { return "P" + std::to_string(n); }

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string v;
    if (Arg(i, argc, argv, "--folder", v)) o.folder = v;
    else if (Arg(i, argc, argv, "--customers", v)) o.customers = std::stoi(v);
    else if (Arg(i, argc, argv, "--products", v)) o.products = std::stoi(v);
    else if (Arg(i, argc, argv, "--invoices", v)) o.invoices = std::stoi(v);
    else if (Arg(i, argc, argv, "--saves", v)) o.saves = std::stoi(v);
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
  engine::InitEngine(0, o.buffers);
  QuietPrompter prompter;
  NoStatus status;
  common::FixedClock clock(std::chrono::year_month_day{std::chrono::year(2024), std::chrono::month(12), std::chrono::day(31)});
  std::mt19937 random(o.seed);

  // The company.
  records::CompanyBook book;
  {
    common::RecordBuffer c(co::kCompanyRecordLength);
    common::WriteText(c, co::kCompanyName, "Bench Company");
    common::WriteText(c, co::kCompanyNumber, "1");
    common::WriteText(c, co::kCompanyBalance, "0.00");
    common::WriteText(c, co::kNextInvoiceNumber, "1");
    common::WriteText(c, co::kTaxRate, "8.25");
    common::WriteBool(c, co::kCalculateTaxes, true);
    common::WriteText(c, co::kDefaultQuantity, "1");
    common::WriteText(c, co::kDefaultTerms, "Net 30 Days");
    common::WriteText(c, co::kDateFormat, "M");
    common::WriteText(c, co::kDefaultInvoiceType, "P");
    engine::FileBlockGuard companies;
    if (!records::OpenCompanyFile(companies.handle(), prompter, status)) return 1;
    std::int32_t ref = 0;
    if (!records::AddKeyedRecord(companies.get(), co::CompanyFileKind(), c, ref, prompter)) return 1;
    companies.Close();
    std::copy(c.begin(), c.end(), book.Current().begin());
  }
  // Customers and products, each as a batch.
  std::vector<common::RecordBuffer> products;
  {
    engine::FileBlockGuard customers;
    if (!cu::OpenCustomerFile(customers.handle(), "1", prompter, status)) return 1;
    std::vector<common::RecordBuffer> records;
    for (int n = 1; n <= o.customers; ++n) {
      common::RecordBuffer r = cu::NewCustomerRecord();
      common::WriteText(r, cu::kCustomerNumber, CustomerNumber(n));
      common::WriteText(r, cu::kCustomerName, "Customer " + std::to_string(n));
      common::WriteText(r, cu::kShortName, "CUST" + std::to_string(n % 100000));
      common::WriteText(r, cu::kBalance, "0.00");
      records.push_back(std::move(r));
    }
    if (!records::AddKeyedRecords(customers.get(), cu::CustomerFileKind(), records, prompter)) return 1;
    engine::FileBlockGuard productFile;
    if (!pr::OpenProductFile(productFile.handle(), "1", prompter, status)) return 1;
    for (int n = 1; n <= o.products; ++n) {
      common::RecordBuffer r(pr::kProductRecordLength);
      common::WriteText(r, pr::kProductCode, ProductCode(n));
      common::WriteText(r, pr::kProductDescription, "Product " + std::to_string(n));
      common::WriteText(r, pr::kSalesPrice, std::to_string(1 + n % 50) + "." + std::to_string(10 + n % 90));
      common::WriteBool(r, pr::kTaxable, n % 3 == 0);
      products.push_back(std::move(r));
    }
    if (!records::AddKeyedRecords(productFile.get(), pr::ProductFileKind(), products, prompter)) return 1;
  }

  invoicing::InvoiceBooks books(book, prompter, status, clock);
  if (!books.Open()) return 1;
  std::vector<std::string> terms = {"Net 30 Days"};
  auto makeEntry = [&] {
    return std::make_unique<invoicing::InvoiceEntry>(
        invoicing::InvoiceEntry::Services{prompter, clock,
                                          [&](const std::string& n) { return books.NumberExists(n); },
                                          [&] { return terms; }, [](const std::vector<std::string>&) { return true; }},
        invoicing::EntryCompany::FromRecord(book.Current()));
  };
  std::uniform_int_distribution<int> customerOf(1, o.customers), productOf(0, o.products - 1), lineCount(2, 20),
      quantityOf(1, 12), dayOf(0, 364), openOf(0, 49);
  auto fill = [&](invoicing::InvoiceEntry& e, int lines) {
    const auto customer = books.FindCustomer(CustomerNumber(customerOf(random)));
    if (!customer) return false;
    e.ChooseCustomer(*customer);
    const auto day = std::chrono::sys_days{std::chrono::year(2024) / 1 / 1} + std::chrono::days(dayOf(random));
    e.SetDate(common::FormatDate(std::chrono::year_month_day{day}, common::DateFormat::MonthFirst));
    for (int row = 1; row <= lines; ++row) {
      e.ApplyProduct(row, products[std::size_t(productOf(random))], true);
      e.SetCell(row, invoicing::kQuantityColumn, std::to_string(quantityOf(random)));
    }
    // Most history is paid: one invoice in fifty stays open, as the balances' widths allow a
    // company's open receivables to just under ten million.
    if (openOf(random) != 0) e.SetPaid(common::Format0_00(e.Total()));
    return true;
  };

  // Phase 1: the invoices.
  long lines = 0;
  const auto start = Clock::now();
  for (int n = 0; n < o.invoices; ++n) {
    auto e = makeEntry();
    e->BeginAdd(books.LastInvoiceDate());
    const int count = lineCount(random);
    if (!fill(*e, count) || !e->Accept()) {
      std::fprintf(stderr, "invoice %d refused\n", n + 1);
      return 1;
    }
    const invoicing::SaveOutcome out = books.SaveNew(*e);
    if (!out.saved || !out.problems.empty()) {
      std::fprintf(stderr, "invoice %d: %s\n", n + 1, out.message.c_str());
      return 1;
    }
    lines += out.lines;
    if ((n + 1) % 10000 == 0) std::fprintf(stderr, "%d invoices\n", n + 1);
  }
  const double addSeconds = Seconds(Clock::now() - start);
  std::printf("added %d invoices (%ld lines) in %.2f s: %.0f invoices/s; peak memory %ld KiB\n", o.invoices, lines,
              addSeconds, o.invoices / std::max(addSeconds, 1e-9), PeakKiB());

  // Phase 2: one 20-line invoice at a time into the full company.
  std::vector<double> times;
  for (int s = 0; s < o.saves; ++s) {
    auto e = makeEntry();
    e->BeginAdd(books.LastInvoiceDate());
    fill(*e, 20);
    const auto t0 = Clock::now();
    if (!e->Accept()) return 1;
    const invoicing::SaveOutcome out = books.SaveNew(*e);
    times.push_back(Seconds(Clock::now() - t0) * 1000);
    if (!out.saved) return 1;
  }
  std::sort(times.begin(), times.end());
  if (!times.empty())
    std::printf("20-line save (checks and writes): median %.3f ms, 95th %.3f ms, max %.3f ms over %d saves\n",
                times[times.size() / 2], times[times.size() * 95 / 100], times.back(), o.saves);
  books.Close();
  const auto checkStart = Clock::now();
  const invoicing::BooksReport report =
      invoicing::CheckBooks("1", common::ReadText(book.Current(), co::kCompanyBalance));
  std::printf("books check: %d invoices, %d lines, %d customers, %zu findings in %.2f s; questions asked: %d\n",
              report.invoices, report.lines, report.customers, report.findings.size(),
              Seconds(Clock::now() - checkStart), prompter.asked);
  engine::ExitEngine();
  return report.Clean() ? 0 : 1;
}
