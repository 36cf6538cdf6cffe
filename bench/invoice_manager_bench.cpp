// tallyfold-invoice-manager-bench: the Invoice Manager's list over a large invoice file, and
// batch printing to PDF. It builds a company of --invoices invoice records (1,000,000) for
// --customers customers (10,000) in a fresh folder, plus one customer ("RARE") with 50 invoices
// spread over the whole file, and the lines of the first --print invoices. Then it times, on
// the manager's model with a list of 40 rows:
//   - opening the window (the three files, the list on the last invoice, its first page);
//   - a page move (Page Down and Page Up in turn);
//   - a switch between two of the six views;
//   - the customer filter on RARE and on a common customer, and a walk through all of their
//     pages;
// and then prints the first --print invoices (1,000) into one PDF file through the document
// procedure the window and the tool use, marking them printed, in pages per second.
//
// Usage: tallyfold-invoice-manager-bench [--folder DIR] [--invoices N] [--customers C]
//                                         [--print P] [--buffers B] [--seed X] [--keep]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "bench/bench_run.h"
#include "browse/manager_list.h"
#include "bench/quiet_services.h"
#include "common/clock.h"
#include "common/money_format.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "engine/core/engine.h"
#include "invoicing/documents/document_output.h"
#include "invoicing/manager/invoice_manager.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/record_file.h"
#ifdef TALLYFOLD_CLI_PDF
#include "app/cli/qt/pdf_canvas.h"
#endif

namespace {

using tf::bench::Arg;
using tf::bench::NoStatus;
using tf::bench::PeakKiB;
using tf::bench::QuietPrompter;

using namespace tf;
using Clock = std::chrono::steady_clock;
namespace co = records::company;
namespace cu = records::customer;
namespace inv = records::invoice;

struct Options {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "tallyfold-invoice-manager-bench";
  int invoices = 1'000'000;
  int customers = 10'000;
  int print = 1'000;
  int buffers = engine::kProgramPageBuffers;
  unsigned seed = 13;
  bool keep = false;
};

struct NoReports : common::TextReportViewer {
  void ShowTextFile(const std::string&, std::string_view) override {}
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string Date(std::mt19937& random, std::string& dateKey) {
  const int year = 2019 + int(random() % 5), month = 1 + int(random() % 12), day = 1 + int(random() % 28);
  char text[16], key[16];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", month, day, year);
  std::snprintf(key, sizeof key, "%04d/%02d/%02d", year, month, day);
  dateKey = key;
  return text;
}

// The company, its customers, the invoices and the lines of the first few.
void Generate(const Options& o, QuietPrompter& prompter, NoStatus& status) {
  common::RecordBuffer company(co::kCompanyRecordLength);
  common::WriteText(company, co::kCompanyName, "Bench Books");
  common::WriteText(company, co::kCompanyNumber, "1");
  common::WriteText(company, co::kDateFormat, "M");
  common::WriteText(company, co::kInvoiceTitle, "INVOICE");
  common::WriteText(company, co::kQuantityHeading, "Quantity");
  common::WriteText(company, co::kDescriptionHeading, "Description");
  common::WriteText(company, co::kUnitCostHeading, "Unit Price");
  common::WriteText(company, co::kExtensionHeading, "Amount");
  common::WriteText(company, co::kAgingDays1, "30");
  common::WriteText(company, co::kAgingDays2, "60");
  common::WriteText(company, co::kAgingDays3, "90");
  for (std::size_t f = 0; f < co::kDocumentFontCount; ++f)
    common::WriteFontSpec(company, co::DocumentFontField(co::DocumentFont(f)), {"Arial", 10, 0, 0});
  {
    engine::FileBlockGuard block;
    records::OpenCompanyFile(block.handle(), prompter, status);
    std::int32_t ref = 0;
    records::AddKeyedRecord(block.get(), co::CompanyFileKind(), company, ref, prompter);
  }
  std::mt19937 random(o.seed);
  engine::FileBlockGuard customers, invoices, lines;
  cu::OpenCustomerFile(customers.handle(), "1", prompter, status);
  inv::OpenInvoiceFile(invoices.handle(), "1", prompter, status);
  inv::OpenLineFile(lines.handle(), "1", prompter, status);
  std::int32_t ref = 0;
  auto customer = [&](const std::string& number) {
    common::RecordBuffer c = cu::NewCustomerRecord();
    common::WriteText(c, cu::kCustomerNumber, number);
    common::WriteText(c, cu::kCustomerName, "Customer " + number);
    common::WriteText(c, cu::kShortName, number);
    common::WriteText(c, cu::kBillAddress1, number + " Main Street");
    common::WriteText(c, cu::kBillAddress2, "Springfield");
    records::AddKeyedRecord(customers.get(), cu::CustomerFileKind(), c, ref, prompter);
  };
  for (int c = 1; c <= o.customers; ++c) customer("C" + std::to_string(c));
  customer("RARE");
  const auto start = Clock::now();
  const int rareEvery = std::max(1, o.invoices / 50);
  for (int i = 0; i < o.invoices; ++i) {
    common::RecordBuffer r(inv::kInvoiceRecordLength);
    const std::string number = std::to_string(100000 + i);
    const std::string cust = i % rareEvery == rareEvery / 2 ? "RARE" : "C" + std::to_string(1 + random() % unsigned(o.customers));
    std::string dateKey;
    const std::string date = Date(random, dateKey);
    const long cents = 100 + long(random() % 500000);
    const bool paid = random() % 4 != 0;
    common::WriteText(r, inv::kInvoiceNumber, number);
    common::WriteText(r, inv::kRecordKind, "I");
    common::WriteText(r, inv::kKeyCode, random() % 3 ? "None" : "Web");
    common::WriteText(r, inv::kCustomerNumber, cust);
    common::WriteText(r, inv::kCompanyNumber, "1");
    inv::SetInvoiceDate(r, date, common::DateFormat::MonthFirst);
    common::WriteText(r, inv::kPrintedFlag, "N");
    common::WriteText(r, inv::kTerms, "Net 30 Days");
    common::WriteText(r, inv::kInvoiceType, "P");
    common::WriteText(r, inv::kShortName, cust);
    const std::string total = common::Format0_00(common::Money::FromCents(cents));
    common::WriteText(r, inv::kNetAmount, total);
    common::WriteText(r, inv::kTaxAmount, "0.00");
    common::WriteText(r, inv::kTotalAmount, total);
    common::WriteText(r, inv::kPaidAmount, paid ? total : "0.00");
    common::WriteText(r, inv::kBalanceDue, paid ? "0.00" : total);
    if (paid) {
      common::WriteText(r, inv::kPaidFlag, "P");
      common::WriteText(r, inv::kDatePaid, dateKey);
    }
    if (!inv::AddInvoice(invoices.get(), r, ref, prompter)) {
      std::fprintf(stderr, "adding invoice %s failed (engine status %d)\n", number.c_str(), engine::EngineStatus);
      std::exit(1);
    }
    if (i < o.print) {
      for (int l = 0; l < 3; ++l) {
        common::RecordBuffer line(inv::kLineRecordLength);
        const std::string text = l == 2 ? std::string(10, ' ') + "Thank you for your business"
                                        : "1         Item " + std::to_string(l + 1) + std::string(27, ' ') + "1.00      N1.00";
        common::WriteText(line, inv::kLineText, text);
        common::WriteText(line, inv::kLineKind, "P");
        common::WriteText(line, inv::kLineInvoiceNumber, number);
        common::WriteText(line, inv::kLineDateKey, dateKey);
        common::WriteText(line, inv::kLineCustomerNumber, cust);
        inv::AddLine(lines.get(), line, ref, prompter);
      }
    }
    if ((i + 1) % 100000 == 0)
      std::printf("  %d invoices written (%.1f s)\n", i + 1, Seconds(Clock::now() - start)), std::fflush(stdout);
  }
  std::printf("generated %d invoices in %.1f s\n", o.invoices, Seconds(Clock::now() - start));
}

template <class F>
double MedianMillis(int times, F f) {
  std::vector<double> runs;
  for (int i = 0; i < times; ++i) {
    const auto t = Clock::now();
    f();
    runs.push_back(Millis(Clock::now() - t));
  }
  std::sort(runs.begin(), runs.end());
  return runs[runs.size() / 2];
}

// Positions the list on the first record of `customer` (by customer) and turns the filter on;
// then walks every page in date order. The time of the filter and of the walk, and the rows seen.
struct FilterFigures {
  double filterMs = 0;
  double walkMs = 0;
  int rows = 0;
};
FilterFigures Filter(invoicing::InvoiceManager& manager, browse::BrowseModelList& list, const std::string& customer) {
  FilterFigures f;
  manager.SetOrder(inv::kKeyByCustomer);
  list.GoToKey(cu::CustomerNumberKey(customer), INT32_MIN);
  auto t = Clock::now();
  manager.ToggleFilter();
  f.filterMs = Millis(Clock::now() - t);
  manager.SetOrder(inv::kKeyByDate);
  t = Clock::now();
  browse::BrowseModel& m = list.Model();
  m.FirstPage();
  std::set<std::int32_t> seen;
  for (std::int32_t last = -1;;) {
    for (int n = 1; n <= m.RowsFilled(); ++n) seen.insert(m.Row(n).Ref);
    const std::int32_t bottom = m.RowsFilled() ? m.Row(m.RowsFilled()).Ref : 0;
    if (bottom == last) break;
    last = bottom;
    m.PageDown();
  }
  f.walkMs = Millis(Clock::now() - t);
  f.rows = int(seen.size());
  manager.ToggleFilter();
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string v;
    if (Arg(i, argc, argv, "--folder", v)) o.folder = v;
    else if (Arg(i, argc, argv, "--invoices", v)) o.invoices = std::stoi(v);
    else if (Arg(i, argc, argv, "--customers", v)) o.customers = std::stoi(v);
    else if (Arg(i, argc, argv, "--print", v)) o.print = std::stoi(v);
    else if (Arg(i, argc, argv, "--buffers", v)) o.buffers = std::stoi(v);
    else if (Arg(i, argc, argv, "--seed", v)) o.seed = unsigned(std::stoul(v));
    else if (std::string(argv[i]) == "--keep") o.keep = true;
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
  Generate(o, prompter, status);

  records::CompanyBook book;
  {
    engine::FileBlockGuard block;
    records::OpenCompanyFile(block.handle(), prompter, status);
    common::WriteText(book.Current(), co::kCompanyNumber, "1");
    book.RefreshCurrent(block.get());
  }
  common::WriteText(book.Current(), co::kLastInvoiceNumber, std::to_string(100000 + o.invoices / 2));
  common::SystemClock clock;
  NoReports reports;
  browse::BrowseModelList list(40);
  invoicing::InvoiceManagerServices services{browse::ManagerServices{book, prompter, status, reports, clock}};
  std::printf("\n%d invoice records, a list of 40 rows, %d buffers:\n", o.invoices, o.buffers);

  // The first opening starts from an empty page pool, as the program does after its start.
  engine::ExitEngine();
  engine::InitEngine(0, o.buffers);
  {
    const auto cold = Clock::now();
    invoicing::InvoiceManager manager(services, list);
    manager.Open();
    std::printf("  open + first page (cold)   %9.2f ms\n", Millis(Clock::now() - cold));
    manager.Close();
  }

  const double open = MedianMillis(5, [&] {
    invoicing::InvoiceManager manager(services, list);
    manager.Open();
    manager.Close();
  });
  std::printf("  open + first page          %9.2f ms\n", open);

  invoicing::InvoiceManager manager(services, list);
  manager.Open();
  browse::BrowseModel& m = list.Model();
  auto t = Clock::now();
  const int moves = 400;
  for (int i = 0; i < moves; ++i) (i < moves / 2) ? m.PageDown() : m.PageUp();
  std::printf("  page move                  %9.3f ms\n", Millis(Clock::now() - t) / moves);

  t = Clock::now();
  const int switches = 60;
  for (int i = 0; i < switches; ++i) manager.SetOrder(1 + i % 6);
  std::printf("  view switch                %9.3f ms\n", Millis(Clock::now() - t) / switches);

  for (const std::string customer : {"RARE", "C1"}) {
    const FilterFigures f = Filter(manager, list, customer);
    std::printf("  filter on %-5s            %9.2f ms, walk of its %d rows by page %8.2f ms\n", customer.c_str(),
                f.filterMs, f.rows, f.walkMs);
  }
  manager.Close();
  std::printf("  peak memory so far         %9ld KiB\n", PeakKiB());

#ifdef TALLYFOLD_CLI_PDF
  engine::FileBlockGuard invoices, lines, memos, customers;
  inv::OpenInvoiceFile(invoices.handle(), "1", prompter, status);
  inv::OpenLineFile(lines.handle(), "1", prompter, status);
  inv::OpenMemoFile(memos.handle(), "1", prompter, status);
  cu::OpenCustomerFile(customers.handle(), "1", prompter, status);
  t = Clock::now();
  const auto unprinted = invoicing::documents::UnprintedInvoices(invoices.get());
  std::printf("  batch selection            %9.2f s (%zu unprinted)\n", Seconds(Clock::now() - t),
              unprinted ? unprinted->size() : 0);
  const std::string pdf = (o.folder / "batch.pdf").string();
  auto canvas = cli::qt::OffscreenPdfCanvas(pdf);
  invoicing::documents::SingleDocumentJobs jobs(*canvas, "Invoices");
  invoicing::documents::DocumentRun run({{invoices.get(), lines.get(), memos.get(), customers.get()}, book.Current(),
                                         prompter, clock, nullptr, {}},
                                        invoicing::documents::OutputChoice::Printer, {}, &jobs, true);
  t = Clock::now();
  for (int i = 0; i < o.print; ++i) run.Output(std::to_string(100000 + i));
  const double drawn = Seconds(Clock::now() - t);
  const bool written = run.Finish();
  const double total = Seconds(Clock::now() - t);
  std::printf("  batch print of %d to PDF  %9.2f s (%d pages, %.1f pages/s; drawing %.2f s, %s, %d marked, %.1f MB)\n",
              o.print, total, run.Tally().pages, run.Tally().pages / total, drawn, written ? "written" : "NOT WRITTEN",
              run.Tally().marked, double(std::filesystem::file_size(pdf)) / 1e6);
#else
  std::printf("  batch print: not built (needs the windowing library for the PDF writer)\n");
#endif
  std::printf("  peak memory                %9ld KiB\n", PeakKiB());
  engine::ExitEngine();
  if (!o.keep) std::filesystem::remove_all(o.folder);
  return 0;
}
