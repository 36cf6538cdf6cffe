// tallyfold-report-bench: every Report Wizard report over a data folder's company, as the window
// builds it (the file read on the report's index) and shows it (sorted on its first column with
// sub-totals, month and grand totals), timed over one month, one year and all years; each figure
// the median of the runs.
//
// Usage: tallyfold-report-bench --data DIR [--year Y] [--runs N] [--report NAME] [--range month|year|all]
//                               [--sort COLUMN]
// --sort arranges each report a second time on that column, as the window's "Sort on Column"
// does, and times that too.
// The company is the one the program opens ("LastCo.Dat"). Make a large one with
// tallyfold-invoice-import-bench --dir DIR --keep (200,000 invoices dated through 2024).

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench_run.h"
#include "bench/quiet_services.h"
#include "common/record_buffer.h"
#include "common/scripted_prompter.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "reports/report_builders.h"

namespace {

using namespace std::chrono;
using tf::bench::CpuSeconds;

constexpr const char* kUsage =
    "usage: tallyfold-report-bench --data DIR [--year Y] [--runs N] [--report NAME] [--range month|year|all] "
    "[--sort COLUMN]\n";

double Seconds(steady_clock::duration d) { return duration<double>(d).count(); }

// The middle of the runs' figures (the mean of the two middle ones for an even count): one run
// slowed by another process's burst on the shared machine does not move it.
double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string data;
  std::string only, onlyRange;
  int year = 2024, runs = 3, sortAgain = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--data" && i + 1 < argc) data = argv[++i];
    else if (a == "--year" && i + 1 < argc) year = std::stoi(argv[++i]);
    else if (a == "--runs" && i + 1 < argc) runs = std::max(1, std::stoi(argv[++i]));
    else if (a == "--report" && i + 1 < argc) only = argv[++i];
    else if (a == "--range" && i + 1 < argc) onlyRange = argv[++i];
    else if (a == "--sort" && i + 1 < argc) sortAgain = std::stoi(argv[++i]);
    else {
      std::cerr << kUsage;
      return 2;
    }
  }
  if (data.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  std::filesystem::current_path(data);
  tf::common::RecordBuffer company(tf::records::company::kCompanyRecordLength);
  std::ifstream startup(std::string(tf::records::company::kStartupFile), std::ios::binary);
  if (!startup.read(reinterpret_cast<char*>(company.data()), std::streamsize(company.size()))) {
    std::cerr << "no LastCo.Dat in " << data << "\n";
    return 2;
  }
  tf::engine::InitEngine(0, tf::engine::kProgramPageBuffers);

  const year_month_day today{floor<days>(system_clock::now())};
  struct Range {
    const char* name;
    tf::reports::DateRange range;
  };
  const std::vector<Range> ranges = {
      {"month", {std::chrono::year{year} / March / 1, std::chrono::year{year} / March / 31}},
      {"year", {std::chrono::year{year} / January / 1, std::chrono::year{year} / December / 31}},
      {"all years", {std::chrono::year{1} / January / 1, std::chrono::year{9999} / December / 31}},
  };
  std::printf("%-20s %-10s %10s %10s %10s %10s %10s\n", "report", "range", "records", "build s", "arrange s", "total s",
              "cpu s");
  std::optional<tf::reports::ReportKind> onlyKind;
  if (!only.empty() && !(onlyKind = tf::reports::ReportNamed(only))) {
    std::cerr << "no report is named " << only << "\n";
    return 2;
  }
  for (tf::reports::ReportKind kind : tf::reports::ReportKinds()) {
    if (onlyKind && kind != *onlyKind) continue;
    for (const Range& r : ranges) {
      if (!tf::reports::UsesDateRange(kind) && std::string(r.name) != "all years") continue;
      if (!onlyRange.empty() && !std::string(r.name).starts_with(onlyRange)) continue;
      std::vector<double> builds, arranges, totals, cpus, resorts;
      std::size_t records = 0;
      for (int run = 0; run < runs; ++run) {
        tf::common::ScriptedPrompter prompter;
        tf::bench::NoStatus status;
        const double cpu0 = CpuSeconds();
        const auto t0 = steady_clock::now();
        tf::reports::BuildOutcome built =
            tf::reports::BuildReport({kind, r.range}, {company, prompter, status, local_days{today}});
        const auto t1 = steady_clock::now();
        if (built.report) tf::reports::ArrangeReport(*built.report, 0, true);
        const auto t2 = steady_clock::now();
        const double cpu = CpuSeconds() - cpu0;
        if (sortAgain >= 0 && built.report) {
          const auto t3 = steady_clock::now();
          tf::reports::ArrangeReport(*built.report, std::size_t(sortAgain), true);
          resorts.push_back(Seconds(steady_clock::now() - t3));
        }
        if (built.result == tf::reports::BuildOutcome::Result::Failed) {
          std::cerr << built.message << "\n";
          return 1;
        }
        records = built.report ? built.report->RecordCount() : 0;
        builds.push_back(Seconds(t1 - t0));
        arranges.push_back(Seconds(t2 - t1));
        totals.push_back(Seconds(t2 - t0));
        cpus.push_back(cpu);
      }
      std::printf("%-20s %-10s %10zu %10.3f %10.3f %10.3f %10.3f\n",
                  std::string(tf::reports::ReportName(kind)).c_str(), r.name, records, Median(builds),
                  Median(arranges), Median(totals), Median(cpus));
      if (!resorts.empty()) std::printf("%-20s %-10s sorted again on column %d: %.3f s\n", "", r.name, sortAgain,
                                        Median(resorts));
    }
  }
  std::printf("peak memory %.0f MiB (medians of %d runs each)\n", double(tf::bench::PeakKiB()) / 1024.0, runs);
  tf::engine::ExitEngine();
  return 0;
}
