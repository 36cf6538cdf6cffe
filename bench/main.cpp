// tallyfold-bench: the invoices workload on the engine and on the systems it is measured
// against. With --system it runs one system and prints one RESULT line; without, it runs each
// system in a child process and prints them side by side.

#include <charconv>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/engine_store.h"
#include "bench/floor_store.h"
#include "bench/lmdb_store.h"
#include "bench/reference_store.h"
#include "bench/side_by_side.h"
#include "bench/sqlite_store.h"
#include "bench/workload_runner.h"
#include "engine/core/engine.h"

namespace tf::bench {
namespace {

constexpr const char* kUsage =
    "usage: tallyfold-bench --system S --n N --dir DIR --rep R [--quiet] [--buffers B]\n"
    "       tallyfold-bench [--systems S,S,...] --n N --dir DIR [--repeat K] [--quiet] [--buffers B,B,...]\n"
    "systems: engine, lmdb, sqlite (= sqlite-txn), sqlite-auto, sqlite-txn-normal, floor, reference\n"
    "Without --system each system runs in a child process of its own (default: engine, lmdb,\n"
    "sqlite, floor; the engine once per --buffers value) and the figures are printed side by side;\n"
    "--repeat K runs every system K times, in turn, and shows each phase's median time.\n";

struct CommandLine {
  std::optional<std::string> system;
  std::vector<std::string> systems{"engine", "lmdb", "sqlite", "floor"};
  uint32_t n = 100000;
  std::string dir = ".";
  int rep = 1;
  int repeat = 1;
  bool quiet = false;
  std::vector<int> buffers{tf::engine::kProgramPageBuffers};
};

template <class T>
std::optional<T> Number(std::string_view text) {
  T v{};
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  return v;
}

std::vector<std::string> SplitList(std::string_view text) {
  std::vector<std::string> items;
  while (!text.empty()) {
    const size_t comma = text.find(',');
    items.emplace_back(text.substr(0, comma));
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  return items;
}

std::string Canonical(const std::string& system) { return system == "sqlite-txn" ? "sqlite" : system; }

bool KnownSystem(const std::string& s) {
  return s == "engine" || s == "lmdb" || s == "sqlite" || s == "sqlite-auto" || s == "sqlite-txn-normal" || s == "floor" ||
         s == "reference";
}

std::optional<CommandLine> Parse(int argc, char** argv) {
  CommandLine cl;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--quiet") {
      cl.quiet = true;
      continue;
    }
    if (i + 1 >= argc) return std::nullopt;
    const std::string value = argv[++i];
    if (arg == "--system") {
      cl.system = Canonical(value);
      if (!KnownSystem(*cl.system)) return std::nullopt;
    } else if (arg == "--systems") {
      cl.systems.clear();
      for (const std::string& s : SplitList(value)) {
        if (!KnownSystem(Canonical(s))) return std::nullopt;
        cl.systems.push_back(Canonical(s));
      }
      if (cl.systems.empty()) return std::nullopt;
    } else if (arg == "--n") {
      auto n = Number<uint32_t>(value);
      if (!n || *n < 10 || *n > 100000000) return std::nullopt;
      cl.n = *n;
    } else if (arg == "--dir") {
      cl.dir = value;
    } else if (arg == "--rep") {
      auto rep = Number<int>(value);
      if (!rep) return std::nullopt;
      cl.rep = *rep;
    } else if (arg == "--repeat") {
      auto repeat = Number<int>(value);
      if (!repeat || *repeat < 1) return std::nullopt;
      cl.repeat = *repeat;
    } else if (arg == "--buffers") {
      cl.buffers.clear();
      for (const std::string& b : SplitList(value)) {
        auto count = Number<int>(b);
        if (!count) return std::nullopt;
        cl.buffers.push_back(*count);
      }
      if (cl.buffers.empty()) return std::nullopt;
    } else {
      return std::nullopt;
    }
  }
  if (cl.system && (cl.buffers.size() != 1 || cl.repeat != 1)) return std::nullopt;
  return cl;
}

std::unique_ptr<InvoiceStore> MakeStore(const CommandLine& cl) {
  const std::string& s = *cl.system;
  if (s == "engine") return MakeEngineStore(cl.dir, cl.buffers.front());
  if (s == "sqlite") return MakeSqliteStore(cl.dir, SqliteMode::Transaction);
  if (s == "sqlite-auto") return MakeSqliteStore(cl.dir, SqliteMode::Autocommit);
  if (s == "sqlite-txn-normal") return MakeSqliteStore(cl.dir, SqliteMode::TransactionNormal);
  if (s == "lmdb") return MakeLmdbStore(cl.dir, cl.n);
  if (s == "floor") return MakeFloorStore(cl.dir, cl.n);
  return MakeReferenceStore();
}

int RunOne(const CommandLine& cl) {
  BenchResult result;
  {
    auto store = MakeStore(cl);
    result = RunInvoicesWorkload(*store, {*cl.system, cl.n, cl.rep, cl.quiet});
  }  // the store's files are gone before the result is printed
  std::cout << FormatResultLine(result) << std::endl;
  return 0;
}

int Main(int argc, char** argv) {
  const auto cl = Parse(argc, argv);
  if (!cl) {
    std::cerr << kUsage;
    return 2;
  }
  std::filesystem::create_directories(cl->dir);
  if (cl->system) return RunOne(*cl);

  SideBySideOptions options;
  options.executable = std::filesystem::read_symlink("/proc/self/exe").string();
  options.systems = cl->systems;
  options.engineBuffers = cl->buffers;
  options.n = cl->n;
  options.dir = cl->dir;
  options.repeat = cl->repeat;
  options.quiet = cl->quiet;
  return RunSideBySide(options, std::cout) ? 0 : 1;
}

}  // namespace
}  // namespace tf::bench

int main(int argc, char** argv) {
  try {
    return tf::bench::Main(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tallyfold-bench: %s\n", e.what());
    return 1;
  }
}
