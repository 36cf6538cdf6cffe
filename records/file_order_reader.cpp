#include "records/file_order_reader.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace tf::records {
namespace {

// A run ends where the next wanted slot lies further than a read's worth of bytes away, or
// where the run would outgrow the buffer: reading a gap of this size costs about what a read
// call does.
constexpr std::size_t kGapBytes = 64 * 1024;
constexpr std::size_t kRunBytes = 1024 * 1024;

}  // namespace

bool ReadInFileOrder(engine::FileBlock* handle, std::span<const std::int32_t> refs,
                     const std::function<void(std::size_t position, std::span<const std::uint8_t> record)>& each) {
  const int length = engine::RecordLength(handle);
  if (!engine::EngineOK) return false;
  const std::size_t recordBytes = std::size_t(std::max(length, 1));
  // The positions by record number (then position), sorted as single numbers; a list already in
  // file order, as a file written in key order gives, needs no sort.
  std::vector<std::uint32_t> order(refs.size());
  std::iota(order.begin(), order.end(), 0u);
  if (!std::is_sorted(refs.begin(), refs.end())) {
    std::vector<std::uint64_t> keyed(refs.size());
    for (std::size_t i = 0; i < refs.size(); ++i)
      keyed[i] = (std::uint64_t(std::uint32_t(refs[i]) ^ 0x80000000u) << 32) | std::uint64_t(i);
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < keyed.size(); ++i) order[i] = std::uint32_t(keyed[i]);
  }
  const std::int32_t maxGap = std::int32_t(std::max<std::size_t>(1, kGapBytes / recordBytes));
  const std::int32_t maxRun = std::int32_t(std::max<std::size_t>(1, kRunBytes / recordBytes));
  std::vector<std::uint8_t> buffer;
  std::size_t i = 0;
  while (i < order.size()) {
    const std::int32_t first = refs[order[i]];
    std::size_t j = i + 1;
    while (j < order.size() && refs[order[j]] - refs[order[j - 1]] <= maxGap && refs[order[j]] - first < maxRun) ++j;
    const std::int32_t count = refs[order[j - 1]] - first + 1;
    buffer.resize(std::size_t(count) * recordBytes);
    engine::GetRecords(handle, first, count, std::span<std::uint8_t>(buffer));
    if (!engine::EngineOK) return false;
    for (std::size_t k = i; k < j; ++k) {
      const std::size_t at = std::size_t(refs[order[k]] - first) * recordBytes;
      each(order[k], std::span<const std::uint8_t>(buffer.data() + at, recordBytes));
    }
    i = j;
  }
  engine::EngineOK = true;
  engine::EngineStatus = 0;
  return true;
}

bool ReadLiveRecords(engine::FileBlock* handle,
                     const std::function<void(std::int32_t ref, std::span<const std::uint8_t> record)>& each) {
  const int length = engine::RecordLength(handle);
  if (!engine::EngineOK) return false;
  const std::int32_t last = engine::FileLength(handle) - 1;
  if (!engine::EngineOK) return false;
  // Every record begins with its four-byte status word.
  const std::size_t recordBytes = std::size_t(std::max(length, 4));
  const std::int32_t maxRun = std::int32_t(std::max<std::size_t>(1, kRunBytes / recordBytes));
  std::vector<std::uint8_t> buffer;
  for (std::int32_t first = 1; first <= last; first += maxRun) {
    const std::int32_t count = std::min(maxRun, last - first + 1);
    buffer.resize(std::size_t(count) * recordBytes);
    engine::GetRecords(handle, first, count, std::span<std::uint8_t>(buffer));
    if (!engine::EngineOK) return false;
    for (std::int32_t k = 0; k < count; ++k) {
      const std::uint8_t* slot = buffer.data() + std::size_t(k) * recordBytes;
      if (slot[0] != 0 || slot[1] != 0 || slot[2] != 0 || slot[3] != 0) continue;  // a deleted slot
      each(first + k, std::span<const std::uint8_t>(slot, recordBytes));
    }
  }
  engine::EngineOK = true;
  engine::EngineStatus = 0;
  return true;
}

}  // namespace tf::records
