#include "tests/engine/disk_image.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tf::engine::testing {

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

int32_t I32At(const Bytes& b, size_t o) {
  return static_cast<int32_t>(uint32_t(b.at(o)) | uint32_t(b.at(o + 1)) << 8 | uint32_t(b.at(o + 2)) << 16 |
                              uint32_t(b.at(o + 3)) << 24);
}

int16_t I16At(const Bytes& b, size_t o) { return static_cast<int16_t>(uint16_t(b.at(o)) | uint16_t(b.at(o + 1)) << 8); }

void PutI32(Bytes& b, size_t o, int32_t v) {
  for (int i = 0; i < 4; ++i) b.at(o + size_t(i)) = uint8_t(uint32_t(v) >> (8 * i));
}

void PutI16(Bytes& b, size_t o, int16_t v) {
  b.at(o) = uint8_t(uint16_t(v));
  b.at(o + 1) = uint8_t(uint16_t(v) >> 8);
}

DataHeaderImage DataHeaderImage::Read(const std::string& dataPath) {
  Bytes b = ReadFileBytes(dataPath);
  b.resize(std::max<size_t>(b.size(), 21), 0);
  return {I32At(b, 0), I32At(b, 4), I32At(b, 8), I32At(b, 12), I32At(b, 16), b[20]};
}

IndexImage::IndexImage(const std::string& indexPath, int keyCount)
    : bytes_(ReadFileBytes(indexPath)), headers_(size_t(keyCount) + 1), sections_(size_t(keyCount) + 2, 0) {
  int64_t offset = 0;
  for (int k = 1; k <= keyCount; ++k) {
    size_t o = size_t(offset);
    if (o + 28 > bytes_.size()) break;
    IndexHeaderImage& h = headers_[size_t(k)];
    h = {I32At(bytes_, o), I32At(bytes_, o + 4), I32At(bytes_, o + 8), I32At(bytes_, o + 12),
         I32At(bytes_, o + 16), bytes_[o + 20], bytes_[o + 21], I32At(bytes_, o + 22), I16At(bytes_, o + 26)};
    sections_[size_t(k)] = offset;
    offset += h.pageSlotSize;
  }
  recordSize_ = offset;
}

PageImage IndexImage::Page(int key, int32_t page) const {
  const int keyLength = Header(key).KeyLength();
  const size_t base = size_t(PageOffset(key, page));
  PageImage p;
  p.count = I16At(bytes_, base);
  p.leftChild = I32At(bytes_, base + 2);
  for (int i = 0; i < p.count && i < 62; ++i) {
    size_t e = base + 6 + size_t(i) * size_t(keyLength + 9);
    int len = std::min<int>(bytes_.at(e + 8), keyLength);
    p.entries.push_back({I32At(bytes_, e), I32At(bytes_, e + 4),
                         std::string(reinterpret_cast<const char*>(&bytes_.at(e + 9)), size_t(len))});
  }
  return p;
}

namespace {

struct Walker {
  const IndexImage& image;
  int key;
  TreeReport& report;
  std::vector<int> seen;  // 0 unseen, 1 tree, 2 free chain

  void Problem(const std::string& what) { report.problems.push_back(what); }

  void Walk(int32_t page, int depth, bool isRoot) {
    const IndexHeaderImage& h = image.Header(key);
    if (page < 1 || page > h.pageCount) return Problem("child page " + std::to_string(page) + " out of range");
    if (seen[size_t(page)]) return Problem("page " + std::to_string(page) + " reached twice");
    if (depth > 8) return Problem("tree deeper than 8 levels");
    seen[size_t(page)] = 1;
    PageImage p = image.Page(key, page);
    const std::string at = "page " + std::to_string(page) + ": ";
    if (p.count < 1 || p.count > 62) return Problem(at + "count " + std::to_string(p.count));
    if (!isRoot && p.count < 31) Problem(at + "only " + std::to_string(p.count) + " entries below the root");
    if (p.IsLeaf()) {
      for (const PageEntryImage& e : p.entries)
        if (e.child != 0) Problem(at + "leaf entry with a child");
      if (report.height == 0) report.height = depth;
      if (depth != report.height) Problem(at + "leaf at depth " + std::to_string(depth));
      report.leafCounts.push_back(p.count);
      for (const PageEntryImage& e : p.entries) report.entries.push_back({e.key, e.ref});
      return;
    }
    Walk(p.leftChild, depth + 1, false);
    for (const PageEntryImage& e : p.entries) {
      if (e.child == 0) Problem(at + "inner entry without a child");
      report.entries.push_back({e.key, e.ref});
      if (e.child != 0) Walk(e.child, depth + 1, false);
    }
  }
};

}  // namespace

TreeReport IndexImage::Check(int key) const {
  TreeReport r;
  const IndexHeaderImage& h = Header(key);
  if (h.pageCount < 0 || h.pageCount > 1'000'000) {
    r.problems.push_back("PageCount " + std::to_string(h.pageCount));
    return r;
  }
  Walker w{*this, key, r, std::vector<int>(size_t(h.pageCount) + 1, 0)};
  for (int32_t p = h.firstFreePage; p != -1;) {
    if (p < 1 || p > h.pageCount) {
      r.problems.push_back("free link " + std::to_string(p) + " out of range");
      break;
    }
    if (w.seen[size_t(p)]) {
      r.problems.push_back("free chain meets page " + std::to_string(p) + " twice");
      break;
    }
    w.seen[size_t(p)] = 2;
    r.freeChain.push_back(p);
    p = FreeLink(key, p);
  }
  if (int(r.freeChain.size()) != h.freePageCount)
    r.problems.push_back("FreePageCount " + std::to_string(h.freePageCount) + " but the chain holds " +
                         std::to_string(r.freeChain.size()));
  if (h.rootPage == 0) {
    if (h.entryCount != 0) r.problems.push_back("empty tree with EntryCount " + std::to_string(h.entryCount));
  } else {
    w.Walk(h.rootPage, 1, true);
  }
  for (int32_t p = 1; p <= h.pageCount; ++p)
    if (!w.seen[size_t(p)]) r.problems.push_back("page " + std::to_string(p) + " neither in the tree nor free");
  if (int(r.entries.size()) != h.entryCount)
    r.problems.push_back("EntryCount " + std::to_string(h.entryCount) + " but the tree holds " +
                         std::to_string(r.entries.size()));
  // std::string orders as unsigned bytes, shorter first: the key order.
  for (size_t i = 1; i < r.entries.size(); ++i) {
    const auto& a = r.entries[i - 1];
    const auto& b = r.entries[i];
    bool ascending = a.first < b.first || (h.allowDuplicates && a.first == b.first && a.second < b.second);
    if (!ascending) r.problems.push_back("entries out of order at " + std::to_string(i));
  }
  return r;
}

std::string TreeReport::Describe() const {
  std::ostringstream out;
  for (const std::string& p : problems) out << p << "\n";
  return out.str();
}

}  // namespace tf::engine::testing
