// tallyfold-invoice-import-bench: `tallyfold-cli import invoices` on a generated company. It
// creates a fresh data folder, imports --customers customers and --products products through
// the tool, writes a file of --invoices invoices of 2 to 20 lines each (one in fifty left open,
// the rest paid in full, one in ten a memo invoice), imports it in a child process (its time and
// peak memory are the import's own), and runs `tallyfold-cli check` over the result.
//
// Usage: tallyfold-invoice-import-bench --dir DIR [--customers C] [--products P] [--invoices N]
//                                       [--seed X] [--keep]

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench/child_run.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: tallyfold-invoice-import-bench --dir DIR [--customers C] [--products P] [--invoices N] [--seed X] "
    "[--keep]\n";

struct Options {
  fs::path dir;
  int customers = 10'000;
  int products = 5'000;
  int invoices = 200'000;
  unsigned seed = 12;
  bool keep = false;
};

std::string Cents(std::int64_t cents) {
  const char* sign = cents < 0 ? "-" : "";
  if (cents < 0) cents = -cents;
  char text[32];
  std::snprintf(text, sizeof text, "%s%lld.%02lld", sign, static_cast<long long>(cents / 100),
                static_cast<long long>(cents % 100));
  return text;
}

std::int64_t PriceCents(int product) { return 100 * (1 + product % 50) + 10 + product % 90; }

void WriteCustomers(const fs::path& file, int n) {
  std::ofstream out(file, std::ios::binary);
  out << "CustomerNumber,CustomerName,BillAddress1,Phone1,Terms\r\n";
  for (int k = 1; k <= n; ++k)
    out << "C" << k << ",Customer " << k << " Ltd,\"" << (k % 97) << " High Street, Suite " << (k % 13) << "\",555-"
        << (1000 + k % 9000) << ",Net 30 Days\r\n";
}

void WriteProducts(const fs::path& file, int n) {
  std::ofstream out(file, std::ios::binary);
  out << "ProductCode,ProductDescription,SalesPrice,Taxable\r\n";
  for (int k = 1; k <= n; ++k)
    out << "P" << k << ",Product " << k << "," << Cents(PriceCents(k)) << "," << (k % 3 == 0 ? "Y" : "N") << "\r\n";
}

// Invoices in number order, dated through 2024 (day first, the starter company's format),
// without tax so the paid amount is simply the sum of the lines. Returns the line records.
std::int64_t WriteInvoices(const fs::path& file, const Options& o) {
  std::mt19937 random(o.seed);
  std::uniform_int_distribution<int> customerOf(1, o.customers), productOf(1, o.products), lineCount(2, 20),
      quantityOf(1, 12), dayOf(1, 28), monthOf(1, 12), fiftyOf(0, 49), tenOf(0, 9);
  std::ofstream out(file, std::ios::binary);
  out << "InvoiceNumber,InvoiceType,CustomerNumber,InvoiceDate,Terms,TaxAmount,PaidAmount,ProductCode,Quantity,"
         "Description,UnitPrice,MemoText,NetAmount\r\n";
  std::int64_t lines = 0;
  for (int n = 0; n < o.invoices; ++n) {
    const std::string head = std::to_string(100000 + n);
    char date[16];
    std::snprintf(date, sizeof date, "%02d/%02d/2024", dayOf(random), monthOf(random));
    const std::string customer = "C" + std::to_string(customerOf(random));
    const bool open = fiftyOf(random) == 0;
    if (tenOf(random) == 0) {
      const std::int64_t net = 100 * (10 + n % 500);
      out << head << ",M," << customer << "," << date << ",Net 30 Days,0.00," << (open ? "" : Cents(net))
          << ",,1,Services rendered,,\"Work done in the month:\nvisits, repairs and parts.\"," << Cents(net) << "\r\n";
      ++lines;
      continue;
    }
    const int count = lineCount(random);
    std::vector<std::pair<int, int>> rows;
    std::int64_t net = 0;
    for (int r = 0; r < count; ++r) {
      rows.push_back({productOf(random), quantityOf(random)});
      net += PriceCents(rows.back().first) * rows.back().second;
    }
    for (const auto& [product, quantity] : rows)
      out << head << ",P," << customer << "," << date << ",Net 30 Days,0.00," << (open ? "" : Cents(net)) << ",P"
          << product << "," << quantity << ",Product " << product << "," << Cents(PriceCents(product)) << ",,\r\n";
    lines += count;
  }
  return lines;
}

bool Step(const char* what, const std::vector<std::string>& args) {
  const tf::bench::ChildRun run = tf::bench::RunCliChild(args);
  if (run.status == 0) return true;
  std::cerr << "tallyfold-invoice-import-bench: " << what << " failed (exit " << run.status << ")\n";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--dir" && hasValue) o.dir = argv[++i];
    else if (arg == "--customers" && hasValue) o.customers = std::stoi(argv[++i]);
    else if (arg == "--products" && hasValue) o.products = std::stoi(argv[++i]);
    else if (arg == "--invoices" && hasValue) o.invoices = std::stoi(argv[++i]);
    else if (arg == "--seed" && hasValue) o.seed = unsigned(std::stoul(argv[++i]));
    else if (arg == "--keep") o.keep = true;
    else {
      std::cerr << kUsage;
      return 2;
    }
  }
  if (o.dir.empty() || o.customers < 1 || o.products < 1 || o.invoices < 0) {
    std::cerr << kUsage;
    return 2;
  }
  const fs::path folder = o.dir / "invoice-import";
  const fs::path customers = o.dir / "customers.csv", products = o.dir / "products.csv",
                 invoices = o.dir / "invoices.csv";
  fs::create_directories(o.dir);
  fs::remove_all(folder);
  WriteCustomers(customers, o.customers);
  WriteProducts(products, o.products);
  const std::int64_t lines = WriteInvoices(invoices, o);
  const std::string data = folder.string();
  if (!Step("init", {"init", data}) || !Step("the customer import", {"--data", data, "import", "customers", customers}) ||
      !Step("the product import", {"--data", data, "import", "products", products}))
    return 1;

  const tf::bench::ChildRun import = tf::bench::RunCliChild({"--data", data, "import", "invoices", invoices});
  std::printf("imported %d invoices (%lld lines, file %.1f MiB) in %.2f s: %.0f invoices/s, peak memory %.1f MiB, "
              "exit %d\n",
              o.invoices, static_cast<long long>(lines), double(fs::file_size(invoices)) / (1 << 20), import.seconds,
              import.seconds > 0 ? o.invoices / import.seconds : 0.0, double(import.peakKiB) / 1024, import.status);
  std::fflush(stdout);
  const tf::bench::ChildRun check = tf::bench::RunCliChild({"--data", data, "check"});
  std::printf("check (records, keys and the books) in %.2f s, peak memory %.1f MiB, exit %d\n", check.seconds,
              double(check.peakKiB) / 1024, check.status);
  if (!o.keep) {
    fs::remove_all(folder);
    for (const fs::path& f : {customers, products, invoices}) fs::remove(f);
  }
  return import.status == 0 && check.status == 0 ? 0 : 1;
}
