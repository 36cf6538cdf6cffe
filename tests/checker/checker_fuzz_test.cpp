// Random damage to the hand-built sample. Every byte of the sample is classed as one the
// checker must notice when it changes (headers, links, counts, used entry bytes, key fields of
// live records), one it must ignore (slack the formats leave unspecified, payload outside the
// keys), or one whose change can be harmless (a page capacity of 62 turned into 0). Each
// iteration flips a few distinct bytes and expects findings exactly when a noticed byte
// changed; the sanitized twin of this test also proves no read goes astray.

#include <gtest/gtest.h>

#include <random>

#include "engine/checking/checker.h"
#include "tests/checker/block_fixture.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

enum class Byte : uint8_t { Ignored, Matters, Either };

struct ByteMap {
  std::vector<Byte> data, index;
};

void Mark(std::vector<Byte>& map, int64_t from, int64_t count, Byte how) {
  std::fill_n(map.begin() + from, count, how);
}

ByteMap Classify(const HandBuiltBlock& b) {
  ByteMap m;
  m.data.assign(b.DataBytes().size(), Byte::Ignored);
  Mark(m.data, 0, b.recordLength, Byte::Matters);  // header and its zero padding
  for (size_t i = 0; i < b.records.size(); ++i) {
    int64_t at = b.RecordOffset(int32_t(i + 1));
    Mark(m.data, at, 4, Byte::Matters);
    if (GetInt32(b.records[i], 0) == 0) Mark(m.data, at + 4, 12, Byte::Matters);  // both keys
  }
  m.index.assign(b.IndexBytes().size(), Byte::Ignored);
  Mark(m.index, 0, b.IndexRecordSize(), Byte::Matters);
  for (size_t k = 0; k < b.keys.size(); ++k) {
    const HandKey& key = b.keys[k];
    int keyNr = int(k) + 1;
    int64_t header = b.SectionOffset(keyNr);
    Mark(m.index, header + index_field::kPageCapacity, 1, Byte::Either);  // 62 -> 0 reads as 62
    if (!key.duplicates) Mark(m.index, header + index_field::kAllowDuplicates, 1, Byte::Either);
    for (const auto& [number, page] : key.pages) {
      Mark(m.index, b.PageOffset(keyNr, number), 6, Byte::Matters);
      for (size_t e = 0; e < page.entries.size(); ++e)
        Mark(m.index, b.EntryOffset(keyNr, number, int(e) + 1), 9 + int64_t(page.entries[e].key.size()),
             Byte::Matters);
    }
    for (const auto& [number, link] : key.freeLinks) Mark(m.index, b.PageOffset(keyNr, number), 4, Byte::Matters);
  }
  return m;
}

std::string Describe(const engine::CheckResult& r) {
  std::string s;
  for (const auto& f : r.findings) s += "  " + f.text + "\n";
  return s;
}

TEST(CheckerFuzzTest, FlippedBytesAreNoticedExactlyWhenTheyMatter) {
  TempFolder dir{TempFolder::Enter};
  const HandBuiltBlock block = SampleBlock();
  const Bytes data = block.DataBytes(), index = block.IndexBytes();
  const ByteMap map = Classify(block);
  engine::KeyBuilder keys = SampleKeys;
  std::mt19937 rng(20240611);
  int noticed = 0, ignored = 0;

  for (int iteration = 0; iteration < 3000; ++iteration) {
    Bytes d = data, x = index;
    int flips = 1 + int(rng() % 3);
    bool matters = false, either = false;
    std::vector<std::pair<bool, size_t>> done;
    while (int(done.size()) < flips) {
      bool inData = rng() % 3 == 0;
      size_t at = rng() % (inData ? d.size() : x.size());
      if (std::find(done.begin(), done.end(), std::make_pair(inData, at)) != done.end()) continue;
      done.emplace_back(inData, at);
      (inData ? d : x)[at] ^= static_cast<unsigned char>(1 + rng() % 255);
      Byte how = (inData ? map.data : map.index)[at];
      matters |= how == Byte::Matters;
      either |= how == Byte::Either;
    }
    WriteBlockFiles("FUZZ", d, &x);
    auto result = engine::CheckFileBlock("FUZZ", &keys);
    for (const auto& f : result.findings) ASSERT_FALSE(f.text.empty());
    if (matters) {
      ++noticed;
      ASSERT_FALSE(result.Clean()) << "iteration " << iteration << ": a flip in a byte that matters went unnoticed";
    } else if (!either) {
      ++ignored;
      ASSERT_TRUE(result.Clean()) << "iteration " << iteration << ": a flip in slack was reported\n"
                                  << Describe(result);
    }
  }
  // Both classes were exercised.
  EXPECT_GT(noticed, 500);
  EXPECT_GT(ignored, 200);
}

TEST(CheckerFuzzTest, EveryTruncationIsReported) {
  TempFolder dir{TempFolder::Enter};
  const HandBuiltBlock block = SampleBlock();
  const Bytes data = block.DataBytes(), index = block.IndexBytes();
  engine::KeyBuilder keys = SampleKeys;
  std::mt19937 rng(7);
  for (int iteration = 0; iteration < 400; ++iteration) {
    Bytes d = data, x = index;
    if (iteration % 2) d.resize(rng() % d.size());
    else x.resize(rng() % x.size());
    WriteBlockFiles("CUT", d, &x);
    auto result = engine::CheckFileBlock("CUT", &keys);
    ASSERT_FALSE(result.Clean()) << "iteration " << iteration << " data " << d.size() << " index " << x.size();
  }
}

TEST(CheckerFuzzTest, GarbageFilesAreReportedNotTrusted) {
  TempFolder dir{TempFolder::Enter};
  std::mt19937 rng(99);
  engine::KeyBuilder keys = SampleKeys;
  for (int iteration = 0; iteration < 500; ++iteration) {
    Bytes d(rng() % 3000), x(rng() % 20000);
    for (auto& b : d) b = static_cast<unsigned char>(rng());
    for (auto& b : x) b = static_cast<unsigned char>(rng());
    // Half of the time a plausible header in front, so the deeper checks run on garbage too.
    if (iteration % 2 && d.size() >= 21) {
      int32_t length = 21 + int32_t(rng() % 40);
      PutInt32(d, data_field::kRecordLength, length);
      PutInt32(d, data_field::kRecordCount, int32_t(d.size() / length) - 1);
      PutInt32(d, data_field::kKeyCount, 1 + int32_t(rng() % 3));
      if (x.size() >= 28) {
        PutInt32(x, index_field::kPageSlotSize, 62 * (1 + int32_t(rng() % 30)) + 564);
        PutInt16(x, index_field::kPageCapacity, 62);
      }
    }
    WriteBlockFiles("JUNK", d, &x);
    auto result = engine::CheckFileBlock("JUNK", &keys);
    ASSERT_FALSE(result.Clean()) << "iteration " << iteration;
    auto layout = engine::ReadFileBlockLayout("JUNK");
    ASSERT_EQ(layout.findings.size(), engine::CheckFileBlock("JUNK").findings.size());
  }
}

}  // namespace
}  // namespace tf::test
