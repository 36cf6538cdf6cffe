#include "bench/bench_result.h"

#include <sys/resource.h>

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <map>

namespace tf::bench {
namespace {

// A system without its own phase-5 digest prints this instead of 16 hex digits.
constexpr std::string_view kNoDigest = "-";

std::string Hex16(uint64_t v) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016" PRIx64, v);
  return buf;
}

template <class T>
bool ParseNumber(std::string_view text, T& out, int base = 10) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out, base);
  return ec == std::errc() && ptr == end;
}

bool ParseSeconds(std::string_view text, double& out) {
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && ptr == text.data() + text.size() && out >= 0;
}

}  // namespace

std::string FormatResultLine(const BenchResult& r) {
  std::string line = "RESULT system=" + r.system + " n=" + std::to_string(r.n) + " rep=" + std::to_string(r.rep);
  char buf[48];
  for (int p = 0; p < kPhaseCount; ++p) {
    std::snprintf(buf, sizeof buf, " p%d=%.6f", p + 1, r.seconds[p]);
    line += buf;
  }
  auto digest = [&line](int phase, const Digest& d, bool withHash) {
    line += " c" + std::to_string(phase) + "=" + std::to_string(d.count);
    line += " h" + std::to_string(phase) + "=" + (withHash ? Hex16(d.hash) : std::string(kNoDigest));
  };
  digest(2, r.lookups, true);
  digest(3, r.ranges, true);
  digest(4, r.fullWalk, true);
  digest(5, r.deletes, r.deleteDigest);
  line += " c6=" + std::to_string(r.reopenCount);
  line += " file_bytes=" + std::to_string(r.fileBytes);
  line += " rss_kb=" + std::to_string(r.rssKb);
  if (r.generateSeconds) {
    std::snprintf(buf, sizeof buf, " gen=%.6f", *r.generateSeconds);
    line += buf;
  }
  return line;
}

std::optional<BenchResult> ParseResultLine(std::string_view line) {
  constexpr std::string_view kTag = "RESULT ";
  if (!line.starts_with(kTag)) return std::nullopt;
  line.remove_prefix(kTag.size());
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);

  std::map<std::string_view, std::string_view> fields;
  while (!line.empty()) {
    size_t space = line.find(' ');
    std::string_view item = line.substr(0, space);
    line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    if (item.empty()) continue;
    size_t eq = item.find('=');
    if (eq == std::string_view::npos || eq == 0) return std::nullopt;
    if (!fields.emplace(item.substr(0, eq), item.substr(eq + 1)).second) return std::nullopt;
  }

  BenchResult r;
  auto field = [&fields](std::string_view name) -> std::optional<std::string_view> {
    auto it = fields.find(name);
    if (it == fields.end()) return std::nullopt;
    return it->second;
  };
  auto system = field("system");
  if (!system || system->empty()) return std::nullopt;
  r.system = std::string(*system);
  auto n = field("n"), rep = field("rep"), c6 = field("c6"), bytes = field("file_bytes"), rss = field("rss_kb");
  if (!n || !ParseNumber(*n, r.n) || !rep || !ParseNumber(*rep, r.rep)) return std::nullopt;
  if (!c6 || !ParseNumber(*c6, r.reopenCount)) return std::nullopt;
  if (!bytes || !ParseNumber(*bytes, r.fileBytes) || !rss || !ParseNumber(*rss, r.rssKb)) return std::nullopt;

  for (int p = 0; p < kPhaseCount; ++p) {
    auto s = field("p" + std::to_string(p + 1));
    if (!s || !ParseSeconds(*s, r.seconds[p])) return std::nullopt;
  }
  Digest* digests[] = {&r.lookups, &r.ranges, &r.fullWalk, &r.deletes};
  for (int phase = 2; phase <= 5; ++phase) {
    Digest& d = *digests[phase - 2];
    auto c = field("c" + std::to_string(phase)), h = field("h" + std::to_string(phase));
    if (!c || !ParseNumber(*c, d.count) || !h) return std::nullopt;
    if (phase == 5 && *h == kNoDigest) {
      r.deleteDigest = false;
      continue;
    }
    if (h->size() != 16 || !ParseNumber(*h, d.hash, 16)) return std::nullopt;
  }
  if (auto gen = field("gen")) {
    double g = 0;
    if (!ParseSeconds(*gen, g)) return std::nullopt;
    r.generateSeconds = g;
  }
  return r;
}

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace tf::bench
