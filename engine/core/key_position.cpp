// Scroll-bar estimates: where an entry lies in an index, and which entry lies at a fraction of
// it. Both look at two tree levels at most and assume a non-root page three quarters full.

#include <algorithm>

#include "engine/core/btree.h"
#include "engine/core/engine.h"

namespace tf::engine {
using namespace detail;

namespace {
constexpr int kAssumedPageFill = kPageCapacity - kPageCapacity / 4;  // 47
constexpr int kSlotUnits = kAssumedPageFill + 1;                     // 48 per root slot
}  // namespace

void KeyPosition(FileBlock* handle, int keyNr, uint16_t& pos, int32_t ref, std::string_view key,
                 uint16_t scale) {
  FileBlock* fb = EnterKeyOperation(handle, keyNr, Access::Read);
  OperationScope scope{fb};
  if (!fb) return;
  KeyIndex& k = fb->keys[keyNr];
  if (scale == 0) return Fail(status::kKeyPositionScale);
  if (k.RootPage == 0) return Fail(status::kKeyPositionEmpty);

  PinSet pins;
  Probe probe{CutKey(key), ref, k.AllowDuplicates != 0};
  Page root = LoadPage(pins, fb, keyNr, k.RootPage);
  if (!root) return;
  int i1, i2 = 0, c2 = kAssumedPageFill;
  bool found = SearchPage(root, probe, i1);
  if (!found && !root.IsLeaf()) {
    Page below = LoadPage(pins, fb, keyNr, root.Child(i1));
    if (!below) return;
    SearchPage(below, probe, i2);
    c2 = below.Count();
  }
  int64_t units = int64_t(i1) * kSlotUnits + int64_t(i2) * kSlotUnits / c2;
  int64_t total = int64_t(root.Count() + 1) * kSlotUnits;
  pos = static_cast<uint16_t>(std::min<int64_t>(units * (int64_t(scale) + 1) / total, scale));
}

void KeyAtPosition(FileBlock* handle, int keyNr, uint16_t pos, int32_t& ref, std::string& key,
                   uint16_t scale) {
  FileBlock* fb = EnterKeyOperation(handle, keyNr, Access::Read);
  OperationScope scope{fb};
  if (!fb) return;
  KeyIndex& k = fb->keys[keyNr];
  if (scale == 0 || pos > scale) return Fail(status::kKeyAtPositionScale);
  if (k.RootPage == 0) return Fail(status::kKeyAtPositionEmpty);

  // The ends are exact: 0 is before the first entry (an empty key, ref 0, as the estimate
  // gives for a small index) and `scale` is the last entry, however deep the tree.
  if (pos == 0) {
    ref = 0;
    key.clear();
    return;
  }
  if (pos == scale) {
    LastEntry(fb, keyNr, ref, key);
    return;
  }

  PinSet pins;
  Page root = LoadPage(pins, fb, keyNr, k.RootPage);
  if (!root) return;
  const int64_t s = root.IsLeaf() ? 1 : kSlotUnits;
  const int64_t e = s * (root.Count() + 1);
  int64_t t = e / scale + int64_t(pos) * e / (int64_t(scale) + 1) - (e / scale) / 2;
  t = std::clamp<int64_t>(t, 0, e - 1);
  int f = static_cast<int>(t / s);
  int g = static_cast<int>(t % s);
  if (!root.IsLeaf() && g != 0) {
    Page child = LoadPage(pins, fb, keyNr, root.Child(f));
    if (!child) return;
    int cc = child.Count();
    int m = g * cc * 2 / kAssumedPageFill;
    int index = std::clamp(m - m / 2, 1, cc);
    ref = child.Ref(index);
    key.assign(child.Key(index));
    return;
  }
  if (f == 0) {
    ref = 0;
    key.clear();
    return;
  }
  ref = root.Ref(f);
  key.assign(root.Key(f));
}

}  // namespace tf::engine
