#pragma once
// A file block of small records for browsing: a code (unique key 1) and a name (key 2, with
// duplicates), a counting wrapper around the engine calls that can also answer "busy" or fail,
// and a model with a source on it whose rows read "CODE NAME".

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "browse/browse_model.h"
#include "browse/browse_source.h"
#include "tests/engine/engine_fixture.h"

namespace tf::browse::testing {
using namespace tf::engine;
using namespace tf::engine::testing;

inline constexpr int32_t kBusyStatus = 10110;  // an error class 2 status

// Counts record reads and key steps; makes the next N calls of a kind fail with a status.
class CountingCalls : public BrowseEngineCalls {
 public:
  int gets = 0;
  int steps = 0;      // FindKeyAndRef, NextKey, PrevKey
  int failGets = 0;   // the next failGets record reads fail with getStatus
  int32_t getStatus = kBusyStatus;
  int skipSteps = 0;  // key steps let through before failSteps starts counting
  int failSteps = 0;  // the next failSteps key steps fail with stepStatus
  int32_t stepStatus = kBusyStatus;

  void GetRecord(FileBlock* h, int32_t ref, std::span<uint8_t> buffer) override {
    ++gets;
    if (Fail(failGets, getStatus)) return;
    BrowseEngineCalls::GetRecord(h, ref, buffer);
  }
  void FindKeyAndRef(FileBlock* h, int keyNr, int32_t& ref, int direction, std::string& key) override {
    ++steps;
    if (FailStep()) return;
    BrowseEngineCalls::FindKeyAndRef(h, keyNr, ref, direction, key);
  }
  void NextKey(FileBlock* h, int keyNr, int32_t& ref, std::string& key) override {
    ++steps;
    if (FailStep(h, keyNr)) return;
    BrowseEngineCalls::NextKey(h, keyNr, ref, key);
  }
  void PrevKey(FileBlock* h, int keyNr, int32_t& ref, std::string& key) override {
    ++steps;
    if (FailStep(h, keyNr)) return;
    BrowseEngineCalls::PrevKey(h, keyNr, ref, key);
  }

 private:
  // A failed NextKey / PrevKey leaves the index without a position, as the engine does.
  bool FailStep(FileBlock* h = nullptr, int keyNr = 0) {
    if (skipSteps > 0) {
      --skipSteps;
      return false;
    }
    if (failSteps == 0) return false;
    if (h) ClearKey(h, keyNr);
    return Fail(failSteps, stepStatus);
  }
  static bool Fail(int& pending, int32_t status) {
    if (pending == 0) return false;
    if (pending > 0) --pending;  // a negative count fails for ever
    EngineOK = false;
    EngineStatus = status;
    return true;
  }
};

// Record layout: 4-byte live marker, code (length byte + 10), name (length byte + 20).
inline constexpr int kCodeOffset = 4;
inline constexpr int kNameOffset = 15;
inline constexpr int kRecordLength = 36;

inline std::string Field(const unsigned char* record, int offset) {
  return std::string(reinterpret_cast<const char*>(record + offset + 1), record[offset]);
}

class BrowseTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    fb = Make("ITEMS", kRecordLength, {{10, 0}, {20, 1}});
  }
  void TearDown() override {
    model.Attach(nullptr);
    CloseFileBlock(fb);
    EngineTest::TearDown();
  }

  int32_t Add(const std::string& code, const std::string& name = "N") {
    unsigned char rec[kRecordLength] = {};
    Put(rec, code, name);
    int32_t ref = 0;
    AddRecord(fb, ref, rec);
    EXPECT_TRUE(EngineOK) << EngineStatus;
    AddKey(fb, 1, ref, code);
    EXPECT_TRUE(EngineOK) << EngineStatus;
    AddKey(fb, 2, ref, name);
    EXPECT_TRUE(EngineOK) << EngineStatus;
    return ref;
  }
  // Codes "<letter><digit>" for each letter given, `perLetter` of each.
  void AddLetters(const std::string& letters, int perLetter) {
    for (char l : letters)
      for (int d = 1; d <= perLetter; ++d) Add(std::string(1, l) + std::to_string(d), "N");
  }
  void Remove(int32_t ref, const std::string& code, const std::string& name = "N") {
    DeleteKey(fb, 1, ref, code);
    ASSERT_TRUE(EngineOK) << EngineStatus;
    DeleteKey(fb, 2, ref, name);
    ASSERT_TRUE(EngineOK) << EngineStatus;
    DeleteRecord(fb, ref);
    ASSERT_TRUE(EngineOK) << EngineStatus;
  }
  void Rewrite(int32_t ref, const std::string& code, const std::string& name) {
    unsigned char rec[kRecordLength] = {};
    Put(rec, code, name);
    PutRecord(fb, ref, rec);
    ASSERT_TRUE(EngineOK) << EngineStatus;
  }
  static void Put(unsigned char* rec, const std::string& code, const std::string& name) {
    rec[kCodeOffset] = static_cast<unsigned char>(code.size());
    std::memcpy(rec + kCodeOffset + 1, code.data(), code.size());
    rec[kNameOffset] = static_cast<unsigned char>(name.size());
    std::memcpy(rec + kNameOffset + 1, name.data(), name.size());
  }

  // A source on key `keyNr` whose rows read "CODE NAME" from the record buffer, "****  KEY"
  // for a placeholder; reads go through `calls`, busy pauses are recorded instead of slept.
  std::unique_ptr<BrowseSource> NewSource(int keyNr = 1, std::string_view low = {}, std::string_view high = {},
                                          int rowBuffers = kBrowseRowBuffers) {
    auto source = std::make_unique<BrowseSource>(fb, keyNr, buffer, sizeof buffer, low, high, rowBuffers);
    source->SetEngineCalls(calls);
    source->sleep = [this](std::chrono::milliseconds pause) { pauses.push_back(pause); };
    source->events.OnBuildRow = [this](RowRec& rr) {
      rr.Row = rr.Status == 0 ? Field(buffer, kCodeOffset) + " " + Field(buffer, kNameOffset) : "****  " + rr.Key;
      return 0;
    };
    return source;
  }
  void Show(int rows, int keyNr = 1, std::string_view low = {}, std::string_view high = {}) {
    model.SetVisibleRows(rows);
    model.Attach(NewSource(keyNr, low, high));
  }

  // The page as keys, the current row in brackets: "A1 [A2] A3".
  std::string Page() const {
    std::string s;
    for (int r = 1; r <= model.RowsFilled(); ++r) {
      if (!s.empty()) s += ' ';
      const std::string& key = model.Row(r).Key;
      s += r == model.CurrentRow() ? "[" + key + "]" : key;
    }
    return s;
  }
  // Record reads made by `action`.
  template <class Action> int ReadsOf(Action action) {
    const int before = calls.gets;
    action();
    return calls.gets - before;
  }

  FileBlock* fb = nullptr;
  unsigned char buffer[kRecordLength] = {};
  CountingCalls calls;
  std::vector<std::chrono::milliseconds> pauses;
  BrowseModel model;
};

}  // namespace tf::browse::testing
