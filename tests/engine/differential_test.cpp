// Long random sequences of record and key operations against an in-memory model: every answer
// of the engine must match the model's, across closes and reopens, with the smallest pool and
// with a larger one.

#include <map>
#include <optional>
#include <random>
#include <cstring>
#include <set>

#include "engine/core/key_compare.h"
#include "tests/engine/engine_fixture.h"

namespace tf::engine::testing {
namespace {

using Entry = KeyEntry;

// One index as the engine should see it. In a unique index an entry is found by its key alone.
struct ModelIndex {
  bool duplicates;
  std::set<Entry> entries;
  std::optional<Entry> position;  // last entry returned, if the index has a position

  static bool Less(const Entry& a, const Entry& b, bool dup) {
    int c = CompareKeys(a.first, b.first);
    if (c) return c < 0;
    return dup && a.second < b.second;
  }
  std::optional<Entry> FirstAtLeast(const Entry& probe, bool strictly) const {
    for (const Entry& e : entries)  // the model favours obviousness over speed
      if (strictly ? Less(probe, e, duplicates) : !Less(e, probe, duplicates)) return e;
    return std::nullopt;
  }
  std::optional<Entry> LastBelow(const Entry& probe) const {
    std::optional<Entry> best;
    for (const Entry& e : entries)
      if (Less(e, probe, duplicates)) best = e;
    return best;
  }
  bool Contains(const std::string& key, int32_t ref) const {
    for (const Entry& e : entries)
      if (e.first == key && (!duplicates || e.second == ref)) return true;
    return false;
  }
};

std::string RandomKey(std::mt19937& rng, int maxLen) {
  static const char alphabet[] = "ABCDE a\x7f\xff";
  std::uniform_int_distribution<int> len(0, maxLen), ch(0, sizeof(alphabet) - 2);
  std::string k(size_t(len(rng)), ' ');
  for (char& c : k) c = alphabet[ch(rng)];
  return k;
}

class DifferentialTest : public EngineTest {};

TEST_P(DifferentialTest, EngineAgreesWithModel) {
  const KeyDescriptor descs[] = {{4, 0}, {3, 1}};
  const int kRecordLength = 40;
  MakeFileBlock(Name("DIFF"), kRecordLength, 2, descs);
  ASSERT_TRUE(EngineOK);
  FileBlock* h = nullptr;

  std::mt19937 rng(1234 + GetParam());
  std::map<int32_t, std::string> records;  // ref -> payload
  ModelIndex model[3] = {{}, {false, {}, {}}, {true, {}, {}}};

  auto open = [&] {
    OpenFileBlock(h, Name("DIFF"));
    ASSERT_TRUE(EngineOK) << EngineStatus;
    for (auto& m : model) m.position.reset();
  };
  open();

  std::string key;
  int32_t ref = 0;
  for (int round = 0; round < 12; ++round) {
    for (int op = 0; op < 2500; ++op) {
      int what = std::uniform_int_distribution<int>(0, 99)(rng);
      int nr = 1 + (what & 1);
      ModelIndex& m = model[nr];
      const int maxLen = nr == 1 ? 4 : 3;
      if (what < 30) {  // add a key, usually for a fresh record
        std::vector<uint8_t> rec(kRecordLength, 0);
        std::string payload = std::to_string(op) + "/" + std::to_string(round);
        std::memcpy(rec.data() + 4, payload.data(), payload.size());
        int32_t r = 0;
        AddRecord(h, r, rec.data());
        ASSERT_TRUE(EngineOK) << EngineStatus;
        ASSERT_EQ(records.count(r), 0u);
        records[r] = payload;
        std::string k = RandomKey(rng, maxLen);
        AddKey(h, nr, r, k);
        if (m.Contains(k, r) || (!m.duplicates && m.FirstAtLeast({k, 0}, false) &&
                                 m.FirstAtLeast({k, 0}, false)->first == k)) {
          ASSERT_FALSE(EngineOK);
          ASSERT_EQ(EngineStatus, status::kDuplicateKey);
        } else {
          ASSERT_TRUE(EngineOK) << EngineStatus;
          m.entries.insert({k, r});
        }
      } else if (what < 50) {  // delete a present entry (or an absent one now and then)
        if (m.entries.empty() || what < 34) {
          std::string k = RandomKey(rng, maxLen);
          int32_t r = std::uniform_int_distribution<int32_t>(1, 50)(rng);
          bool present = m.Contains(k, r);
          DeleteKey(h, nr, r, k);
          if (!present) {
            ASSERT_EQ(EngineStatus, status::kDeleteKeyNotFound);
          } else {
            ASSERT_TRUE(EngineOK);
            for (auto it = m.entries.begin(); it != m.entries.end(); ++it)
              if (it->first == k && (m.duplicates ? it->second == r : true)) {
                m.entries.erase(it);
                break;
              }
          }
        } else {
          auto it = m.entries.begin();
          std::advance(it, std::uniform_int_distribution<size_t>(0, m.entries.size() - 1)(rng));
          Entry e = *it;
          DeleteKey(h, nr, m.duplicates ? e.second : 999999, e.first);
          ASSERT_TRUE(EngineOK) << EngineStatus;
          m.entries.erase(it);
        }
      } else if (what < 60) {  // search
        key = RandomKey(rng, maxLen);
        std::string probe = key;
        SearchKey(h, nr, ref, key);
        auto want = m.FirstAtLeast({probe, 0}, false);
        if (!want) {
          ASSERT_EQ(EngineStatus, status::kSearchNotFound) << probe;
          m.position.reset();
        } else {
          ASSERT_TRUE(EngineOK) << EngineStatus;
          ASSERT_EQ(Entry(key, ref), *want) << "search " << probe;
          m.position = want;
        }
      } else if (what < 80) {  // step forward, from the caller's last answer
        if (m.position) {
          key = m.position->first;
          ref = m.position->second;
        }
        NextKey(h, nr, ref, key);
        auto want = m.position ? m.FirstAtLeast(*m.position, true) : (m.entries.empty() ? std::nullopt : std::optional<Entry>(*m.entries.begin()));
        if (!want) {
          ASSERT_EQ(EngineStatus, status::kNextPastEnd);
          m.position.reset();
        } else {
          ASSERT_TRUE(EngineOK) << EngineStatus;
          ASSERT_EQ(Entry(key, ref), *want);
          m.position = want;
        }
      } else if (what < 95) {  // step backward
        if (m.position) {
          key = m.position->first;
          ref = m.position->second;
        }
        PrevKey(h, nr, ref, key);
        auto want = m.position ? m.LastBelow(*m.position) : (m.entries.empty() ? std::nullopt : std::optional<Entry>(*m.entries.rbegin()));
        if (!want) {
          ASSERT_EQ(EngineStatus, status::kPrevPastStart);
          m.position.reset();
        } else {
          ASSERT_TRUE(EngineOK) << EngineStatus;
          ASSERT_EQ(Entry(key, ref), *want);
          m.position = want;
        }
      } else if (!records.empty()) {  // delete a record that no key names any more, or read one
        auto it = records.begin();
        std::advance(it, std::uniform_int_distribution<size_t>(0, records.size() - 1)(rng));
        std::vector<uint8_t> rec(kRecordLength);
        GetRecord(h, it->first, rec.data());
        ASSERT_TRUE(EngineOK);
        ASSERT_EQ(std::string(reinterpret_cast<char*>(rec.data()) + 4, it->second.size()), it->second);
        bool named = false;
        for (int n = 1; n <= 2; ++n)
          for (const Entry& e : model[n].entries) named = named || e.second == it->first;
        if (!named) {
          DeleteRecord(h, it->first);
          ASSERT_TRUE(EngineOK) << EngineStatus;
          records.erase(it);
        }
      }
    }
    // End of round: the full walk in both directions and the counts agree with the model.
    for (int nr = 1; nr <= 2; ++nr) {
      ASSERT_EQ(UsedKeys(h, nr), int(model[nr].entries.size()));
      std::vector<Entry> walked = WalkKeys(h, nr);
      ASSERT_EQ(walked, std::vector<Entry>(model[nr].entries.begin(), model[nr].entries.end()));
      ASSERT_EQ(WalkKeysBackward(h, nr), walked);
      model[nr].position.reset();
    }
    ASSERT_EQ(UsedRecords(h), int(records.size()));
    CloseFileBlock(h);
    ASSERT_TRUE(EngineOK) << EngineStatus;
    open();
  }
  CloseFileBlock(h);
}

TF_POOL_SIZES(DifferentialTest);

}  // namespace
}  // namespace tf::engine::testing
