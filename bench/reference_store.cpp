#include "bench/reference_store.h"

#include <array>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tf::bench {
namespace {

// std::string compares as unsigned bytes with the shorter key first, and the pair then orders
// equal keys by record number: the index order.
using Entry = std::pair<std::string, int32_t>;

class ReferenceStore final : public InvoiceStore {
 public:
  void Add(int32_t expectedRef, const InvoiceRecord& rec) override {
    records_.push_back(rec);
    live_.push_back(true);
    const auto ref = static_cast<int32_t>(records_.size());
    if (ref != expectedRef) throw std::runtime_error("reference store numbered a record out of order");
    for (int k : kAddKeyOrder) index(k).emplace(InvoiceKey(rec, k), ref);
  }

  void Lookup(const std::string& wanted, Digest& digest) override {
    auto it = index(1).lower_bound({wanted, INT32_MIN});
    if (it != index(1).end() && it->first == wanted) Visit(it->second, digest);
  }

  void WalkDates(const std::string& low, const std::string& high, Digest& digest) override {
    for (auto it = index(3).lower_bound({low, INT32_MIN}); it != index(3).end() && it->first < high; ++it)
      Visit(it->second, digest);
  }

  void WalkCustomers(Digest& digest) override {
    for (const Entry& e : index(2)) Visit(e.second, digest);
  }

  void Delete(int32_t ref, Digest& digest) override {
    Visit(ref, digest);
    for (int k = 1; k <= kKeyCount; ++k)
      if (index(k).erase({InvoiceKey(buffer_, k), ref}) != 1)
        throw std::runtime_error("reference store lost an index entry");
    live_[ref - 1] = false;
  }

  uint64_t ReopenAndCount() override {
    uint64_t live = 0;
    for (bool l : live_) live += l;
    return live;
  }

  uint64_t FileBytes() override { return 0; }

 private:
  std::set<Entry>& index(int keyNr) { return indexes_[keyNr - 1]; }

  void Visit(int32_t ref, Digest& digest) {
    if (ref < 1 || static_cast<size_t>(ref) > records_.size() || !live_[ref - 1])
      throw std::runtime_error("reference store visited a missing record");
    buffer_ = records_[ref - 1];
    digest.AddRecord(ref, buffer_);
  }

  std::vector<InvoiceRecord> records_;
  std::vector<bool> live_;
  std::array<std::set<Entry>, kKeyCount> indexes_;
  InvoiceRecord buffer_{};
};

}  // namespace

std::unique_ptr<InvoiceStore> MakeReferenceStore() { return std::make_unique<ReferenceStore>(); }

}  // namespace tf::bench
