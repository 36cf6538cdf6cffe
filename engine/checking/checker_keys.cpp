#include "engine/checking/checker_keys.h"

#include <algorithm>
#include <exception>
#include <string>

#include "engine/core/key_compare.h"

namespace tf::engine {
namespace {

using std::to_string;

bool EntryBefore(const LayoutEntry& a, const LayoutEntry& b) {
  return CompareEntries(a.key, a.ref, b.key, b.ref, true) < 0;
}

}  // namespace

void ExpectedKeys::AddRecord(int32_t ref, std::span<const unsigned char> record, FindingList& out) {
  try {
    built_.push_back({ref, builder_(record)});
  } catch (const std::exception& e) {
    out.Add(Problem::KeyBuilderResult, 0,
            "record " + to_string(ref) + ": the key builder failed: " + e.what());
  }
}

void ExpectedKeys::Compare(int keyCount, const std::vector<IndexInspection>& indexes,
                           const RecordMap& records, FindingList& out) const {
  for (const Built& b : built_)
    if (int(b.keys.size()) != keyCount)
      out.Add(Problem::KeyBuilderResult, 0,
              "record " + to_string(b.ref) + ": the key builder gave " + to_string(b.keys.size()) +
                  " keys for KeyCount " + to_string(keyCount));

  for (const IndexInspection& index : indexes) {
    if (!index.treeRead) continue;
    size_t k = size_t(index.keyNr) - 1;
    std::vector<LayoutEntry> expected;
    for (const Built& b : built_)
      if (k < b.keys.size()) expected.push_back({b.keys[k].substr(0, format::kMaxKeyLength), b.ref});
    std::vector<LayoutEntry> actual = index.entries;
    std::sort(expected.begin(), expected.end(), EntryBefore);
    std::sort(actual.begin(), actual.end(), EntryBefore);

    auto e = expected.begin();
    auto a = actual.begin();
    while (e != expected.end() || a != actual.end()) {
      if (a == actual.end() || (e != expected.end() && EntryBefore(*e, *a))) {
        std::string text = "record " + to_string(e->ref) + " has no entry " + QuotedKey(e->key);
        if (index.geometry && int(e->key.size()) > index.geometry->KeyLength)
          text += " (longer than the key length " + to_string(index.geometry->KeyLength) + ")";
        out.Add(Problem::KeyMissing, index.keyNr, std::move(text));
        ++e;
      } else if (e == expected.end() || EntryBefore(*a, *e)) {
        // Entries pointing at dead records are reported by the tree check already.
        if (records.StateOf(a->ref) == RecordMap::State::Live)
          out.Add(Problem::KeyUnexpected, index.keyNr,
                  "entry " + QuotedKey(a->key) + " -> record " + to_string(a->ref) +
                      " is not a key of that record");
        ++a;
      } else {
        ++e;
        ++a;
      }
    }
  }
}

}  // namespace tf::engine
