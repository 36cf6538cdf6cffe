// tallyfold-import-bench: `tallyfold-cli import customers` on generated files of N customers.
// For each N it writes the CSV (a row at a time), creates a fresh data folder, and runs the
// import in a child process, so that the peak memory reported is the import's own and not the
// generator's. The import reads its file a row at a time into a staged copy of the customer
// file, so its peak memory should not grow with N.

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/child_run.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: tallyfold-import-bench --dir DIR [--n N,N,...] [--keep]\n"
    "Imports N generated customers (default 100000,1000000) into a fresh data folder under DIR\n"
    "and prints the time, the file size and the import's peak memory for each N.\n";

// One customer row: every column the editor fills, with a quoted comma, an accented letter
// (UTF-8 in the file) and a line break in the notes, as real lists have them.
void WriteCustomer(std::ostream& out, std::uint32_t k) {
  out << k << ",Customer " << k << " Ltd,\"" << (k % 97) << " High Street, Suite " << (k % 13)
      << "\",Caf\xC3\xA9 Quarter,Springfield,,555-" << (1000 + k % 9000) << ",Net 30 Days,"
      << (k % 5 == 0 ? "Y" : "N") << ",\"" << (k % 10) << ",500.00\",\"First line\nsecond line " << k
      << "\",c" << k << "@example.com,Retail\r\n";
}

std::uintmax_t Generate(const fs::path& file, std::uint32_t n) {
  std::ofstream out(file, std::ios::binary);
  out << "CustomerNumber,CustomerName,BillAddress1,BillAddress2,BillAddress3,BillAddress4,Phone1,Terms,"
         "TaxExempt,CreditLimit,Notes,EMail,CustomerType\r\n";
  for (std::uint32_t k = 1; k <= n; ++k) WriteCustomer(out, k);
  out.close();
  return fs::file_size(file);
}

std::optional<std::vector<std::uint32_t>> Sizes(std::string_view text) {
  std::vector<std::uint32_t> sizes;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    std::uint32_t v = 0;
    auto [ptr, ec] = std::from_chars(item.data(), item.data() + item.size(), v);
    if (ec != std::errc() || ptr != item.data() + item.size() || v == 0) return std::nullopt;
    sizes.push_back(v);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  return sizes;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::uint32_t> sizes{100000, 1000000};
  std::optional<fs::path> dir;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--dir" && i + 1 < argc) {
      dir = argv[++i];
    } else if (arg == "--n" && i + 1 < argc) {
      auto parsed = Sizes(argv[++i]);
      if (!parsed) {
        std::cerr << kUsage;
        return 2;
      }
      sizes = *parsed;
    } else if (arg == "--keep") {
      keep = true;
    } else {
      std::cerr << kUsage;
      return 2;
    }
  }
  if (!dir) {
    std::cerr << kUsage;
    return 2;
  }
  fs::create_directories(*dir);
  std::printf("%10s %10s %10s %12s %12s %8s\n", "customers", "file MiB", "import s", "rows/s", "peak MiB", "status");
  int worst = 0;
  for (std::uint32_t n : sizes) {
    const fs::path folder = *dir / ("import-" + std::to_string(n));
    const fs::path csv = *dir / ("customers-" + std::to_string(n) + ".csv");
    fs::remove_all(folder);
    const std::uintmax_t bytes = Generate(csv, n);
    if (const tf::bench::ChildRun init = tf::bench::RunCliChild({"init", folder.string()}); init.status != 0) {
      std::cerr << "tallyfold-import-bench: init of " << folder.string() << " failed\n";
      return 1;
    }
    const tf::bench::ChildRun m = tf::bench::RunCliChild({"--data", folder.string(), "import", "customers", csv.string()});
    std::printf("%10u %10.1f %10.2f %12.0f %12.1f %8d\n", n, double(bytes) / (1 << 20), m.seconds,
                m.seconds > 0 ? n / m.seconds : 0.0, double(m.peakKiB) / 1024, m.status);
    std::fflush(stdout);
    worst = std::max(worst, m.status);
    if (!keep) {
      fs::remove_all(folder);
      fs::remove(csv);
    }
  }
  return worst == 0 ? 0 : 1;
}
