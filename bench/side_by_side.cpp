#include "bench/side_by_side.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <optional>
#include <sstream>

#include "bench/golden_values.h"
#include "bench/result_check.h"

namespace tf::bench {
namespace {

// Runs `args` (args[0] is the program) with stdout captured; stderr stays the parent's, so
// progress shows as it happens. Returns the captured output, or nullopt with `error` set.
std::optional<std::string> RunCaptured(const std::vector<std::string>& args, std::string& error) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    error = std::string("pipe: ") + std::strerror(errno);
    return std::nullopt;
  }
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  const pid_t child = fork();
  if (child < 0) {
    error = std::string("fork: ") + std::strerror(errno);
    close(pipeFds[0]);
    close(pipeFds[1]);
    return std::nullopt;
  }
  if (child == 0) {
    dup2(pipeFds[1], STDOUT_FILENO);
    close(pipeFds[0]);
    close(pipeFds[1]);
    execv(argv[0], argv.data());
    std::fprintf(stderr, "exec %s: %s\n", argv[0], std::strerror(errno));
    _exit(127);
  }
  close(pipeFds[1]);
  std::string output;
  char buf[4096];
  for (;;) {
    const ssize_t got = read(pipeFds[0], buf, sizeof buf);
    if (got > 0) {
      output.append(buf, static_cast<size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      break;
    }
  }
  close(pipeFds[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    error = WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                              : "killed by signal " + std::to_string(WTERMSIG(status));
    return std::nullopt;
  }
  return output;
}

std::optional<BenchResult> FindResultLine(const std::string& output) {
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line))
    if (auto r = ParseResultLine(line)) return r;
  return std::nullopt;
}

std::string Fixed(double v, int decimals) {
  std::ostringstream s;
  s << std::fixed << std::setprecision(decimals) << v;
  return s.str();
}

double Total(const BenchResult& r) {
  double t = 0;
  for (double s : r.seconds) t += s;
  return t;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t m = v.size() / 2;
  return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

// The first run's outcome with each phase's median time over the runs and the largest peak RSS.
BenchResult MedianOf(const std::vector<BenchResult>& runs) {
  BenchResult r = runs.front();
  for (int ph = 0; ph < kPhaseCount; ++ph) {
    std::vector<double> t;
    for (const BenchResult& run : runs) t.push_back(run.seconds[ph]);
    r.seconds[ph] = Median(t);
  }
  std::vector<double> gen;
  for (const BenchResult& run : runs)
    if (run.generateSeconds) gen.push_back(*run.generateSeconds);
  if (!gen.empty()) r.generateSeconds = Median(gen);
  for (const BenchResult& run : runs) r.rssKb = std::max(r.rssKb, run.rssKb);
  return r;
}

const char* const kPhaseNames[kPhaseCount] = {"p1 add", "p2 lookups", "p3 range walks",
                                               "p4 full walk", "p5 delete", "p6 reopen"};

}  // namespace

bool PrintComparison(const std::vector<Column>& columns, uint32_t n, std::ostream& out) {
  const Column* sqlite = nullptr;
  const Column* lmdb = nullptr;
  const Column* floor = nullptr;
  std::vector<const Column*> engines;
  for (const Column& c : columns) {
    if (c.system == "sqlite") sqlite = &c;
    if (c.system == "lmdb") lmdb = &c;
    if (c.system == "floor") floor = &c;
    if (c.system == "engine") engines.push_back(&c);
  }

  struct RatioColumn {
    std::string label;
    const Column* engine;
    const Column* base;
  };
  std::vector<RatioColumn> ratios;
  for (const Column* e : engines) {
    const std::string name = e->label == "engine" ? "eng" : e->label.substr(std::string("engine-").size());
    if (sqlite) ratios.push_back({name + "/sqlite", e, sqlite});
    if (lmdb) ratios.push_back({name + "/lmdb", e, lmdb});
    if (floor) ratios.push_back({name + "/floor", e, floor});
  }

  auto width = [](const std::string& label) { return static_cast<int>(std::max<size_t>(label.size() + 2, 11)); };
  constexpr int kRowLabel = 18;

  out << "invoices workload, N = " << n << "\n";
  out << std::left << std::setw(kRowLabel) << "" << std::right;
  for (const Column& c : columns) out << std::setw(width(c.label)) << c.label;
  for (const RatioColumn& r : ratios) out << std::setw(width(r.label)) << r.label;
  out << "\n";

  auto ratioCell = [](double a, double b) { return b > 0 ? Fixed(a / b, 2) + "x" : std::string("-"); };
  auto timeRow = [&](const std::string& name, auto seconds) {
    out << std::left << std::setw(kRowLabel) << name << std::right;
    for (const Column& c : columns) out << std::setw(width(c.label)) << Fixed(seconds(c.result), 4);
    for (const RatioColumn& r : ratios)
      out << std::setw(width(r.label)) << ratioCell(seconds(r.engine->result), seconds(r.base->result));
    out << "\n";
  };
  for (int p = 0; p < kPhaseCount; ++p)
    timeRow(std::string(kPhaseNames[p]) + " (s)", [p](const BenchResult& r) { return r.seconds[p]; });
  timeRow("total (s)", Total);

  auto valueRow = [&](const std::string& name, auto value) {
    out << std::left << std::setw(kRowLabel) << name << std::right;
    for (const Column& c : columns) out << std::setw(width(c.label)) << value(c.result);
    out << "\n";
  };
  valueRow("peak RSS (KiB)", [](const BenchResult& r) { return std::to_string(r.rssKb); });
  valueRow("file bytes", [](const BenchResult& r) { return std::to_string(r.fileBytes); });
  valueRow("p1 record gen (s)", [](const BenchResult& r) {
    return r.generateSeconds ? Fixed(*r.generateSeconds, 4) : std::string("-");
  });

  bool ok = true;
  if (columns.size() > 1) {
    bool same = true;
    for (size_t i = 1; i < columns.size(); ++i) {
      auto d = OutcomeDifferences(columns[0].result, columns[i].result);
      for (const std::string& what : d) out << "MISMATCH " << columns[i].label << " vs " << columns[0].label << ": " << what << "\n";
      same = same && d.empty();
    }
    if (same) out << "counts and digests: identical in every system";
    if (same && sqlite) out << " (sqlite deletes without reading: phase 5 by count)";
    if (same) out << "\n";
    ok = ok && same;
  }
  if (auto golden = GoldenValuesFor(n)) {
    bool match = true;
    for (const Column& c : columns) {
      auto d = GoldenDifferences(c.result, *golden);
      for (const std::string& what : d) out << "MISMATCH " << c.label << " vs golden values: " << what << "\n";
      match = match && d.empty();
    }
    if (match) out << "golden values for N = " << n << ": every system matches\n";
    ok = ok && match;
  } else {
    out << "no golden values for N = " << n << "\n";
  }
  return ok;
}

bool RunSideBySide(const SideBySideOptions& options, std::ostream& out) {
  struct Planned {
    std::string label, system;
    int buffers;
    std::optional<Column> column;
    bool failed = false;
  };
  std::vector<Planned> planned;
  for (const std::string& system : options.systems) {
    if (system != "engine") {
      planned.push_back({system, system, 0, std::nullopt});
      continue;
    }
    for (int b : options.engineBuffers) {
      std::string label = options.engineBuffers.size() > 1 ? "engine-b" + std::to_string(b) : system;
      planned.push_back({label, system, b, std::nullopt});
    }
  }

  // Repetitions go round the systems, so a passing disturbance of the machine does not fall on
  // one system's runs only; each phase shows its median over the runs.
  bool ok = true;
  std::vector<std::vector<BenchResult>> runs(planned.size());
  for (int rep = 1; rep <= options.repeat; ++rep) {
    for (size_t i = 0; i < planned.size(); ++i) {
      Planned& p = planned[i];
      if (p.failed) continue;
      std::vector<std::string> args{options.executable, "--system", p.system, "--n", std::to_string(options.n),
                                    "--dir", options.dir, "--rep", std::to_string(rep)};
      if (options.quiet) args.push_back("--quiet");
      if (p.system == "engine") args.insert(args.end(), {"--buffers", std::to_string(p.buffers)});
      std::string error;
      auto output = RunCaptured(args, error);
      std::optional<BenchResult> result;
      if (output) result = FindResultLine(*output);
      if (!result) {
        out << "FAILED " << p.label << " (run " << rep << "): " << (output ? "no RESULT line" : error) << "\n";
        p.failed = true;
        ok = false;
        continue;
      }
      if (!runs[i].empty()) {
        for (const std::string& what : OutcomeDifferences(runs[i].front(), *result)) {
          out << "MISMATCH " << p.label << " run " << rep << " vs run 1: " << what << "\n";
          ok = false;
        }
      }
      runs[i].push_back(*result);
    }
  }
  for (size_t i = 0; i < planned.size(); ++i)
    if (!runs[i].empty()) planned[i].column = Column{planned[i].label, planned[i].system, MedianOf(runs[i])};

  std::vector<Column> columns;
  for (Planned& p : planned)
    if (p.column && !p.failed) columns.push_back(std::move(*p.column));
  if (options.repeat > 1) out << "median of " << options.repeat << " runs per phase (peak RSS: the largest)\n";
  if (!columns.empty()) ok = PrintComparison(columns, options.n, out) && ok;
  return ok;
}

}  // namespace tf::bench
