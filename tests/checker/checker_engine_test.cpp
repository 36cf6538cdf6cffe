// File blocks written by the engine itself check clean, and random damage to them never
// crashes the checker (the sanitized twin of this test watches every read).

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "engine/checking/checker.h"
#include "engine/core/engine.h"
#include "tests/checker/block_fixture.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

using namespace tf::engine;

constexpr int kRecordLength = 40;  // link, code at 4..13 (key 1), group at 14..19 (key 2), payload

std::vector<std::string> EngineSampleKeys(std::span<const unsigned char> r) {
  return {std::string(reinterpret_cast<const char*>(r.data() + 4), 10),
          std::string(reinterpret_cast<const char*>(r.data() + 14), 6)};
}

Bytes EngineRecord(int codeNumber, int filler) {
  Bytes r(kRecordLength, 0);
  char code[16], group[16];
  std::snprintf(code, sizeof code, "C%09d", codeNumber);
  std::snprintf(group, sizeof group, "G%05d", codeNumber % 37);
  std::copy_n(code, 10, r.begin() + 4);
  std::copy_n(group, 6, r.begin() + 14);
  for (int i = 20; i < kRecordLength; ++i) r[size_t(i)] = static_cast<unsigned char>(filler + i);
  return r;
}

struct Written {
  int live = 0;
  int deleted = 0;
};

// Adds 3000 records, deletes a contiguous range of codes (so leaves merge and pages are freed)
// and every ninth of the rest, then adds 150 more into the freed slots.
Written WriteEngineSample(const std::string& name) {
  const KeyDescriptor keys[] = {{10, 0}, {6, 1}};
  MakeFileBlock(name, kRecordLength, 2, keys);
  EXPECT_TRUE(EngineOK) << EngineStatus;
  FileBlockGuard block;
  OpenFileBlock(block.handle(), name);
  EXPECT_TRUE(EngineOK) << EngineStatus;
  Written w;
  std::vector<std::pair<int32_t, Bytes>> added;
  auto add = [&](int codeNumber) {
    Bytes r = EngineRecord(codeNumber, int(added.size()));
    int32_t ref = 0;
    AddRecord(block.get(), ref, r.data());
    EXPECT_TRUE(EngineOK) << EngineStatus;
    auto k = EngineSampleKeys(r);
    AddKey(block.get(), 1, ref, k[0]);
    EXPECT_TRUE(EngineOK) << EngineStatus;
    AddKey(block.get(), 2, ref, k[1]);
    EXPECT_TRUE(EngineOK) << EngineStatus;
    added.emplace_back(ref, r);
    ++w.live;
  };
  for (int i = 0; i < 3000; ++i) add((i * 7919) % 100003);
  for (size_t i = 0; i < added.size(); ++i) {
    auto& [ref, r] = added[i];
    int codeNumber = std::stoi(std::string(reinterpret_cast<const char*>(r.data() + 5), 9));
    if (!(codeNumber >= 20000 && codeNumber < 50000) && i % 9 != 0) continue;
    auto k = EngineSampleKeys(r);
    DeleteKey(block.get(), 1, ref, k[0]);
    EXPECT_TRUE(EngineOK) << EngineStatus;
    DeleteKey(block.get(), 2, ref, k[1]);
    EXPECT_TRUE(EngineOK) << EngineStatus;
    DeleteRecord(block.get(), ref);
    EXPECT_TRUE(EngineOK) << EngineStatus;
    --w.live;
    ++w.deleted;
  }
  for (int i = 0; i < 150; ++i) {
    add(200000 + i);
    --w.deleted;
  }
  block.Close();
  EXPECT_TRUE(EngineOK) << EngineStatus;
  return w;
}

Bytes ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}

std::string Describe(const CheckResult& r) {
  std::string s;
  for (const auto& f : r.findings) s += "  " + f.text + "\n";
  return s;
}

// An initialised engine for the life of the object.
class EngineSession {
 public:
  explicit EngineSession(int pageBuffers) { InitEngine(0, pageBuffers); }
  ~EngineSession() { ExitEngine(); }
  EngineSession(const EngineSession&) = delete;
  EngineSession& operator=(const EngineSession&) = delete;
};

// Run with the smallest pool (constant eviction) and the program's own.
class CheckerOnEngineFiles : public ::testing::TestWithParam<int> {
 protected:
  TempFolder dir_{TempFolder::Enter};
  EngineSession engine_{GetParam()};
};

TEST_P(CheckerOnEngineFiles, EngineWrittenBlockChecksClean) {
  ASSERT_TRUE(EngineOK) << EngineStatus;
  Written w = WriteEngineSample("ENGINE");
  KeyBuilder keys = EngineSampleKeys;
  auto result = CheckFileBlock("ENGINE", &keys);
  EXPECT_TRUE(result.Clean()) << Describe(result);

  // The scenario reached what it means to exercise: free records, freed pages, deep trees.
  auto layout = ReadFileBlockLayout("ENGINE");
  EXPECT_EQ(layout.header.DeletedCount, w.deleted);
  EXPECT_GT(layout.header.DeletedCount, 0);
  ASSERT_EQ(layout.indexes.size(), 2u);
  for (const auto& index : layout.indexes) EXPECT_EQ(int(index.entries.size()), w.live);
  EXPECT_GT(layout.indexes[0].header.FreePageCount, 0);
}

// The same block before its close: the flag is the one finding.
TEST_P(CheckerOnEngineFiles, UnclosedBlockIsReported) {
  const KeyDescriptor keys[] = {{10, 0}};
  MakeFileBlock("OPEN", kRecordLength, 1, keys);
  ASSERT_TRUE(EngineOK) << EngineStatus;
  FileBlockGuard block;
  OpenFileBlock(block.handle(), "OPEN");
  ASSERT_TRUE(EngineOK);
  int32_t ref = 0;
  Bytes r = EngineRecord(1, 0);
  AddRecord(block.get(), ref, r.data());
  ASSERT_TRUE(EngineOK);
  auto result = CheckFileBlock("OPEN");
  EXPECT_TRUE(result.Has(Problem::UpdateFlagSet)) << Describe(result);
  block.Close();
  EXPECT_FALSE(CheckFileBlock("OPEN").Has(Problem::UpdateFlagSet));
}

// Random bytes of valid engine files flipped, many times, from a fixed seed. Bytes whose
// change must always show (headers, record links, the key fields of live records, index
// headers) are tracked, so the loop also proves those are never missed.
// The files do not depend on the pool size, so this runs once.
TEST(CheckerOnEngineDamage, RandomDamageNeverCrashesAndHeadersNeverSlipThrough) {
  TempFolder dir{TempFolder::Enter};
  {
    EngineSession engine(kMinPageBuffers);
    ASSERT_TRUE(EngineOK) << EngineStatus;
    WriteEngineSample("ENGINE");
  }
  const Bytes data = ReadAll("ENGINE.DAT"), index = ReadAll("ENGINE.IX");
  ASSERT_GT(data.size(), 0u);
  ASSERT_GT(index.size(), 0u);
  const int64_t headerRecord = (62 * 10 + 564) + (62 * 6 + 564);
  auto mustShow = [&](bool inData, size_t at) {
    if (inData) {
      if (at < size_t(kRecordLength)) return true;  // header and its padding
      size_t field = at % kRecordLength;
      bool live = GetInt32(data, int64_t(at - field)) == 0;
      return field < 4 || (live && field < 20);
    }
    if (at >= size_t(headerRecord)) return false;
    int64_t sectionTwo = 62 * 10 + 564;
    if (int64_t(at) == 20 || int64_t(at) == 26 || int64_t(at) == sectionTwo + 26) return false;
    return true;  // every other byte of index record 0, headers and zero padding
  };

  KeyBuilder keys = EngineSampleKeys;
  std::mt19937 rng(1234567);
  int mustShowCount = 0;
  const int iterations = 1000;
  for (int iteration = 0; iteration < iterations; ++iteration) {
    Bytes d = data, x = index;
    bool shows = false;
    int flips = 1 + int(rng() % 4);
    for (int i = 0; i < flips; ++i) {
      bool inData = rng() % 2 == 0;
      size_t at = rng() % (inData ? d.size() : x.size());
      Bytes& target = inData ? d : x;
      if (target[at] != (inData ? data : index)[at]) continue;  // keep flips from cancelling
      target[at] ^= static_cast<unsigned char>(1 + rng() % 255);
      shows |= mustShow(inData, at);
    }
    if (iteration % 50 == 0) {  // now and then a cut file too; any cut shows
      Bytes& cut = iteration % 100 ? d : x;
      cut.resize(rng() % cut.size());
      shows = true;
    }
    WriteBlockFiles("DAMAGED", d, &x);
    auto result = CheckFileBlock("DAMAGED", &keys);
    for (const auto& f : result.findings) ASSERT_FALSE(f.text.empty());
    if (shows) {
      ++mustShowCount;
      ASSERT_FALSE(result.Clean()) << "iteration " << iteration;
    }
  }
  EXPECT_GT(mustShowCount, 20);
}

INSTANTIATE_TEST_SUITE_P(Pools, CheckerOnEngineFiles, ::testing::Values(kMinPageBuffers, kProgramPageBuffers),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "pool" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace tf::test
