// tallyfold-statement-bench: a batch of customer statements printed to one PDF file through the
// code of "Batch Print Statements" and `tallyfold-cli statements` (the statement build from the
// files, the printed layout, the Qt PDF canvas offscreen). It generates a company of N customers
// with R invoice records each in DIR, then times the batch and prints pages per second.
//
//   tallyfold-statement-bench --dir DIR [--customers 1000] [--records 12]

#include <time.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>

#include "app/cli/qt/pdf_canvas.h"
#include "bench/bench_run.h"
#include "common/date_text.h"
#include "common/money_format.h"
#include "common/record_fields.h"
#include "common/prompter.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "statements/statement_batch.h"
#include "statements/statement_books.h"

namespace {

using namespace tf;
using tf::bench::CpuSeconds;
namespace co = records::company;
namespace cu = records::customer;
namespace inv = records::invoice;

// Every question answered with its first button, as a batch job would.
class FirstButton : public common::Prompter {
 public:
  common::PromptAnswer Show(const common::PromptMessage& m) override {
    return m.buttons == common::PromptButtons::OK ? common::PromptAnswer::OK : common::PromptAnswer::Yes;
  }
};

class Quiet : public engine::RebuildStatus {
 public:
  void Show(std::string_view) override {}
  void Lines(std::string_view, std::string_view, std::string_view) override {}
  void Close() override {}
};

}  // namespace

int main(int argc, char** argv) {
  std::string dir;
  int customers = 1000, perCustomer = 12;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--dir") dir = argv[i + 1];
    else if (a == "--customers") customers = std::stoi(argv[i + 1]);
    else if (a == "--records") perCustomer = std::stoi(argv[i + 1]);
  }
  if (dir.empty()) {
    std::cerr << "usage: tallyfold-statement-bench --dir DIR [--customers N] [--records R]\n";
    return 2;
  }
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  engine::InitEngine(0, engine::kProgramPageBuffers);
  FirstButton prompter;
  Quiet status;

  records::CompanyBook book;
  auto c = book.Current();
  common::WriteText(c, co::kCompanyName, "Bench Supplies");
  common::WriteText(c, co::kCompanyNumber, "1");
  common::WriteText(c, co::kAddress1, "1 Main Street");
  common::WriteText(c, co::kDateFormat, "M");
  common::WriteText(c, co::kStatementTitle, "STATEMENT");
  common::WriteText(c, co::kStatementNote, "Thank you for your business.");
  common::WriteText(c, co::kAgingCaption1, "Current:");
  common::WriteText(c, co::kAgingDays3, "90");
  common::WriteBool(c, co::kPrintCustomerAging, true);
  common::WriteBool(c, co::kHorizontalLines, true);
  for (std::size_t f = 0; f < co::kDocumentFontCount; ++f)
    common::WriteFontSpec(c, co::DocumentFontField(co::DocumentFont(f)), {"DejaVu Sans", f == 1 ? 14 : 10, 0, 0});

  const auto gen0 = std::chrono::steady_clock::now();
  {
    engine::FileBlockGuard cf, inf;
    if (!cu::OpenCustomerFile(cf.handle(), "1", prompter, status) ||
        !inv::OpenInvoiceFile(inf.handle(), "1", prompter, status)) {
      std::cerr << "cannot create the files (engine status " << engine::EngineStatus << ")\n";
      return 1;
    }
    const std::chrono::year_month_day start = std::chrono::year{2023} / 1 / 1;
    int invoiceNumber = 1000;
    for (int k = 0; k < customers; ++k) {
      const std::string number = "C" + std::to_string(k + 1);
      common::RecordBuffer r = cu::NewCustomerRecord();
      common::WriteText(r, cu::kCustomerNumber, number);
      common::WriteText(r, cu::kCustomerName, "Customer " + std::to_string(k + 1));
      common::WriteText(r, cu::kBillAddress1, std::to_string(k + 10) + " Oak Lane");
      for (const auto& f : cu::kAgingAmount) common::WriteText(r, f, "0.00");
      common::Money balance;
      for (int j = 0; j < perCustomer; ++j) {
        common::RecordBuffer v(inv::kInvoiceRecordLength);
        common::WriteText(v, inv::kInvoiceNumber, std::to_string(invoiceNumber++));
        common::WriteText(v, inv::kRecordKind, "I");
        common::WriteText(v, inv::kCustomerNumber, number);
        common::WriteText(v, inv::kCompanyNumber, "1");
        const std::chrono::year_month_day d{std::chrono::sys_days{start} + std::chrono::days{(k * 7 + j * 29) % 500}};
        inv::SetInvoiceDate(v, common::FormatDate(d, common::DateFormat::MonthFirst), common::DateFormat::MonthFirst);
        const common::Money total = common::Money::FromCents(1000 + (k * 131 + j * 977) % 90000);
        const bool open = j % 3 == 0;
        common::WriteText(v, inv::kTotalAmount, common::Format0_00(total));
        common::WriteText(v, inv::kPaidAmount, open ? "0.00" : common::Format0_00(total));
        common::WriteText(v, inv::kBalanceDue, open ? common::Format0_00(total) : "0.00");
        if (open) balance += total;
        std::int32_t ref = 0;
        if (!inv::AddInvoice(inf.get(), v, ref, prompter)) return 1;
      }
      common::WriteText(r, cu::kBalance, common::Format0_00(balance));
      common::WriteText(r, cu::kAgingAmount4, common::Format0_00(balance));
      std::int32_t ref = 0;
      if (!records::AddKeyedRecord(cf.get(), cu::CustomerFileKind(), r, ref, prompter)) return 1;
    }
  }
  const double genSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - gen0).count();

  const auto t0 = std::chrono::steady_clock::now();
  const double cpu0 = CpuSeconds();
  statements::StatementBooks books(book, prompter, status);
  if (!books.Open()) {
    std::cerr << books.Message() << "\n";
    return 1;
  }
  const statements::Selection chosen = books.Select(statements::AgeSelection::All);
  auto canvas = cli::qt::OffscreenPdfCanvas((std::filesystem::path(dir) / "statements.pdf").string());
  statements::StatementState state(book, prompter, status, nullptr);
  state.unpaidOnly = false;
  statements::PrintOutput output(*canvas, book.Current(), std::chrono::year{2024} / 5 / 15);
  const statements::BatchOutcome outcome = state.RunBatch(
      books, chosen.numbers, chosen.numbers.size(), output, std::chrono::year{2024} / 5 / 15,
      [](std::size_t, std::size_t) { return true; });
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const double cpu = CpuSeconds() - cpu0;
  books.Close();
  engine::ExitEngine();
  std::cout << "generated " << customers << " customers x " << perCustomer << " records in " << genSeconds << " s\n"
            << "printed " << outcome.delivered << " statements, " << output.Pages() << " pages, in " << seconds
            << " s: " << output.Pages() / seconds << " pages/s, " << outcome.delivered / seconds
            << " statements/s; processor time " << cpu << " s: " << output.Pages() / cpu << " pages/s (PDF " << std::filesystem::file_size(std::filesystem::path(dir) / "statements.pdf")
            << " bytes)\n";
  return outcome.delivered == chosen.numbers.size() ? 0 : 1;
}
