#include "bench/lmdb_store.h"

#include <lmdb.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string_view>

namespace tf::bench {
namespace {

constexpr const char* kRecordsName = "records";
constexpr const char* kIndexNames[kKeyCount] = {"k1", "k2", "k3", "k4", "k5", "k6"};

void Check(int rc, const char* what) {
  if (rc != MDB_SUCCESS) throw std::runtime_error(std::string("lmdb: ") + what + ": " + mdb_strerror(rc));
}

MDB_val Bytes(const void* data, size_t size) { return MDB_val{size, const_cast<void*>(data)}; }
MDB_val Text(const std::string& s) { return Bytes(s.data(), s.size()); }
std::string_view View(const MDB_val& v) { return {static_cast<const char*>(v.mv_data), v.mv_size}; }

// Record numbers are stored as native unsigned integers: the records database orders them as
// integer keys and each index orders a key's record numbers as integer duplicates, which for
// the positive numbers a store hands out is the engine's order of equal keys.
uint32_t Number(const MDB_val& v) {
  uint32_t n;
  std::memcpy(&n, v.mv_data, sizeof n);
  return n;
}

// False at the end (MDB_NOTFOUND); any other failure throws.
bool Get(MDB_cursor* cursor, MDB_val& key, MDB_val& data, MDB_cursor_op op) {
  const int rc = mdb_cursor_get(cursor, &key, &data, op);
  if (rc == MDB_NOTFOUND) return false;
  Check(rc, "cursor get");
  return true;
}

class LmdbStore final : public InvoiceStore {
 public:
  LmdbStore(const std::string& dir, uint32_t n) : dir_(dir + "/lmdb"), mapSize_(MapSizeFor(n)) {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
    std::filesystem::create_directories(dir_);
    Open();
    MDB_txn* txn = nullptr;
    Check(mdb_txn_begin(env_, nullptr, 0, &txn), "begin");
    Check(mdb_dbi_open(txn, kRecordsName, MDB_CREATE | MDB_INTEGERKEY, &records_), "open records");
    for (int k = 0; k < kKeyCount; ++k)
      Check(mdb_dbi_open(txn, kIndexNames[k], MDB_CREATE | MDB_DUPSORT | MDB_DUPFIXED | MDB_INTEGERDUP, &indexes_[k]),
            "open index");
    Check(mdb_txn_commit(txn), "commit");
  }

  ~LmdbStore() override {
    EndTxn(false);
    if (env_) mdb_env_close(env_);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  void BeginPhase(int phase) override {
    const bool writes = phase == 1 || phase == 5;
    if (phase <= 5) Check(mdb_txn_begin(env_, nullptr, writes ? 0 : MDB_RDONLY, &txn_), "begin");
  }
  void EndPhase(int phase) override { EndTxn(phase == 1 || phase == 5); }

  void Add(int32_t expectedRef, const InvoiceRecord& rec) override {
    const uint32_t ref = static_cast<uint32_t>(expectedRef);
    MDB_val number = Bytes(&ref, sizeof ref);
    MDB_val body = Bytes(rec.data(), rec.size());
    // Record numbers only grow during the adds, so each record goes at the end.
    Check(mdb_put(txn_, records_, &number, &body, MDB_APPEND), "put record");
    for (int k : kAddKeyOrder) {
      keys_[k - 1] = InvoiceKey(rec, k);
      MDB_val key = Text(keys_[k - 1]);
      MDB_val value = number;
      Check(mdb_put(txn_, indexes_[k - 1], &key, &value, 0), "put key");
    }
  }

  void Lookup(const std::string& wanted, Digest& digest) override {
    MDB_cursor* c = IndexCursor(1);
    MDB_val key = Text(wanted), value{};
    if (Get(c, key, value, MDB_SET_RANGE) && View(key) == wanted) Visit(Number(value), digest);
  }

  void WalkDates(const std::string& low, const std::string& high, Digest& digest) override {
    MDB_cursor* c = IndexCursor(3);
    MDB_val key = Text(low), value{};
    for (bool more = Get(c, key, value, MDB_SET_RANGE); more && View(key) < std::string_view(high);
         more = Get(c, key, value, MDB_NEXT))
      Visit(Number(value), digest);
  }

  void WalkCustomers(Digest& digest) override {
    MDB_cursor* c = IndexCursor(2);
    MDB_val key{}, value{};
    for (bool more = Get(c, key, value, MDB_FIRST); more; more = Get(c, key, value, MDB_NEXT))
      Visit(Number(value), digest);
  }

  void Delete(int32_t ref, Digest& digest) override {
    Visit(static_cast<uint32_t>(ref), digest);
    const uint32_t number = static_cast<uint32_t>(ref);
    for (int k = 1; k <= kKeyCount; ++k) {
      const std::string text = InvoiceKey(buffer_, k);
      MDB_val key = Text(text), value = Bytes(&number, sizeof number);
      Check(mdb_del(txn_, indexes_[k - 1], &key, &value), "delete key");
    }
    MDB_val key = Bytes(&number, sizeof number);
    Check(mdb_del(txn_, records_, &key, nullptr), "delete record");
  }

  uint64_t ReopenAndCount() override {
    mdb_env_close(env_);
    env_ = nullptr;
    Open();
    MDB_txn* txn = nullptr;
    Check(mdb_txn_begin(env_, nullptr, MDB_RDONLY, &txn), "begin");
    MDB_stat stat{};
    int rc = mdb_dbi_open(txn, kRecordsName, MDB_INTEGERKEY, &records_);
    if (rc == MDB_SUCCESS) rc = mdb_stat(txn, records_, &stat);
    mdb_txn_abort(txn);
    Check(rc, "count");
    return stat.ms_entries;
  }

  uint64_t FileBytes() override {
    uint64_t bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
      if (entry.is_regular_file()) bytes += entry.file_size();
    return bytes;
  }

 private:
  // Room for the records and six indexes of n records several times over; the map is only
  // address space until pages are written.
  static size_t MapSizeFor(uint32_t n) { return (size_t(1) << 30) + size_t(n) * 4096; }

  void Open() {
    Check(mdb_env_create(&env_), "create");
    Check(mdb_env_set_maxdbs(env_, kKeyCount + 1), "set databases");
    Check(mdb_env_set_mapsize(env_, mapSize_), "set map size");
    // As the other systems run: no sync at commit (the close of phase 6 is not made durable
    // either), no locking between processes.
    Check(mdb_env_open(env_, dir_.c_str(), MDB_NOSYNC | MDB_NOMETASYNC | MDB_NOLOCK, 0644), "open");
  }

  // One cursor per index and transaction, opened at its first use.
  MDB_cursor* IndexCursor(int keyNr) {
    MDB_cursor*& c = cursors_[keyNr - 1];
    if (!c) Check(mdb_cursor_open(txn_, indexes_[keyNr - 1], &c), "cursor open");
    return c;
  }

  void EndTxn(bool commit) {
    if (!txn_) return;
    for (MDB_cursor*& c : cursors_) {
      if (c) mdb_cursor_close(c);
      c = nullptr;
    }
    MDB_txn* txn = txn_;
    txn_ = nullptr;
    if (commit)
      Check(mdb_txn_commit(txn), "commit");
    else
      mdb_txn_abort(txn);
  }

  void Visit(uint32_t ref, Digest& digest) {
    MDB_val key = Bytes(&ref, sizeof ref), value{};
    Check(mdb_get(txn_, records_, &key, &value), "get record");
    if (value.mv_size != buffer_.size()) throw std::runtime_error("lmdb: a record of the wrong size");
    std::memcpy(buffer_.data(), value.mv_data, buffer_.size());
    digest.AddRecord(static_cast<int32_t>(ref), buffer_);
  }

  std::string dir_;
  size_t mapSize_;
  MDB_env* env_ = nullptr;
  MDB_txn* txn_ = nullptr;
  MDB_dbi records_ = 0;
  std::array<MDB_dbi, kKeyCount> indexes_{};
  std::array<MDB_cursor*, kKeyCount> cursors_{};
  std::array<std::string, kKeyCount> keys_;
  InvoiceRecord buffer_{};
};

}  // namespace

std::unique_ptr<InvoiceStore> MakeLmdbStore(const std::string& dir, uint32_t n) {
  return std::make_unique<LmdbStore>(dir, n);
}

}  // namespace tf::bench
