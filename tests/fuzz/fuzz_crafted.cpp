#include "tests/fuzz/fuzz_crafted.h"

#include "tests/fuzz/fuzz_harness.h"

namespace tf::fuzz {
namespace {

int32_t Int32At(const Bytes& b, size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= uint32_t(b[at + size_t(i)]) << (8 * i);
  return int32_t(v);
}

// Script words in the harness's encoding: an operation, a key number byte, its arguments.
class Script {
 public:
  Script& Walk(int keyNr, bool forward) { return Op(3, keyNr).Put(forward ? 1 : 0); }
  Script& Search(int keyNr, const std::string& key) { return Op(0, keyNr).Key(key); }
  Script& Next(int keyNr, int times) { return Op(1, keyNr).Put(uint8_t(times - 1)); }
  Script& Prev(int keyNr, int times) { return Op(2, keyNr).Put(uint8_t(times - 1)); }
  Script& FindLast(int keyNr, int direction) { return Op(4, keyNr).LastRef().LastKey().Put(uint8_t(direction + 1)); }
  Script& Position(int keyNr) { return Op(5, keyNr).LastRef().LastKey().Word(1000); }
  Script& AtPosition(int keyNr, uint16_t pos) { return Op(6, keyNr).Word(pos).Word(1000); }
  Script& RecordWalk(bool forward) { return Op(forward ? 7 : 8, 1); }
  Script& AddRecord(const std::string& code, const std::string& group) {
    Op(12, 1);
    Bytes r(kRecordLength, 0);
    std::copy(code.begin(), code.end(), r.begin() + 4);
    std::copy(group.begin(), group.end(), r.begin() + 12);
    bytes_.insert(bytes_.end(), r.begin(), r.end());
    return *this;
  }
  Script& AddKeyLastRef(int keyNr, const std::string& key) { return Op(10, keyNr).LastRef().Key(key); }
  Script& DeleteLastKey(int keyNr) { return Op(11, keyNr).LastRef().LastKey(); }
  Script& DeleteRecordAt(int32_t ref) { return Op(13, 1).Put(uint8_t(ref + 96)); }
  Script& Reopen() { return Op(15, 1); }
  Script& AddMany(int keyNr, const std::string& base, int n) { return Op(16, keyNr).Key(base).Put(uint8_t(n - 1)); }
  Script& DeleteWalk(int keyNr, int n) { return Op(17, keyNr).Put(uint8_t(n - 1)); }
  Bytes Done() const { return bytes_; }

 private:
  Script& Put(uint8_t b) {
    bytes_.push_back(b);
    return *this;
  }
  Script& Op(uint8_t op, int keyNr) { return Put(op).Put(uint8_t(keyNr)); }
  Script& Word(uint16_t w) { return Put(uint8_t(w)).Put(uint8_t(w >> 8)); }
  Script& LastRef() { return Put(0); }
  Script& LastKey() { return Put(1); }
  Script& Key(const std::string& key) {
    Put(uint8_t(key.size() << 1));
    bytes_.insert(bytes_.end(), key.begin(), key.end());
    return *this;
  }
  Bytes bytes_;
};

// Where things are in the tree sample, read from its own headers.
struct TreeLayout {
  Bytes data, index;
  int64_t indexRecordSize = 0;
  int32_t key1Section = 0, key2Section = 0;
  int32_t firstFree = 0, recordCount = 0;
  int32_t root1 = 0, pageCount1 = 0, firstFreePage1 = 0;

  uint32_t Page1(int32_t page, uint32_t field = 0) const { return uint32_t(page * indexRecordSize + field); }
  int32_t Entry1Offset(int entry) const { return 6 + (entry - 1) * (8 + 9); }
};

TreeLayout ReadTreeLayout() {
  const BlockImages& images = SampleImages(Sample::Tree, FuzzScratchDir());
  TreeLayout t;
  t.data = images.data;
  t.index = *images.index;
  t.key1Section = 0;
  t.key2Section = Int32At(t.index, 12);
  t.indexRecordSize = t.key2Section + Int32At(t.index, size_t(t.key2Section) + 12);
  t.firstFree = Int32At(t.data, 0);
  t.recordCount = Int32At(t.data, 8);
  t.pageCount1 = Int32At(t.index, 8);
  t.root1 = Int32At(t.index, 16);
  t.firstFreePage1 = Int32At(t.index, 0);
  return t;
}

Patch Data(uint32_t offset, int32_t value, PatchWidth width = PatchWidth::Four) { return {false, offset, width, value}; }
Patch Index(uint32_t offset, int32_t value, PatchWidth width = PatchWidth::Four) { return {true, offset, width, value}; }

}  // namespace

void PrintTo(const CraftedInput& c, std::ostream* os) { *os << c.name; }

Bytes ExerciseScript() {
  return Script()
      .Walk(1, true)
      .Walk(2, false)
      .Search(1, "C0000050")
      .Next(1, 3)
      .Prev(1, 5)
      .FindLast(1, 1)
      .Position(1)
      .AtPosition(1, 500)
      .AtPosition(2, 999)
      .Search(2, "G003")
      .FindLast(2, -1)
      .Position(2)
      .RecordWalk(true)
      .RecordWalk(false)
      .AddRecord("C9999999", "G001")
      .AddRecord("C9999998", "G001")
      .Search(1, "C00000")
      .DeleteLastKey(1)
      .DeleteRecordAt(2)
      .AddKeyLastRef(2, "ZZZZ")
      .AddMany(1, "C00001", 90)
      .DeleteWalk(2, 80)
      .Reopen()
      .Walk(1, false)
      .Walk(2, true)
      .Done();
}

std::vector<CraftedInput> CraftedInputs() {
  using status_t = std::optional<int32_t>;
  const status_t kDefective = 10010, kShortRead = 10070;
  const TreeLayout t = ReadTreeLayout();
  const Bytes script = ExerciseScript();
  std::vector<CraftedInput> out;
  auto patched = [&](std::string name, std::vector<Patch> patches, status_t open, Sample sample = Sample::Tree) {
    out.push_back({std::move(name), EncodePatchInput(Mode::Patch, sample, script, patches), open});
  };

  patched("intact-tree", {}, 0);
  patched("intact-leaf", {}, 0, Sample::Leaf);
  patched("intact-empty", {}, 0, Sample::Empty);
  // data header
  patched("record-length-0", {Data(12, 0)}, kDefective);
  patched("record-length-huge", {Data(12, 0x7FFFFFFF)}, kDefective);
  patched("record-length-negative", {Data(12, -32)}, kDefective);
  patched("record-length-smaller", {Data(12, 24)}, 0);  // the file holds more than the header needs
  patched("record-count-beyond-file", {Data(8, 1000000)}, kDefective);
  patched("record-count-negative", {Data(8, -5)}, kDefective);
  patched("key-count-101", {Data(16, 101)}, 10060);
  patched("key-count-negative", {Data(16, -1)}, kDefective);
  patched("key-count-3", {Data(16, 3)}, kAnyRefusal);  // the third header is read from a page
  patched("deleted-count-lies", {Data(4, 100000)}, kDefective);
  patched("update-flag-set", {Data(20, 1, PatchWidth::One)}, kDefective);
  patched("data-cut-inside-last-record", {Data(uint32_t(t.data.size() - 5), 0, PatchWidth::Cut)}, kDefective);
  patched("data-cut-inside-header", {Data(10, 0, PatchWidth::Cut)}, kShortRead);
  // free chain of records
  patched("free-chain-beyond-file", {Data(0, t.recordCount + 5)}, kDefective);
  patched("free-chain-at-live-record", {Data(0, 1)}, 0);
  patched("free-chain-self-cycle", {Data(uint32_t(t.firstFree * kRecordLength), t.firstFree)}, 0);
  patched("free-chain-link-beyond-file", {Data(uint32_t(t.firstFree * kRecordLength), 99999)}, 0);
  // index headers
  patched("root-beyond-page-count", {Index(16, t.pageCount1 + 3)}, kDefective);
  patched("page-count-beyond-file", {Index(8, 500)}, kDefective);
  patched("page-slot-size-uneven", {Index(12, 1061)}, 10120);
  patched("key-length-0", {Index(12, 564)}, 10121);
  patched("page-capacity-63", {Index(26, 63, PatchWidth::Two)}, 10122);
  patched("page-capacity-0-reads-62", {Index(26, 0, PatchWidth::Two)}, 0);
  patched("entry-count-lies", {Index(22, 5)}, 0);
  patched("entry-count-negative", {Index(22, -5)}, kDefective);
  patched("allow-duplicates-2", {Index(20, 2, PatchWidth::One)}, kDefective);
  patched("free-page-chain-beyond", {Index(0, t.pageCount1 + 7)}, kDefective);
  patched("free-page-chain-at-root", {Index(0, t.root1)}, 0);
  if (t.firstFreePage1 > 0) {
    patched("free-page-self-cycle", {Index(t.Page1(t.firstFreePage1), t.firstFreePage1)}, 0);
    patched("free-page-link-zero", {Index(t.Page1(t.firstFreePage1), 0)}, 0);
  }
  patched("index-cut-inside-headers", {Index(40, 0, PatchWidth::Cut)}, kShortRead);
  patched("index-cut-inside-pages", {Index(uint32_t(t.indexRecordSize + 100), 0, PatchWidth::Cut)}, kDefective);
  patched("index-empty", {Index(0, 0, PatchWidth::Cut)}, kShortRead);
  // pages of key 1
  patched("root-count-0", {Index(t.Page1(t.root1), 0, PatchWidth::Two)}, 0);
  patched("root-count-63", {Index(t.Page1(t.root1), 63, PatchWidth::Two)}, 0);
  patched("root-count-negative", {Index(t.Page1(t.root1), -1, PatchWidth::Two)}, 0);
  patched("root-child-is-root", {Index(t.Page1(t.root1, 2), t.root1)}, 0);
  patched("root-child-beyond-page-count", {Index(t.Page1(t.root1, 2), 9999)}, 0);
  patched("root-entry-child-negative", {Index(t.Page1(t.root1, uint32_t(t.Entry1Offset(1) + 4)), -7)}, 0);
  patched("root-key-length-200", {Index(t.Page1(t.root1, uint32_t(t.Entry1Offset(1) + 8)), 200, PatchWidth::One)}, 0);
  patched("root-children-equal", {Index(t.Page1(t.root1, uint32_t(t.Entry1Offset(1) + 4)), Int32At(t.index, t.Page1(t.root1, 2)))}, 0);
  if (t.firstFreePage1 > 0)
    patched("root-child-is-free-page", {Index(t.Page1(t.root1, 2), t.firstFreePage1)}, 0);
  // files missing or replaced
  out.push_back({"index-missing", EncodePatchInput(Mode::PatchWithoutIndex, Sample::Tree, script, {}), kDefective});
  out.push_back({"data-empty", EncodeWholeFilesInput(script, {}, *SampleImages(Sample::Tree, FuzzScratchDir()).index), kShortRead});
  {
    Bytes data(21, 0);
    data[12] = 21;  // RecordLength 21, no keys, no records
    data[0] = data[1] = data[2] = data[3] = 0xFF;
    out.push_back({"no-keys-minimal", EncodeWholeFilesInput(script, data, {}), 0});
  }
  // leftover journals
  {
    Bytes journal{0, 0xD0, 0x07};  // one byte of mode, then the end tag 2000
    out.push_back({"journal-empty-replay", EncodePatchInput(Mode::PatchWithJournal, Sample::Tree, script, {}, journal), 0});
    Bytes bad{0, 0x39, 0x05};  // an unknown tag
    out.push_back({"journal-unknown-tag", EncodePatchInput(Mode::PatchWithJournal, Sample::Tree, script, {}, bad), 10180});
    Bytes page{0, 1, 0};  // key 1, a page far beyond the index file
    for (int i = 0; i < 4; ++i) page.push_back(i == 3 ? 0x7F : 0xFF);
    page.resize(page.size() + 1060, 0);
    page.push_back(0xD0);
    page.push_back(0x07);
    out.push_back({"journal-page-beyond-file", EncodePatchInput(Mode::PatchWithJournal, Sample::Tree, script, {}, page), 10180});
    // Headers rolled forward from a journal: a record length the open would never accept.
    for (int32_t length : {-1, 0, 1 << 30}) {
      Bytes headers{0, 0xE8, 0x03};
      Bytes data(t.data.begin(), t.data.begin() + 21);
      for (int i = 0; i < 4; ++i) data[size_t(12 + i)] = uint8_t(uint32_t(length) >> (8 * i));
      headers.insert(headers.end(), data.begin(), data.end());
      headers.insert(headers.end(), t.index.begin(), t.index.begin() + t.indexRecordSize);
      headers.push_back(0xD0);
      headers.push_back(0x07);
      out.push_back({"journal-header-record-length-" + std::string(length < 0 ? "negative" : length == 0 ? "0" : "huge"),
                     EncodePatchInput(Mode::PatchWithJournal, Sample::Tree, script, {}, headers), kAnyRefusal});
    }
  }
  return out;
}

}  // namespace tf::fuzz
