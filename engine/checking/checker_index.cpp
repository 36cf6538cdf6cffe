#include "engine/checking/checker_index.h"

#include <algorithm>
#include <string>

#include "engine/core/key_compare.h"

namespace tf::engine {
namespace {

using format::kEndOfChain;
using std::to_string;

enum class PageUse : uint8_t { Unseen, InTree, Free };

std::string PageRefDescription(int32_t parent, int entry) {
  if (parent == 0) return "RootPage";
  if (entry == 0) return "LeftChild of page " + to_string(parent);
  return "child of entry " + to_string(entry) + " in page " + to_string(parent);
}

// Walks one key's tree and free chain. Every page is visited at most once and the descent is
// bounded by the format's depth limit, so a looping or garbage tree ends quickly.
class TreeCheck {
 public:
  TreeCheck(const disk::RawFile& file, IndexInspection& key, int64_t sectionOffset,
            int64_t recordSize, const RecordMap& records, FindingList& out)
      : file_(file), key_(key), h_(key.header), g_(*key.geometry), sectionOffset_(sectionOffset),
        recordSize_(recordSize), records_(records), out_(out) {
    int64_t readable = (file.Size() - sectionOffset - g_.SlotSize) / recordSize;
    pageLimit_ = int32_t(std::clamp<int64_t>(readable, 0, std::max(0, h_.PageCount)));
    use_.assign(size_t(pageLimit_) + 1, PageUse::Unseen);
  }

  void Run() {
    if (h_.RootPage != 0) Visit(h_.RootPage, 0, 0, 1);
    key_.treeRead = true;
    if (int64_t(key_.entries.size()) != h_.EntryCount)
      Add(Problem::EntryCount, "EntryCount is " + to_string(h_.EntryCount) + " but the tree holds " +
                                   to_string(key_.entries.size()) + " entries");
    WalkFreeChain();
    for (int32_t page = 1; page <= pageLimit_; ++page)
      if (use_[page] == PageUse::Unseen)
        Add(Problem::PageLost, "page " + to_string(page) + " is neither in the tree nor in the free chain");
  }

 private:
  void Add(Problem p, std::string text) { out_.Add(p, key_.keyNr, std::move(text)); }

  // Checks that `page`, named by entry `entry` of `parent`, can be read; reports why not.
  bool Reachable(int32_t page, int32_t parent, int entry) {
    if (page < 1 || page > h_.PageCount) {
      Add(Problem::PageOutOfRange, PageRefDescription(parent, entry) + " is page " + to_string(page) +
                                       ", outside 1.." + to_string(h_.PageCount));
      return false;
    }
    if (page > pageLimit_) {
      Add(Problem::PageOutOfRange, PageRefDescription(parent, entry) + " is page " + to_string(page) +
                                       ", beyond the end of the index file");
      return false;
    }
    return true;
  }

  bool ReadPage(int32_t page, disk::Page& out) {
    if (!file_.ReadAt(format::PageOffset(page, recordSize_, sectionOffset_), g_.SlotSize, slot_)) return false;
    out = disk::DecodePage(slot_, g_);
    return true;
  }

  void Visit(int32_t page, int32_t parent, int entry, int depth) {
    if (depth > format::kMaxTreeDepth) {
      if (!depthReported_)
        Add(Problem::TreeTooDeep, "the tree is deeper than " + to_string(format::kMaxTreeDepth) +
                                      " levels below page " + to_string(parent));
      depthReported_ = true;
      return;
    }
    if (!Reachable(page, parent, entry)) return;
    if (use_[page] == PageUse::InTree) {
      Add(Problem::PageReachedTwice, PageRefDescription(parent, entry) + " is page " +
                                         to_string(page) + ", which the tree reaches twice");
      return;
    }
    use_[page] = PageUse::InTree;
    disk::Page p;
    if (!ReadPage(page, p)) return;
    CheckPageShape(page, p, parent == 0, depth);

    if (p.LeftChild != 0) Visit(p.LeftChild, page, 0, depth + 1);
    for (size_t i = 0; i < p.Entries.size(); ++i) {
      Collect(page, int(i) + 1, p.Entries[i]);
      if (p.Entries[i].Child != 0) Visit(p.Entries[i].Child, page, int(i) + 1, depth + 1);
    }
  }

  void CheckPageShape(int32_t page, const disk::Page& p, bool isRoot, int depth) {
    std::string name = "page " + to_string(page);
    if (p.EntryCount < 1 || p.EntryCount > g_.Capacity)
      Add(Problem::PageEntryCount, name + " holds " + to_string(p.EntryCount) + " entries, not 1.." +
                                       to_string(g_.Capacity));
    else if (!isRoot && p.EntryCount < format::kMinPageFill)
      Add(Problem::PageUnderfilled, name + " holds " + to_string(p.EntryCount) +
                                        " entries; a non-root page needs at least " +
                                        to_string(format::kMinPageFill));
    bool leaf = p.LeftChild == 0;
    bool mixed = std::any_of(p.Entries.begin(), p.Entries.end(),
                             [leaf](const disk::PageEntry& e) { return (e.Child == 0) != leaf; });
    if (mixed)
      Add(Problem::PageShape, name + " mixes leaf entries (child 0) with entries that have children");
    if (!leaf) return;
    if (leafDepth_ == 0) {
      leafDepth_ = depth;
    } else if (depth != leafDepth_) {
      Add(Problem::LeafDepth, "leaf " + name + " lies at depth " + to_string(depth) +
                                  ", other leaves at depth " + to_string(leafDepth_));
    }
  }

  void Collect(int32_t page, int index, const disk::PageEntry& e) {
    std::string where = "page " + to_string(page) + " entry " + to_string(index);
    if (e.KeyLengthByte > g_.KeyLength)
      Add(Problem::KeyTooLong, where + " has a key of " + to_string(e.KeyLengthByte) +
                                   " characters; the key length is " + to_string(g_.KeyLength));
    CheckRef(where, e.Ref);
    bool duplicates = h_.AllowDuplicates != 0;
    if (!key_.entries.empty()) {
      const LayoutEntry& prev = key_.entries.back();
      if (CompareEntries(prev.key, prev.ref, e.Key, e.Ref, duplicates) >= 0)
        Add(Problem::KeyOrder, where + " " + QuotedKey(e.Key) + " (ref " + to_string(e.Ref) +
                                   ") does not follow " + QuotedKey(prev.key) + " (ref " +
                                   to_string(prev.ref) + ")");
    }
    key_.entries.push_back({e.Key, e.Ref});
  }

  void CheckRef(const std::string& where, int32_t ref) {
    if (!records_.known) return;
    switch (records_.StateOf(ref)) {
      case RecordMap::State::Live: return;
      case RecordMap::State::OutOfRange:
        Add(Problem::EntryRef, where + " refers to record " + to_string(ref) + ", outside 1.." +
                                   to_string(records_.recordCount));
        return;
      case RecordMap::State::BeyondFile:
        Add(Problem::EntryRef, where + " refers to record " + to_string(ref) +
                                   ", beyond the end of the data file");
        return;
      case RecordMap::State::Deleted:
        Add(Problem::EntryRef, where + " refers to deleted record " + to_string(ref));
        return;
    }
  }

  void WalkFreeChain() {
    int64_t length = 0;
    std::string from = "FirstFreePage";
    unsigned char link[format::kFreePageLinkSize];
    for (int32_t page = h_.FirstFreePage; page != kEndOfChain;) {
      if (page < 1 || page > h_.PageCount) {
        Add(Problem::PageFreeChainLink, "free page chain: " + from + " links to " + to_string(page) +
                                            ", outside 1.." + to_string(h_.PageCount) + " and not -1");
        return;
      }
      if (page > pageLimit_) {
        Add(Problem::PageFreeChainLink, "free page chain: " + from + " links to page " +
                                            to_string(page) + ", beyond the end of the index file");
        return;
      }
      if (use_[page] == PageUse::Free) {
        Add(Problem::PageFreeChainCycle,
            "free page chain: page " + to_string(page) + " is reached twice (the chain loops)");
        return;
      }
      if (use_[page] == PageUse::InTree) {
        Add(Problem::PageInTreeAndFree,
            "page " + to_string(page) + " is both in the tree and in the free page chain");
        return;
      }
      use_[page] = PageUse::Free;
      ++length;
      if (!file_.ReadAt(format::PageOffset(page, recordSize_, sectionOffset_), sizeof link, link)) return;
      from = "page " + to_string(page);
      page = format::FreePageLink(link);
    }
    if (length != h_.FreePageCount)
      Add(Problem::PageFreeChainLength, "free page chain holds " + to_string(length) +
                                            " pages but FreePageCount is " + to_string(h_.FreePageCount));
  }

  const disk::RawFile& file_;
  IndexInspection& key_;
  const format::IndexHeader& h_;
  const disk::PageGeometry g_;
  const int64_t sectionOffset_;
  const int64_t recordSize_;
  const RecordMap& records_;
  FindingList& out_;
  int32_t pageLimit_ = 0;  // pages 1..pageLimit_ are both counted and inside the file
  std::vector<PageUse> use_;
  std::vector<unsigned char> slot_;
  int leafDepth_ = 0;
  bool depthReported_ = false;
};

void CheckHeaderFields(const IndexInspection& key, FindingList& out) {
  const format::IndexHeader& h = key.header;
  if (key.geometry && key.geometry->Capacity != format::kPageCapacity)
    out.Add(Problem::PageGeometry, key.keyNr,
            "PageCapacity " + to_string(h.PageCapacity) + " with PageSlotSize " +
                to_string(h.PageSlotSize) + " differs from " + to_string(format::kPageCapacity) +
                "-entry pages of " + to_string(format::PageSlotSizeFor(key.geometry->KeyLength)) +
                " bytes");
  if (h.AllowDuplicates > 1)
    out.Add(Problem::IndexHeaderField, key.keyNr,
            "AllowDuplicates is " + to_string(h.AllowDuplicates) + ", not 0 or 1");
  if (h.Unused != 0)
    out.Add(Problem::IndexHeaderField, key.keyNr,
            "the unused header byte 21 is " + to_string(h.Unused) + ", not 0");
  if (h.PageCount < 0)
    out.Add(Problem::IndexHeaderField, key.keyNr, "PageCount " + to_string(h.PageCount) + " is negative");
}

// Index record 0 holds nothing but the headers.
void CheckHeaderRecordPadding(const disk::RawFile& file, const std::vector<int64_t>& offsets,
                              int64_t recordSize, FindingList& out) {
  std::vector<unsigned char> record;
  if (!file.ReadAt(0, recordSize, record)) return;
  for (int64_t offset : offsets)
    std::fill_n(record.begin() + offset, format::kIndexHeaderSize, 0);
  auto nonZero = std::find_if(record.begin(), record.end(), [](unsigned char b) { return b != 0; });
  if (nonZero != record.end())
    out.Add(Problem::IndexHeaderField, 0,
            "index record 0 has a non-zero byte at offset " + to_string(nonZero - record.begin()) +
                " outside the key headers");
}

void CheckFileLength(const disk::RawFile& file, const std::vector<IndexInspection>& keys,
                     int64_t recordSize, FindingList& out) {
  int64_t size = file.Size();
  if (size % recordSize != 0)
    out.Add(Problem::IndexFileLength, 0,
            "index file holds " + to_string(size) + " bytes, not a whole number of " +
                to_string(recordSize) + "-byte index records");
  int64_t records = size / recordSize;
  for (const IndexInspection& key : keys) {
    if (key.header.PageCount >= 0 && int64_t(key.header.PageCount) + 1 > records)
      out.Add(Problem::IndexFileLength, key.keyNr,
              "PageCount " + to_string(key.header.PageCount) + " needs " +
                  to_string(int64_t(key.header.PageCount) + 1) + " index records; the file holds " +
                  to_string(records));
  }
}

}  // namespace

std::vector<IndexInspection> InspectIndexFile(const disk::RawFile& file, int keyCount,
                                              const RecordMap& records, FindingList& out) {
  std::vector<IndexInspection> keys;
  std::vector<int64_t> offsets;
  int64_t offset = 0;
  bool allLocated = true;
  for (int k = 1; k <= keyCount; ++k) {
    unsigned char raw[format::kIndexHeaderSize];
    if (!file.ReadAt(offset, format::kIndexHeaderSize, raw)) {
      out.Add(Problem::IndexHeaderUnreadable, k,
              "the header at offset " + to_string(offset) + " lies beyond the end of the index file (" +
                  to_string(file.Size()) + " bytes)");
      allLocated = false;
      break;
    }
    IndexInspection key;
    key.keyNr = k;
    key.header = format::IndexHeader::Decode(raw);
    std::string problem;
    key.geometry = disk::DerivePageGeometry(key.header, problem);
    if (!key.geometry) out.Add(Problem::PageGeometry, k, problem);
    CheckHeaderFields(key, out);
    keys.push_back(std::move(key));
    offsets.push_back(offset);
    // The next key's section follows this one's slot, whatever the slot size says.
    if (keys.back().header.PageSlotSize < format::kIndexHeaderSize) {
      if (k < keyCount)
        out.Add(Problem::IndexHeaderUnreadable, 0,
                "the headers of keys " + to_string(k + 1) + ".." + to_string(keyCount) +
                    " cannot be located: key " + to_string(k) + "'s PageSlotSize is unusable");
      allLocated = false;
      break;
    }
    offset += keys.back().header.PageSlotSize;
  }
  if (!allLocated) return keys;

  int64_t recordSize = offset;
  CheckFileLength(file, keys, recordSize, out);
  CheckHeaderRecordPadding(file, offsets, recordSize, out);
  for (size_t i = 0; i < keys.size(); ++i)
    if (keys[i].geometry) TreeCheck(file, keys[i], offsets[i], recordSize, records, out).Run();
  return keys;
}

}  // namespace tf::engine
