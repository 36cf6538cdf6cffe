#include "engine/core/btree.h"

#include <algorithm>
#include <vector>

namespace tf::engine::detail {
namespace {

constexpr int kMaxEntryBytes = EntrySize(kMaxKeyLength);

// Entries laid end to end while pages are re-shared: up to two full pages, the new entry and
// a separator.
class EntrySeq {
 public:
  explicit EntrySeq(int stride) : stride_(stride) {}
  int Size() const { return n_; }
  uint8_t* At(int i) { return data_ + i * stride_; }
  void Append(const uint8_t* e) { std::memcpy(At(n_++), e, size_t(stride_)); }
  void AppendPage(const Page& p, int from, int to) {  // entries from..to inclusive
    if (to >= from) {
      std::memcpy(At(n_), p.Entry(from), size_t(to - from + 1) * size_t(stride_));
      n_ += to - from + 1;
    }
  }
  // A separator taken down from the parent carries the LeftChild of the page to its right.
  void AppendSeparator(const uint8_t* e, int32_t child) {
    Append(e);
    SetEntryChild(At(n_ - 1), child);
  }

 private:
  int stride_;
  int n_ = 0;
  uint8_t data_[(2 * kPageCapacity + 2) * kMaxEntryBytes];
};

void FillPage(Page& page, int32_t leftChild, EntrySeq& seq, int from, int count, int stride) {
  page.SetCount(count);
  page.SetChild(0, leftChild);
  if (count) std::memcpy(page.Entry(1), seq.At(from), size_t(count) * size_t(stride));
  page.Changed();
}

// Shares seq out: `left` takes the first leftCount entries, the next one becomes the
// separator (returned in sep, its Child pointing at `right`), `right` takes the rest with the
// separator's former Child as its LeftChild.
void Distribute(EntrySeq& seq, int leftCount, Page& left, int32_t leftLeftChild, Page& right,
                uint8_t* sep, int stride) {
  uint8_t* mid = seq.At(leftCount);
  int32_t rightLeftChild = EntryChild(mid);
  std::memcpy(sep, mid, size_t(stride));
  SetEntryChild(sep, right.Number());
  FillPage(left, leftLeftChild, seq, 0, leftCount, stride);
  FillPage(right, rightLeftChild, seq, leftCount + 1, seq.Size() - leftCount - 1, stride);
}

void InsertAt(Page& page, int pos, const uint8_t* e, int stride) {
  int count = page.Count();
  if (pos <= count)
    std::memmove(page.Entry(pos + 1), page.Entry(pos), size_t(count - pos + 1) * size_t(stride));
  std::memcpy(page.Entry(pos), e, size_t(stride));
  page.SetCount(count + 1);
  page.Changed();
}

void RemoveAt(Page& page, int pos, int stride) {
  int count = page.Count();
  if (pos < count)
    std::memmove(page.Entry(pos), page.Entry(pos + 1), size_t(count - pos) * size_t(stride));
  page.SetCount(count - 1);
  page.Changed();
}

void ReplaceEntry(Page& page, int pos, const uint8_t* e, int stride) {
  std::memcpy(page.Entry(pos), e, size_t(stride));
  page.Changed();
}

// --- page allocation ---------------------------------------------------------------------

const std::vector<uint8_t>& Zeros(size_t n) {
  static std::vector<uint8_t> zeros;
  if (zeros.size() < n) zeros.assign(n, 0);
  return zeros;
}

struct Allocation {
  int32_t page;
  bool fromFreeChain;
  PageBuffer* buffer;
};

// Takes a page for the index: the head of its free chain, or a new page number (appending an
// index record when the file has none of that number yet). Done before any page changes so a
// failure leaves the index as it was.
bool AllocatePage(PinSet& pins, FileBlock* fb, int keyNr, Allocation& out) {
  KeyIndex& k = fb->keys[keyNr];
  if (k.FirstFreePage == kEndOfChain) {
    int32_t page = k.PageCount + 1;
    if (fb->indexRecordCount <= page) {
      size_t n = size_t(fb->indexRecordSize);
      if (!WriteExact(fb->indexFd, Zeros(n).data(), n, fb->indexRecordCount * fb->indexRecordSize)) {
        fb->indexTailDirty = true;
        return false;
      }
      ++fb->indexRecordCount;
    }
    PageBuffer* b = pins.Claim(fb, keyNr, page);
    if (!b) return false;
    k.PageCount = page;
    k.headerChanged = true;
    k.lastPageFromFreeChain = false;
    out = {page, false, b};
    return true;
  }
  int32_t page = k.FirstFreePage;
  if (page <= 0 || page > k.PageCount) {
    Fail(status::kFreeChainDamaged);
    return false;
  }
  PageBuffer* b = pins.Fetch(fb, keyNr, page);
  if (!b) return false;
  int32_t link = FreePageLink(b->data);
  if (link == 0 || link > k.PageCount || link < kEndOfChain) {
    Fail(status::kFreeChainDamaged);
    return false;
  }
  k.FirstFreePage = link;
  --k.FreePageCount;
  k.headerChanged = true;
  k.lastPageFromFreeChain = true;
  out = {page, true, b};
  return true;
}

void UndoAllocations(FileBlock* fb, int keyNr, const std::vector<Allocation>& done) {
  KeyIndex& k = fb->keys[keyNr];
  for (auto it = done.rbegin(); it != done.rend(); ++it) {
    if (it->fromFreeChain) {
      k.FirstFreePage = it->page;
      ++k.FreePageCount;
    } else {
      --k.PageCount;
    }
  }
}

// A page freed by a merge or a shrinking root: its slot starts with the free-chain link. The
// change stays in the pool like any other, so freeing needs no I/O.
void ReleasePage(FileBlock* fb, int keyNr, PageBuffer* b) {
  KeyIndex& k = fb->keys[keyNr];
  SetFreePageLink(b->data, k.FirstFreePage);
  b->freedPage = true;
  b->changed = true;
  k.FirstFreePage = b->page;
  ++k.FreePageCount;
  k.headerChanged = true;
}

// A path from the root, with the page of each step pinned.
struct PinnedPath {
  PathStep steps[kMaxTreeDepth];
  Page pages[kMaxTreeDepth];
  int depth = 0;
  bool onEntry = false;
};

Found Descend(PinSet& pins, FileBlock* fb, int keyNr, const Probe& probe, PinnedPath& path) {
  KeyIndex& k = fb->keys[keyNr];
  path.depth = 0;
  int32_t page = k.RootPage;
  for (;;) {
    if (path.depth == kMaxTreeDepth) {
      Fail(status::kIndexDefective);
      return Found::Error;
    }
    Page p = LoadPage(pins, fb, keyNr, page, k.levelHint[path.depth]);
    if (!p) return Found::Error;
    k.levelHint[path.depth] = p.Buffer();
    int index;
    bool found = SearchPage(p, probe, index);
    path.pages[path.depth] = p;
    path.steps[path.depth++] = {page, static_cast<int16_t>(index), p.Buffer()};
    if (found) {
      path.onEntry = true;
      return Found::Exact;
    }
    if (p.IsLeaf()) {
      path.onEntry = false;
      return Found::Gap;
    }
    page = p.Child(index);
  }
}

bool Push(PinSet& pins, FileBlock* fb, int keyNr, PinnedPath& path, int32_t page, Page& out) {
  if (path.depth == kMaxTreeDepth) {
    Fail(status::kIndexDefective);
    return false;
  }
  out = LoadPage(pins, fb, keyNr, page);
  if (!out) return false;
  path.pages[path.depth] = out;
  path.steps[path.depth++] = {page, 0, out.Buffer()};
  return true;
}

}  // namespace

std::string_view CutKey(std::string_view key) {
  return key.size() > size_t(kMaxKeyLength) ? key.substr(0, kMaxKeyLength) : key;
}

Page LoadPage(PinSet& pins, FileBlock* fb, int keyNr, int32_t page, PageBuffer* hint) {
  const KeyIndex& k = fb->keys[keyNr];
  if (page <= 0 || page > k.PageCount) {
    Fail(status::kIndexDefective);
    return {};
  }
  PageBuffer* b = pins.Fetch(fb, keyNr, page, hint);
  if (!b) return {};
  Page p(b, k);
  if (b->freedPage || p.Count() < 1 || p.Count() > kPageCapacity) {
    Fail(status::kIndexDefective);
    return {};
  }
  return p;
}

bool SearchPage(const Page& page, const Probe& probe, int& index) {
  int lo = 1, hi = page.Count(), mid = 0;
  while (hi >= lo) {
    mid = (lo + hi) / 2;
    int c = CompareEntries(probe.key, probe.ref, page.Key(mid), page.Ref(mid), probe.duplicates);
    if (c <= 0) hi = mid - 1;
    if (c >= 0) lo = mid + 1;
  }
  if (lo - hi >= 2) {
    index = mid;
    return true;
  }
  index = hi;
  return false;
}

// --- insertion -----------------------------------------------------------------------------

void InsertEntry(FileBlock* fb, int keyNr, int32_t ref, std::string_view key) {
  KeyIndex& k = fb->keys[keyNr];
  const int stride = k.Stride;
  uint8_t carry[kMaxEntryBytes] = {};
  SetEntryRef(carry, ref);
  carry[entry::kKeyLength] = static_cast<uint8_t>(key.size());
  std::memcpy(carry + entry::kKey, key.data(), key.size());

  PinSet pins;
  std::vector<Allocation> allocs;

  if (k.RootPage == 0) {
    Allocation a;
    if (!AllocatePage(pins, fb, keyNr, a)) return;
    Page root(a.buffer, k);
    root.SetCount(0);
    root.SetChild(0, 0);
    a.buffer->freedPage = false;
    InsertAt(root, 1, carry, stride);
    k.RootPage = a.page;
    ++k.EntryCount;
    k.headerChanged = true;
    return;
  }

  PinnedPath path;
  Found f = Descend(pins, fb, keyNr, Probe{key, ref, k.AllowDuplicates != 0}, path);
  if (f == Found::Error) return;
  if (f == Found::Exact) {
    Fail(status::kDuplicateKey);
    return;
  }

  // Plan from the leaf upwards, reading every page the change will touch and taking every new
  // page before anything is modified.
  enum class Action { Insert, Redistribute, Split };
  struct Step {
    Action action;
    Page sibling;
    bool siblingRight;
  };
  Step plan[kMaxTreeDepth];
  int newPages = 0;
  int level = path.depth - 1;
  int top;
  for (;;) {
    Step& s = plan[level];
    s = {Action::Insert, {}, false};
    if (path.pages[level].Count() < kPageCapacity) break;
    if (level == 0) {
      s.action = Action::Split;
      newPages += 2;  // the new right page and the new root
      break;
    }
    const Page& parent = path.pages[level - 1];
    int j = path.steps[level - 1].index;
    s.siblingRight = j < parent.Count();
    s.sibling = LoadPage(pins, fb, keyNr, parent.Child(s.siblingRight ? j + 1 : j - 1));
    if (!s.sibling) return;
    if (s.sibling.Count() < kPageCapacity) {
      s.action = Action::Redistribute;
      break;
    }
    s.action = Action::Split;
    ++newPages;
    --level;
  }
  top = level;
  for (int i = 0; i < newPages; ++i) {
    Allocation a;
    if (!AllocatePage(pins, fb, keyNr, a)) {
      UndoAllocations(fb, keyNr, allocs);
      return;
    }
    allocs.push_back(a);
  }

  // Apply: from here on nothing can fail.
  int nextAlloc = 0;
  int pos = path.steps[path.depth - 1].index + 1;
  for (level = path.depth - 1; level >= top; --level) {
    Page page = path.pages[level];
    Step& s = plan[level];
    if (s.action == Action::Insert) {
      InsertAt(page, pos, carry, stride);
      break;
    }
    EntrySeq seq(stride);
    if (s.action == Action::Redistribute) {
      Page parent = path.pages[level - 1];
      int j = path.steps[level - 1].index;
      Page sib = s.sibling;
      int sc = sib.Count();
      // The page's 62 + 1 entries, the separator and the sibling's sc are shared out; the
      // overflowing page keeps half of them.
      int keep = (sc + kPageCapacity + 2) / 2;
      uint8_t sep[kMaxEntryBytes];
      if (s.siblingRight) {
        seq.AppendPage(page, 1, pos - 1);
        seq.Append(carry);
        seq.AppendPage(page, pos, page.Count());
        seq.AppendSeparator(parent.Entry(j + 1), sib.LeftChild());
        seq.AppendPage(sib, 1, sc);
        Distribute(seq, keep, page, page.LeftChild(), sib, sep, stride);
        ReplaceEntry(parent, j + 1, sep, stride);
      } else {
        seq.AppendPage(sib, 1, sc);
        seq.AppendSeparator(parent.Entry(j), page.LeftChild());
        seq.AppendPage(page, 1, pos - 1);
        seq.Append(carry);
        seq.AppendPage(page, pos, page.Count());
        Distribute(seq, seq.Size() - 1 - keep, sib, sib.LeftChild(), page, sep, stride);
        ReplaceEntry(parent, j, sep, stride);
      }
      break;
    }
    // Split: 31 entries stay, the 32nd goes up, 31 move to the new right page.
    seq.AppendPage(page, 1, pos - 1);
    seq.Append(carry);
    seq.AppendPage(page, pos, page.Count());
    Allocation& a = allocs[size_t(nextAlloc++)];
    a.buffer->freedPage = false;
    Page right(a.buffer, k);
    Distribute(seq, kMinPageFill, page, page.LeftChild(), right, carry, stride);
    if (level == 0) {
      Allocation& r = allocs[size_t(nextAlloc++)];
      r.buffer->freedPage = false;
      Page root(r.buffer, k);
      root.SetCount(0);
      root.SetChild(0, page.Number());
      InsertAt(root, 1, carry, stride);
      k.RootPage = root.Number();
      break;
    }
    pos = path.steps[level - 1].index + 1;
  }
  ++k.EntryCount;
  k.headerChanged = true;
}

// --- deletion ------------------------------------------------------------------------------

void RemoveEntry(FileBlock* fb, int keyNr, int32_t ref, std::string_view key) {
  KeyIndex& k = fb->keys[keyNr];
  const int stride = k.Stride;
  if (k.RootPage == 0) {
    Fail(status::kDeleteKeyNotFound);
    return;
  }
  PinSet pins;
  PinnedPath path;
  Found f = Descend(pins, fb, keyNr, Probe{key, ref, k.AllowDuplicates != 0}, path);
  if (f == Found::Error) return;
  if (f == Found::Gap) {
    Fail(status::kDeleteKeyNotFound);
    return;
  }
  // An entry in an inner page is replaced by its in-order predecessor, the last entry of the
  // rightmost leaf of its left subtree; that leaf entry is the one removed.
  int foundLevel = path.depth - 1;
  int foundIndex = path.steps[foundLevel].index;
  if (!path.pages[foundLevel].IsLeaf()) {
    path.steps[foundLevel].index = static_cast<int16_t>(foundIndex - 1);
    int32_t page = path.pages[foundLevel].Child(foundIndex - 1);
    for (;;) {
      Page p;
      if (!Push(pins, fb, keyNr, path, page, p)) return;
      path.steps[path.depth - 1].index = static_cast<int16_t>(p.Count());
      if (p.IsLeaf()) break;
      page = p.Child(p.Count());
    }
  }
  const int leafLevel = path.depth - 1;

  // Plan the rebalancing from the leaf upwards, reading every sibling first.
  enum class Action { None, Borrow, Merge, ShrinkRoot };
  struct Step {
    Action action;
    Page sibling;
    bool siblingRight;
    int move;
  };
  Step plan[kMaxTreeDepth];
  int level = leafLevel;
  int count = path.pages[leafLevel].Count() - 1;
  int top;
  for (;;) {
    Step& s = plan[level];
    s = {Action::None, {}, false, 0};
    if (level == 0) {
      if (count == 0) s.action = Action::ShrinkRoot;
      break;
    }
    if (count >= kMinPageFill) break;
    const Page& parent = path.pages[level - 1];
    int j = path.steps[level - 1].index;
    s.siblingRight = j < parent.Count();
    s.sibling = LoadPage(pins, fb, keyNr, parent.Child(s.siblingRight ? j + 1 : j - 1));
    if (!s.sibling) return;
    s.move = (s.sibling.Count() - kMinPageFill + 1) / 2;
    if (s.move >= 1) {
      s.action = Action::Borrow;
      break;
    }
    s.action = Action::Merge;
    count = parent.Count() - 1;
    --level;
  }
  top = level;

  // Apply: from here on nothing can fail.
  Page leaf = path.pages[leafLevel];
  int leafIndex = path.steps[leafLevel].index;
  if (leafLevel != foundLevel) {
    uint8_t moved[kMaxEntryBytes];
    std::memcpy(moved, leaf.Entry(leafIndex), size_t(stride));
    Page inner = path.pages[foundLevel];
    SetEntryChild(moved, inner.Child(foundIndex));
    ReplaceEntry(inner, foundIndex, moved, stride);
  }
  RemoveAt(leaf, leafIndex, stride);

  for (level = leafLevel; level >= top; --level) {
    Step& s = plan[level];
    Page page = path.pages[level];
    if (s.action == Action::None) break;
    if (s.action == Action::ShrinkRoot) {
      k.RootPage = page.LeftChild();
      ReleasePage(fb, keyNr, page.Buffer());
      break;
    }
    Page parent = path.pages[level - 1];
    int j = path.steps[level - 1].index;
    Page sib = s.sibling;
    int sepIndex = s.siblingRight ? j + 1 : j;
    Page& left = s.siblingRight ? page : sib;
    Page& right = s.siblingRight ? sib : page;
    EntrySeq seq(stride);
    seq.AppendPage(left, 1, left.Count());
    seq.AppendSeparator(parent.Entry(sepIndex), right.LeftChild());
    seq.AppendPage(right, 1, right.Count());
    if (s.action == Action::Borrow) {
      int leftCount = s.siblingRight ? page.Count() + s.move : sib.Count() - s.move;
      uint8_t sep[kMaxEntryBytes];
      Distribute(seq, leftCount, left, left.LeftChild(), right, sep, stride);
      ReplaceEntry(parent, sepIndex, sep, stride);
      break;
    }
    // Merge into the page that underflowed; the sibling is released and the parent loses the
    // separator (the pointer that led to a left sibling now leads to the merged page).
    FillPage(page, left.LeftChild(), seq, 0, seq.Size(), stride);
    ReleasePage(fb, keyNr, sib.Buffer());
    RemoveAt(parent, sepIndex, stride);
    if (!s.siblingRight) parent.SetChild(j - 1, page.Number());
  }
  --k.EntryCount;
  k.headerChanged = true;
}

// --- positions -----------------------------------------------------------------------------

Found PositionAt(FileBlock* fb, int keyNr, const Probe& probe) {
  KeyIndex& k = fb->keys[keyNr];
  k.ResetPosition();
  if (k.RootPage == 0) return Found::Gap;
  PinSet pins;
  PinnedPath path;
  Found f = Descend(pins, fb, keyNr, probe, path);
  if (f == Found::Error) return f;
  std::copy(path.steps, path.steps + path.depth, k.path);
  k.depth = path.depth;
  k.onEntry = path.onEntry;
  k.positionValid = true;
  return f;
}

namespace {

// Walks down from `page` always taking the first (or last) child, appending steps to the
// index's path, and ends on the leaf's first (or last) entry.
bool DescendEdge(PinSet& pins, FileBlock* fb, int keyNr, int32_t page, bool first) {
  KeyIndex& k = fb->keys[keyNr];
  for (;;) {
    if (k.depth == kMaxTreeDepth) {
      Fail(status::kIndexDefective);
      return false;
    }
    Page p = LoadPage(pins, fb, keyNr, page);
    if (!p) return false;
    int index = first ? (p.IsLeaf() ? 1 : 0) : p.Count();
    k.path[k.depth++] = {page, static_cast<int16_t>(index), p.Buffer()};
    if (p.IsLeaf()) {
      k.onEntry = true;
      k.positionValid = true;
      return true;
    }
    page = p.Child(index);
  }
}

}  // namespace

bool StepToEnd(FileBlock* fb, int keyNr, bool first) {
  KeyIndex& k = fb->keys[keyNr];
  k.ResetPosition();
  if (k.RootPage == 0) return false;
  PinSet pins;
  return DescendEdge(pins, fb, keyNr, k.RootPage, first);
}

bool StepNext(FileBlock* fb, int keyNr) {
  KeyIndex& k = fb->keys[keyNr];
  PinSet pins;
  int d = k.depth - 1;
  Page p = LoadPage(pins, fb, keyNr, k.path[d].page, k.path[d].buffer);
  if (!p) return false;
  int i = k.path[d].index;
  if (k.onEntry && !p.IsLeaf()) return DescendEdge(pins, fb, keyNr, p.Child(i), true);
  for (;;) {
    if (i + 1 <= p.Count()) {
      k.path[d].index = static_cast<int16_t>(i + 1);
      k.depth = d + 1;
      k.onEntry = true;
      return true;
    }
    if (--d < 0) return false;
    p = LoadPage(pins, fb, keyNr, k.path[d].page, k.path[d].buffer);
    if (!p) return false;
    i = k.path[d].index;
  }
}

bool StepPrev(FileBlock* fb, int keyNr) {
  KeyIndex& k = fb->keys[keyNr];
  PinSet pins;
  int d = k.depth - 1;
  Page p = LoadPage(pins, fb, keyNr, k.path[d].page, k.path[d].buffer);
  if (!p) return false;
  int i = k.path[d].index;
  if (k.onEntry && !p.IsLeaf()) {
    k.path[d].index = static_cast<int16_t>(i - 1);
    return DescendEdge(pins, fb, keyNr, p.Child(i - 1), false);
  }
  int candidate = k.onEntry ? i - 1 : i;
  for (;;) {
    if (candidate >= 1 && candidate <= p.Count()) {
      k.path[d].index = static_cast<int16_t>(candidate);
      k.depth = d + 1;
      k.onEntry = true;
      return true;
    }
    if (--d < 0) return false;
    p = LoadPage(pins, fb, keyNr, k.path[d].page, k.path[d].buffer);
    if (!p) return false;
    candidate = k.path[d].index;
  }
}

bool LastEntry(FileBlock* fb, int keyNr, int32_t& ref, std::string& key) {
  PinSet pins;
  int32_t page = fb->keys[keyNr].RootPage;
  for (int depth = 0; depth < kMaxTreeDepth; ++depth) {
    Page p = LoadPage(pins, fb, keyNr, page);
    if (!p) return false;
    if (p.IsLeaf()) {
      ref = p.Ref(p.Count());
      key.assign(p.Key(p.Count()));
      return true;
    }
    page = p.Child(p.Count());
  }
  Fail(status::kIndexDefective);
  return false;
}

bool CurrentEntry(FileBlock* fb, int keyNr, int32_t& ref, std::string& key) {
  KeyIndex& k = fb->keys[keyNr];
  PinSet pins;
  const PathStep& s = k.path[k.depth - 1];
  Page p = LoadPage(pins, fb, keyNr, s.page, s.buffer);
  if (!p) return false;
  if (s.index < 1 || s.index > p.Count()) {
    Fail(status::kIndexDefective);
    return false;
  }
  ref = p.Ref(s.index);
  key.assign(p.Key(s.index));
  return true;
}

}  // namespace tf::engine::detail
