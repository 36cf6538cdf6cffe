#include "bench/floor_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace tf::bench {
namespace {

constexpr int kHeaderBytes = 21;
constexpr size_t kChunkRecords = 4096;  // about 1.4 MiB per sequential write

[[noreturn]] void ThrowErrno(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

void ReadExact(int fd, void* buf, size_t n, off_t at) {
  if (pread(fd, buf, n, at) != static_cast<ssize_t>(n)) ThrowErrno("floor: pread");
}

void WriteExact(int fd, const void* buf, size_t n, off_t at) {
  if (pwrite(fd, buf, n, at) != static_cast<ssize_t>(n)) ThrowErrno("floor: pwrite");
}

struct Entry {
  std::array<char, 10> key;
  uint8_t length;
  bool dead;  // deleted entries stay in place so the array stays sorted
  int32_t ref;
};

int CompareKey(const Entry& e, const std::string& key) {
  const size_t n = std::min<size_t>(e.length, key.size());
  if (int c = std::memcmp(e.key.data(), key.data(), n)) return c;
  return e.length < key.size() ? -1 : (e.length > key.size() ? 1 : 0);
}

bool EntryLess(const Entry& a, const Entry& b) {
  const size_t n = std::min(a.length, b.length);
  if (int c = std::memcmp(a.key.data(), b.key.data(), n)) return c < 0;
  if (a.length != b.length) return a.length < b.length;
  return a.ref < b.ref;
}

// The first entry not below (key, ref).
std::vector<Entry>::iterator LowerBound(std::vector<Entry>& index, const std::string& key, int32_t ref) {
  return std::lower_bound(index.begin(), index.end(), 0, [&](const Entry& e, int) {
    int c = CompareKey(e, key);
    return c < 0 || (c == 0 && e.ref < ref);
  });
}

struct DataHeader {
  int32_t firstFree = -1;
  int32_t deletedCount = 0;
  int32_t recordCount = 0;

  std::array<unsigned char, kHeaderBytes> Encode() const {
    std::array<unsigned char, kHeaderBytes> b{};
    const int32_t fields[] = {firstFree, deletedCount, recordCount, kRecordLength, kKeyCount};
    std::memcpy(b.data(), fields, sizeof fields);  // little-endian host
    return b;
  }
  void Decode(const std::array<unsigned char, kHeaderBytes>& b) {
    std::memcpy(&firstFree, b.data(), 4);
    std::memcpy(&deletedCount, b.data() + 4, 4);
    std::memcpy(&recordCount, b.data() + 8, 4);
  }
};

class FloorStore final : public InvoiceStore {
 public:
  FloorStore(const std::string& dir, uint32_t n) : path_(dir + "/FLOOR.DAT") {
    fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) ThrowErrno("floor: create data file");
    InvoiceRecord slot0{};
    const auto header = header_.Encode();
    std::memcpy(slot0.data(), header.data(), header.size());
    WriteExact(fd_, slot0.data(), slot0.size(), 0);
    for (auto& index : indexes_) index.reserve(n);
    chunk_.reserve(kChunkRecords * kRecordLength);
  }

  ~FloorStore() override {
    if (fd_ >= 0) close(fd_);
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }

  bool MeasuresGeneration() const override { return true; }

  void EndPhase(int phase) override {
    if (phase != 1) return;
    FlushChunk();
    for (auto& index : indexes_) std::sort(index.begin(), index.end(), EntryLess);
  }

  void Add(int32_t expectedRef, const InvoiceRecord& rec) override {
    const int32_t ref = ++header_.recordCount;
    if (ref != expectedRef) throw std::runtime_error("floor numbered a record out of order");
    if (chunk_.empty()) chunkFirstRef_ = ref;
    chunk_.insert(chunk_.end(), rec.begin(), rec.end());
    if (chunk_.size() == kChunkRecords * kRecordLength) FlushChunk();
    for (int k : kAddKeyOrder) {
      const std::string key = InvoiceKey(rec, k);
      Entry e{};
      std::memcpy(e.key.data(), key.data(), std::min(key.size(), e.key.size()));
      e.length = static_cast<uint8_t>(std::min(key.size(), e.key.size()));
      e.ref = ref;
      indexes_[k - 1].push_back(e);
    }
  }

  void Lookup(const std::string& wanted, Digest& digest) override {
    auto& index = indexes_[0];
    auto it = LowerBound(index, wanted, INT32_MIN);
    while (it != index.end() && it->dead) ++it;
    if (it != index.end() && CompareKey(*it, wanted) == 0) Visit(it->ref, digest);
  }

  void WalkDates(const std::string& low, const std::string& high, Digest& digest) override {
    auto& index = indexes_[2];
    for (auto it = LowerBound(index, low, INT32_MIN); it != index.end() && CompareKey(*it, high) < 0; ++it)
      if (!it->dead) Visit(it->ref, digest);
  }

  void WalkCustomers(Digest& digest) override {
    for (const Entry& e : indexes_[1])
      if (!e.dead) Visit(e.ref, digest);
  }

  void Delete(int32_t ref, Digest& digest) override {
    Visit(ref, digest);
    for (int k = 1; k <= kKeyCount; ++k) {
      auto& index = indexes_[k - 1];
      const std::string key = InvoiceKey(buffer_, k);
      auto it = LowerBound(index, key, ref);
      if (it == index.end() || it->ref != ref || CompareKey(*it, key) != 0 || it->dead)
        throw std::runtime_error("floor lost an index entry");
      it->dead = true;
    }
    WriteExact(fd_, &header_.firstFree, 4, off_t{ref} * kRecordLength);
    header_.firstFree = ref;
    ++header_.deletedCount;
  }

  uint64_t ReopenAndCount() override {
    const auto header = header_.Encode();
    WriteExact(fd_, header.data(), header.size(), 0);
    if (close(fd_) != 0) ThrowErrno("floor: close");
    fd_ = open(path_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) ThrowErrno("floor: reopen");
    std::array<unsigned char, kHeaderBytes> stored{};
    ReadExact(fd_, stored.data(), stored.size(), 0);
    header_.Decode(stored);
    return static_cast<uint64_t>(header_.recordCount - header_.deletedCount);
  }

  uint64_t FileBytes() override { return std::filesystem::file_size(path_); }

 private:
  void FlushChunk() {
    if (chunk_.empty()) return;
    WriteExact(fd_, chunk_.data(), chunk_.size(), off_t{chunkFirstRef_} * kRecordLength);
    chunk_.clear();
  }

  void Visit(int32_t ref, Digest& digest) {
    ReadExact(fd_, buffer_.data(), buffer_.size(), off_t{ref} * kRecordLength);
    digest.AddRecord(ref, buffer_);
  }

  std::string path_;
  int fd_ = -1;
  DataHeader header_;
  std::vector<unsigned char> chunk_;
  int32_t chunkFirstRef_ = 1;
  std::array<std::vector<Entry>, kKeyCount> indexes_;
  InvoiceRecord buffer_{};
};

}  // namespace

std::unique_ptr<InvoiceStore> MakeFloorStore(const std::string& dir, uint32_t n) {
  return std::make_unique<FloorStore>(dir, n);
}

}  // namespace tf::bench
