#include "bench/engine_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "engine/core/engine.h"
#include "engine/core/key_compare.h"

namespace tf::bench {
namespace {

namespace eng = tf::engine;

constexpr const char* kBlockName = "BENCHI";
constexpr const char* kDataFile = "BENCHI.DAT";
constexpr const char* kIndexFile = "BENCHI.IX";

[[noreturn]] void Fail(const std::string& operation) {
  throw std::runtime_error("engine: " + operation + " failed with status " + std::to_string(eng::EngineStatus));
}

void Check(const char* operation) {
  if (!eng::EngineOK) Fail(operation);
}

// "Not found" and "no more entries" end a search or walk; anything else is a fault.
void CheckEndOfWalk(const char* operation) {
  if (!eng::EngineOK && eng::EngineErrorClass() != 1) Fail(operation);
}

class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& dir) : previous_(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (previous_ < 0 || chdir(dir.c_str()) != 0) {
      const int error = errno;
      if (previous_ >= 0) close(previous_);
      throw std::system_error(error, std::generic_category(), "engine: cannot work in " + dir);
    }
  }
  ~WorkingDirectory() {
    if (fchdir(previous_) != 0) std::perror("engine: cannot change back to the previous directory");
    close(previous_);
  }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  int previous_;
};

class EngineSession {
 public:
  explicit EngineSession(int pageBuffers) {
    eng::InitEngine(0, pageBuffers);
    Check("InitEngine");
  }
  ~EngineSession() { eng::ExitEngine(); }
  EngineSession(const EngineSession&) = delete;
  EngineSession& operator=(const EngineSession&) = delete;
};

class EngineStore final : public InvoiceStore {
 public:
  EngineStore(const std::string& dir, int pageBuffers) : directory_(dir), session_(pageBuffers) {
    std::array<eng::KeyDescriptor, kKeyCount> descriptors{};
    for (int k = 0; k < kKeyCount; ++k)
      descriptors[k] = {kIndexShapes[k].keyLength, static_cast<uint8_t>(kIndexShapes[k].duplicates ? 1 : 0)};
    eng::MakeFileBlock(kBlockName, kRecordLength, kKeyCount, descriptors);
    Check("MakeFileBlock");
    eng::OpenFileBlock(handle_, kBlockName, false, true, false, false);
    if (!eng::EngineOK) {
      const int32_t status = eng::EngineStatus;
      eng::DeleteFileBlock(kBlockName);
      eng::EngineStatus = status;
      Fail("OpenFileBlock");
    }
  }

  ~EngineStore() override {
    if (handle_) eng::CloseFileBlock(handle_);
    eng::DeleteFileBlock(kBlockName);
  }

  void Add(int32_t expectedRef, const InvoiceRecord& rec) override {
    int32_t ref = 0;
    eng::AddRecord(handle_, ref, rec.data());
    Check("AddRecord");
    if (ref != expectedRef) throw std::runtime_error("engine: AddRecord returned an unexpected record number");
    for (int k : kAddKeyOrder) {
      eng::AddKey(handle_, k, ref, InvoiceKey(rec, k));
      Check("AddKey");
    }
  }

  void Lookup(const std::string& wanted, Digest& digest) override {
    int32_t ref = 0;
    key_ = wanted;
    eng::SearchKey(handle_, 1, ref, key_);
    if (eng::EngineOK && key_ == wanted)
      Visit(ref, digest);
    else
      CheckEndOfWalk("SearchKey");
  }

  void WalkDates(const std::string& low, const std::string& high, Digest& digest) override {
    int32_t ref = 0;
    key_ = low;
    eng::SearchKey(handle_, 3, ref, key_);
    while (eng::EngineOK && eng::CompareKeys(key_, high) < 0) {
      Visit(ref, digest);
      eng::NextKey(handle_, 3, ref, key_);
    }
    CheckEndOfWalk("SearchKey/NextKey");
  }

  void WalkCustomers(Digest& digest) override {
    eng::ClearKey(handle_, 2);
    Check("ClearKey");
    int32_t ref = 0;
    for (;;) {
      eng::NextKey(handle_, 2, ref, key_);
      if (!eng::EngineOK) break;
      Visit(ref, digest);
    }
    if (eng::EngineStatus != eng::status::kNextPastEnd) Fail("NextKey");
  }

  void Delete(int32_t ref, Digest& digest) override {
    Visit(ref, digest);
    for (int k = 1; k <= kKeyCount; ++k) {
      eng::DeleteKey(handle_, k, ref, InvoiceKey(record_, k));
      Check("DeleteKey");
    }
    eng::DeleteRecord(handle_, ref);
    Check("DeleteRecord");
  }

  uint64_t ReopenAndCount() override {
    eng::CloseFileBlock(handle_);
    Check("CloseFileBlock");
    eng::OpenFileBlock(handle_, kBlockName, false, true, false, false);
    Check("OpenFileBlock");
    const int used = eng::UsedRecords(handle_);
    Check("UsedRecords");
    return static_cast<uint64_t>(used);
  }

  uint64_t FileBytes() override { return std::filesystem::file_size(kDataFile) + std::filesystem::file_size(kIndexFile); }

 private:
  void Visit(int32_t ref, Digest& digest) {
    eng::GetRecord(handle_, ref, record_.data());
    Check("GetRecord");
    digest.AddRecord(ref, record_);
  }

  // Declared first: the working directory is restored after everything else is gone.
  WorkingDirectory directory_;
  EngineSession session_;
  eng::FileBlock* handle_ = nullptr;
  std::string key_;
  InvoiceRecord record_{};
};

}  // namespace

std::unique_ptr<InvoiceStore> MakeEngineStore(const std::string& dir, int pageBuffers) {
  return std::make_unique<EngineStore>(dir, pageBuffers);
}

}  // namespace tf::bench
