#include "bench/workload_runner.h"

#include <chrono>
#include <cstdio>

namespace tf::bench {
namespace {

template <class Work>
double Timed(Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class Progress {
 public:
  explicit Progress(const RunOptions& o) : options_(o) {}
  void Step(const char* what, double seconds) const {
    if (!options_.quiet)
      std::fprintf(stderr, "[%s n=%u] %-20s %10.4f s\n", options_.system.c_str(), options_.n, what, seconds);
  }

 private:
  const RunOptions& options_;
};

}  // namespace

BenchResult RunInvoicesWorkload(InvoiceStore& store, const RunOptions& options) {
  const uint32_t n = options.n;
  const Progress progress(options);
  BenchResult result;
  result.system = options.system;
  result.n = n;
  result.rep = options.rep;
  result.deleteDigest = store.DigestsDeletes();
  InvoiceRecord rec{};

  if (store.MeasuresGeneration()) {
    result.generateSeconds = Timed([&] {
      for (uint32_t i = 0; i < n; ++i) MakeInvoice(n, i, rec);
    });
    progress.Step("record generation", *result.generateSeconds);
  }

  auto runPhase = [&](int phase, const std::string& what, auto&& work) {
    result.seconds[phase - 1] = Timed([&] {
      store.BeginPhase(phase);
      work();
      store.EndPhase(phase);
    });
    progress.Step(("phase " + std::to_string(phase) + " " + what).c_str(), result.seconds[phase - 1]);
  };

  runPhase(1, "add", [&] {
    for (uint32_t i = 0; i < n; ++i) {
      MakeInvoice(n, i, rec);
      store.Add(static_cast<int32_t>(i + 1), rec);
    }
  });

  std::vector<std::string> wanted;
  wanted.reserve(kLookupCount);
  for (uint32_t j : LookupTargets(n)) wanted.push_back(InvoiceNumberKey(j));
  runPhase(2, "lookups", [&] {
    for (const std::string& key : wanted) store.Lookup(key, result.lookups);
  });

  std::vector<std::pair<std::string, std::string>> windows;
  windows.reserve(kRangeWindowCount);
  for (const RangeWindow& w : RangeWindows()) windows.emplace_back(DateKey(w.firstDay), DateKey(w.endDay));
  runPhase(3, "range walks", [&] {
    for (const auto& [low, high] : windows) store.WalkDates(low, high, result.ranges);
  });

  runPhase(4, "full walk", [&] { store.WalkCustomers(result.fullWalk); });

  const std::vector<int32_t> victims = DeleteVictims(n);
  runPhase(5, "delete", [&] {
    for (int32_t ref : victims) store.Delete(ref, result.deletes);
  });

  runPhase(6, "reopen", [&] { result.reopenCount = store.ReopenAndCount(); });

  result.fileBytes = store.FileBytes();
  result.rssKb = PeakRssKb();
  return result;
}

}  // namespace tf::bench
