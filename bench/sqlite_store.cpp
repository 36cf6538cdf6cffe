#include "bench/sqlite_store.h"

#include <sqlite3.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string_view>

namespace tf::bench {
namespace {

// Record bytes 0..54 travel as the six key columns (9 + 8 + 10 + 8 + 10 + 10 = 55 bytes of
// text); the row's body is the rest of the record.
constexpr int kBodyOffset = 55;
constexpr int kBodyBytes = kRecordLength - kBodyOffset;
constexpr const char* kSelectColumns = "SELECT id,k1,k2,k3,k4,k5,k6,body FROM inv";

class Statement {
 public:
  Statement() = default;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement() { Finalize(); }
  void Prepare(sqlite3* db, const std::string& sql) {
    Finalize();
    if (sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) != SQLITE_OK)
      throw std::runtime_error("sqlite: prepare \"" + sql + "\": " + sqlite3_errmsg(db));
  }
  void Finalize() {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
  sqlite3_stmt* get() const { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

class SqliteStore final : public InvoiceStore {
 public:
  SqliteStore(const std::string& dir, SqliteMode mode) : path_(dir + "/bench.sqlite"), mode_(mode) {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
    Open();
    Exec("CREATE TABLE inv(id INTEGER PRIMARY KEY, k1 TEXT, k2 TEXT, k3 TEXT, k4 TEXT, k5 TEXT, k6 TEXT, body BLOB)");
    for (int k = 1; k <= kKeyCount; ++k)
      Exec("CREATE INDEX inv_k" + std::to_string(k) + " ON inv(k" + std::to_string(k) + ")");
    PrepareAll();
    RequireIndexPlan(rangeSql_, "inv_k3");
    RequireIndexPlan(walkSql_, "inv_k2");
  }

  ~SqliteStore() override {
    CloseDatabase();  // a failure here has nothing left to spoil
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }

  bool DigestsDeletes() const override { return false; }

  void BeginPhase(int phase) override {
    if ((phase == 1 || phase == 5) && mode_ != SqliteMode::Autocommit) Exec("BEGIN");
  }
  void EndPhase(int phase) override {
    if ((phase == 1 || phase == 5) && mode_ != SqliteMode::Autocommit) Exec("COMMIT");
  }

  void Add(int32_t expectedRef, const InvoiceRecord& rec) override {
    sqlite3_stmt* s = insert_.get();
    for (int k = 1; k <= kKeyCount; ++k) {
      std::string& key = keys_[k - 1];
      key = InvoiceKey(rec, k);
      sqlite3_bind_text(s, k, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
    }
    sqlite3_bind_blob(s, kKeyCount + 1, rec.data() + kBodyOffset, kBodyBytes, SQLITE_STATIC);
    StepDone(s, "insert");
    if (sqlite3_last_insert_rowid(db_) != expectedRef) throw std::runtime_error("sqlite: unexpected rowid");
  }

  void Lookup(const std::string& wanted, Digest& digest) override {
    sqlite3_stmt* s = lookup_.get();
    sqlite3_bind_text(s, 1, wanted.data(), static_cast<int>(wanted.size()), SQLITE_STATIC);
    ReadRows(s, digest);
  }

  void WalkDates(const std::string& low, const std::string& high, Digest& digest) override {
    sqlite3_stmt* s = range_.get();
    sqlite3_bind_text(s, 1, low.data(), static_cast<int>(low.size()), SQLITE_STATIC);
    sqlite3_bind_text(s, 2, high.data(), static_cast<int>(high.size()), SQLITE_STATIC);
    ReadRows(s, digest);
  }

  void WalkCustomers(Digest& digest) override { ReadRows(walk_.get(), digest); }

  // SQLite reads the row and removes its index entries itself: only the count is kept.
  void Delete(int32_t ref, Digest& digest) override {
    sqlite3_stmt* s = delete_.get();
    sqlite3_bind_int64(s, 1, ref);
    StepDone(s, "delete");
    if (sqlite3_changes(db_) != 1) throw std::runtime_error("sqlite: delete found no row");
    ++digest.count;
  }

  uint64_t ReopenAndCount() override {
    if (!CloseDatabase()) throw std::runtime_error("sqlite: close failed");
    Open();
    Statement count;
    count.Prepare(db_, "SELECT count(*) FROM inv");
    if (sqlite3_step(count.get()) != SQLITE_ROW) throw std::runtime_error(std::string("sqlite: count: ") + sqlite3_errmsg(db_));
    return static_cast<uint64_t>(sqlite3_column_int64(count.get(), 0));
  }

  uint64_t FileBytes() override {
    uint64_t bytes = 0;
    for (const char* suffix : {"", "-journal", "-wal"}) {
      std::error_code ec;
      auto size = std::filesystem::file_size(path_ + suffix, ec);
      if (!ec) bytes += size;
    }
    return bytes;
  }

 private:
  void Open() {
    if (sqlite3_open(path_.c_str(), &db_) != SQLITE_OK)
      throw std::runtime_error("sqlite: open " + path_ + ": " + sqlite3_errmsg(db_));
    Exec("PRAGMA journal_mode=OFF");
    Exec("PRAGMA synchronous=OFF");
    if (mode_ != SqliteMode::TransactionNormal) Exec("PRAGMA locking_mode=EXCLUSIVE");
  }

  bool CloseDatabase() {
    for (Statement* s : {&insert_, &lookup_, &range_, &walk_, &delete_}) s->Finalize();
    const bool closed = sqlite3_close(db_) == SQLITE_OK;
    db_ = nullptr;
    return closed;
  }

  void PrepareAll() {
    insert_.Prepare(db_, "INSERT INTO inv(k1,k2,k3,k4,k5,k6,body) VALUES(?,?,?,?,?,?,?)");
    lookup_.Prepare(db_, std::string(kSelectColumns) + " WHERE k1=?");
    range_.Prepare(db_, rangeSql_);
    walk_.Prepare(db_, walkSql_);
    delete_.Prepare(db_, "DELETE FROM inv WHERE id=?");
  }

  void Exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      std::string message = "sqlite: " + sql + ": " + (error ? error : "?");
      sqlite3_free(error);
      throw std::runtime_error(message);
    }
  }

  // The walks must run in index order straight off the index: a sort step would change what
  // is measured.
  void RequireIndexPlan(const std::string& sql, std::string_view index) {
    Statement plan;
    plan.Prepare(db_, "EXPLAIN QUERY PLAN " + sql);
    bool usesIndex = false;
    while (sqlite3_step(plan.get()) == SQLITE_ROW) {
      std::string_view detail(reinterpret_cast<const char*>(sqlite3_column_text(plan.get(), 3)));
      if (detail.find("TEMP B-TREE") != std::string_view::npos)
        throw std::runtime_error("sqlite: query sorts instead of walking " + std::string(index));
      if (detail.find(index) != std::string_view::npos) usesIndex = true;
    }
    if (!usesIndex) throw std::runtime_error("sqlite: query does not use " + std::string(index));
  }

  void StepDone(sqlite3_stmt* s, const char* what) {
    int rc = sqlite3_step(s);
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) throw std::runtime_error(std::string("sqlite: ") + what + ": " + sqlite3_errmsg(db_));
  }

  // Copies every row into the record buffer (key columns to bytes 0..54, body after them) and
  // digests it by its k1 column.
  void ReadRows(sqlite3_stmt* s, Digest& digest) {
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      const auto ref = static_cast<int32_t>(sqlite3_column_int64(s, 0));
      size_t at = 0;
      for (int k = 1; k <= kKeyCount; ++k) {
        const auto* text = sqlite3_column_text(s, k);
        const size_t len = std::min<size_t>(sqlite3_column_bytes(s, k), kBodyOffset - at);
        std::memcpy(buffer_.data() + at, text, len);
        at += len;
      }
      const int bodyLen = std::min(sqlite3_column_bytes(s, 7), kBodyBytes);
      std::memcpy(buffer_.data() + kBodyOffset, sqlite3_column_blob(s, 7), bodyLen);
      digest.Add(ref, std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)),
                                       sqlite3_column_bytes(s, 1)));
    }
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) throw std::runtime_error(std::string("sqlite: read: ") + sqlite3_errmsg(db_));
  }

  std::string path_;
  SqliteMode mode_;
  sqlite3* db_ = nullptr;
  const std::string rangeSql_ = std::string(kSelectColumns) + " WHERE k3>=? AND k3<? ORDER BY k3, id";
  const std::string walkSql_ = std::string(kSelectColumns) + " ORDER BY k2, id";
  Statement insert_, lookup_, range_, walk_, delete_;
  std::array<std::string, kKeyCount> keys_;  // bound to the insert statement without copying
  InvoiceRecord buffer_{};
};

}  // namespace

std::unique_ptr<InvoiceStore> MakeSqliteStore(const std::string& dir, SqliteMode mode) {
  return std::make_unique<SqliteStore>(dir, mode);
}

}  // namespace tf::bench
