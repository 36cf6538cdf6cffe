#include "engine/checking/checker_data.h"

#include <algorithm>
#include <string>

#include "engine/core/engine.h"

namespace tf::engine {
namespace {

using format::kEndOfChain;
using std::to_string;

constexpr int64_t kScanChunkBytes = 64 * 1024;

void CheckHeaderFields(const format::DataHeader& h, int64_t fileSize, FindingList& out) {
  if (h.RecordLength < kMinRecordLength)
    out.Add(Problem::RecordLengthInvalid, 0,
            "RecordLength " + to_string(h.RecordLength) + " is below 21; no record can be located");
  if (h.RecordCount < 0)
    out.Add(Problem::RecordCountInvalid, 0, "RecordCount " + to_string(h.RecordCount) + " is negative");
  if (h.KeyCount < 0 || h.KeyCount > kMaxKeys)
    out.Add(Problem::KeyCountInvalid, 0, "KeyCount " + to_string(h.KeyCount) + " is not 0..100");
  if (h.UpdateFlag != 0)
    out.Add(Problem::UpdateFlagSet, 0,
            "UpdateFlag is " + to_string(h.UpdateFlag) +
                ": the file block was not closed after its last change");
  if (h.RecordLength >= kMinRecordLength && h.RecordCount >= 0) {
    int64_t expected = format::DataFileLength(h.RecordCount, h.RecordLength);
    if (fileSize != expected) {
      std::string text = "data file holds " + to_string(fileSize) + " bytes, but RecordCount " +
                         to_string(h.RecordCount) + " and RecordLength " + to_string(h.RecordLength) +
                         " make " + to_string(expected);
      if (fileSize % h.RecordLength != 0) text += " (not a whole number of records)";
      out.Add(Problem::DataFileLength, 0, std::move(text));
    }
  }
}

void CheckHeaderPadding(const disk::RawFile& file, int32_t recordLength, FindingList& out) {
  std::vector<unsigned char> slot;
  if (!file.ReadAt(0, recordLength, slot)) return;  // a short file is reported already
  auto nonZero = std::find_if(slot.begin() + format::kDataHeaderSize, slot.end(),
                              [](unsigned char b) { return b != 0; });
  if (nonZero != slot.end())
    out.Add(Problem::HeaderPadding, 0,
            "header slot has a non-zero byte at offset " + to_string(nonZero - slot.begin()) +
                " after the 21-byte header");
}

// Reads slots 1..count in large sequential chunks.
void ScanRecords(const disk::RawFile& file, int32_t recordLength, int32_t count, RecordMap& map,
                 const RecordVisitor& visit) {
  map.links.reserve(size_t(count));
  int64_t perChunk = std::max<int64_t>(1, kScanChunkBytes / recordLength);
  std::vector<unsigned char> chunk;
  for (int32_t first = 1; first <= count;) {
    int64_t n = std::min<int64_t>(perChunk, int64_t(count) - first + 1);
    if (!file.ReadAt(format::RecordSlotOffset(first, recordLength), n * recordLength, chunk)) return;
    for (int64_t i = 0; i < n; ++i) {
      std::span<const unsigned char> slot(chunk.data() + i * recordLength, size_t(recordLength));
      map.links.push_back(format::DeletedLink(slot.data()));
      if (visit) visit(first + int32_t(i), slot);
    }
    first += int32_t(n);
  }
}

// Follows the free chain from FirstFree; returns false when it is broken (reported).
bool WalkFreeChain(const format::DataHeader& h, const RecordMap& map, std::vector<bool>& chained,
                   FindingList& out) {
  int64_t length = 0;
  std::string from = "FirstFree";
  for (int32_t ref = h.FirstFree; ref != kEndOfChain;) {
    if (ref < 1 || ref > h.RecordCount) {
      out.Add(Problem::FreeChainLink, 0,
              "free chain: " + from + " links to " + to_string(ref) + ", outside 1.." +
                  to_string(h.RecordCount) + " and not -1");
      return false;
    }
    if (size_t(ref) > map.links.size()) {
      out.Add(Problem::FreeChainLink, 0,
              "free chain: " + from + " links to record " + to_string(ref) +
                  ", beyond the end of the data file");
      return false;
    }
    if (chained[ref]) {
      out.Add(Problem::FreeChainCycle, 0,
              "free chain: record " + to_string(ref) + " is reached twice (the chain loops)");
      return false;
    }
    chained[ref] = true;
    ++length;
    int32_t link = map.links[ref - 1];
    if (link == format::kLiveRecord) {
      out.Add(Problem::FreeChainLiveSlot, 0,
              "free chain: record " + to_string(ref) +
                  " is chained but its first four bytes are 0, the mark of a live record");
      return false;
    }
    from = "record " + to_string(ref);
    ref = link;
  }
  if (length != h.DeletedCount) {
    out.Add(Problem::FreeChainLength, 0,
            "free chain holds " + to_string(length) + " records but DeletedCount is " +
                to_string(h.DeletedCount));
  }
  return true;
}

}  // namespace

RecordMap::State RecordMap::StateOf(int32_t ref) const {
  if (ref < 1 || ref > recordCount) return State::OutOfRange;
  if (size_t(ref) > links.size()) return State::BeyondFile;
  return links[ref - 1] == format::kLiveRecord ? State::Live : State::Deleted;
}

DataInspection InspectDataFile(const disk::RawFile& file, FindingList& out,
                               const RecordVisitor& visit) {
  DataInspection result;
  unsigned char raw[format::kDataHeaderSize];
  if (!file.ReadAt(0, format::kDataHeaderSize, raw)) {
    out.Add(Problem::DataHeaderShort, 0,
            "data file holds " + to_string(file.Size()) + " bytes, less than its 21-byte header");
    return result;
  }
  result.headerRead = true;
  const format::DataHeader h = result.header = format::DataHeader::Decode(raw);
  CheckHeaderFields(h, file.Size(), out);
  if (h.RecordLength < kMinRecordLength || h.RecordCount < 0) return result;

  CheckHeaderPadding(file, h.RecordLength, out);
  RecordMap& map = result.records;
  map.known = true;
  map.recordCount = h.RecordCount;
  int64_t slotsInFile = std::max<int64_t>(0, file.Size() / h.RecordLength - 1);
  ScanRecords(file, h.RecordLength, int32_t(std::min<int64_t>(h.RecordCount, slotsInFile)), map,
              visit);

  std::vector<bool> chained(map.links.size() + 1, false);
  if (!WalkFreeChain(h, map, chained, out)) return result;
  for (size_t ref = 1; ref <= map.links.size(); ++ref) {
    if (map.links[ref - 1] != format::kLiveRecord && !chained[ref])
      out.Add(Problem::DeletedSlotNotChained, 0,
              "record " + to_string(ref) + " is marked deleted (link " +
                  to_string(map.links[ref - 1]) + ") but is not in the free chain");
  }
  return result;
}

}  // namespace tf::engine
