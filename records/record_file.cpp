#include "records/record_file.h"

#include "records/staged_block.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "common/record_fields.h"
#include "common/program_title.h"

namespace tf::records {
namespace {

using engine::EngineOK;
using engine::EngineStatus;

constexpr std::string_view kIndexDefective = "Index file is defective.  Rebuild?";
constexpr std::string_view kFilesInUse = "The files are in use.  Abort?";
constexpr std::string_view kCannotLock = "Cannot get a lock.  Abort?";
constexpr std::string_view kRecordChanged = "The record has changed in the meantime.";

// Error class of the statuses the user may wait out (another program holds the files).
constexpr int kLockClass = 2;

void RequireRecordLength(std::span<const std::uint8_t> record, const RecordFileKind& kind) {
  if (record.size() != std::size_t(kind.recordLength))
    throw std::invalid_argument("record image of " + std::to_string(record.size()) + " bytes for a " +
                                kind.title + " record of " + std::to_string(kind.recordLength));
}

bool IsLive(std::span<const std::uint8_t> record) {
  return common::ReadInt32(record, common::Int32Field{0}) == 0;
}

// Keeps the engine's result of the first failure while undo steps (and the unlock, which resets
// the engine's status) run: the caller is told why the operation failed, not how the clean-up
// went.
class StatusKeeper {
 public:
  StatusKeeper() : ok_(EngineOK), status_(EngineStatus) {}
  ~StatusKeeper() {
    EngineOK = ok_;
    EngineStatus = status_;
  }
  StatusKeeper(const StatusKeeper&) = delete;
  StatusKeeper& operator=(const StatusKeeper&) = delete;

 private:
  bool ok_;
  std::int32_t status_;
};

// One guarded maintenance operation on a file block: holds the lock from Lock() until it ends
// (the file block is unlocked on every path out) and runs each engine call under the lock
// retry rule.
class KeyedOperation {
 public:
  KeyedOperation(engine::FileBlock* handle, const RecordFileKind& kind, common::Prompter& prompter)
      : handle_(handle), kind_(kind), prompter_(prompter) {}
  ~KeyedOperation() { Unlock(); }
  KeyedOperation(const KeyedOperation&) = delete;
  KeyedOperation& operator=(const KeyedOperation&) = delete;

  // Repeats the lock until it is granted or the user gives up.
  bool Lock() {
    for (;;) {
      engine::LockFileBlock(handle_);
      if (EngineOK) return locked_ = true;
      if (prompter_.AskYesNo(kFilesInUse, common::kProgramTitle)) return false;
    }
  }

  void Unlock() {
    if (!locked_) return;
    locked_ = false;
    StatusKeeper keep;
    engine::UnlockFileBlock(handle_);
  }

  // Runs `call` again while it fails for a lock and the user does not give up.
  template <class Call>
  bool Retry(Call call) {
    for (;;) {
      call();
      if (EngineOK || engine::EngineErrorClass() != kLockClass) return EngineOK;
      if (prompter_.AskYesNo(kCannotLock, common::kProgramTitle)) return false;
    }
  }

  bool AddRecord(std::span<const std::uint8_t> record, std::int32_t& ref) {
    return Retry([&] { engine::AddRecord(handle_, ref, record.data()); });
  }
  bool PutRecord(std::int32_t ref, std::span<const std::uint8_t> record) {
    return Retry([&] { engine::PutRecord(handle_, ref, record.data()); });
  }
  bool DeleteRecord(std::int32_t ref) {
    return Retry([&] { engine::DeleteRecord(handle_, ref); });
  }
  bool AddKey(int keyNr, std::int32_t ref, const std::string& key) {
    return Retry([&] { engine::AddKey(handle_, keyNr, ref, key); });
  }
  bool DeleteKey(int keyNr, std::int32_t ref, const std::string& key) {
    return Retry([&] { engine::DeleteKey(handle_, keyNr, ref, key); });
  }

  // Moves the entry of `ref` in index keyNr from key `from` to key `to`: the new key first, so
  // that a refused key (a duplicate) leaves the old one in place. An old key that is already
  // missing does not stop the change; any other failure to remove it takes the new key back,
  // since an index holding both would list the record twice.
  bool ReplaceKey(int keyNr, std::int32_t ref, const std::string& from, const std::string& to) {
    if (!AddKey(keyNr, ref, to)) return false;
    if (DeleteKey(keyNr, ref, from) || EngineStatus == engine::status::kDeleteKeyNotFound) {
      EngineOK = true;
      EngineStatus = 0;
      return true;
    }
    StatusKeeper keep;
    DeleteKey(keyNr, ref, to);
    return false;
  }

  // The key texts of `record` for keys 1..n.
  std::vector<std::string> Keys(std::span<const std::uint8_t> record) const {
    std::vector<std::string> keys;
    for (int k = 1; k <= int(kind_.keys.size()); ++k) keys.push_back(kind_.keyRoutine(record, k));
    return keys;
  }

 private:
  engine::FileBlock* handle_;
  const RecordFileKind& kind_;
  common::Prompter& prompter_;
  bool locked_ = false;
};

}  // namespace

bool RebuildRecordFile(const std::string& name, const RecordFileKind& kind, engine::RebuildStatus& status) {
  if (!RecoverStagedBlock(name)) return false;
  const engine::RebuildTarget target{name, kind.title, kind.recordLength, kind.keys, kind.keyRoutine};
  return engine::RebuildFileBlock(target, status);
}

bool KeepIfOfKind(engine::FileBlock*& handle, const RecordFileKind& kind) {
  if (engine::RecordLength(handle) == kind.recordLength && engine::KeyCount(handle) == int(kind.keys.size()))
    return true;
  engine::CloseFileBlock(handle);
  handle = nullptr;
  EngineOK = false;
  EngineStatus = kNotThisKindOfFile;
  return false;
}

bool OpenRecordFile(engine::FileBlock*& handle, const std::string& name, const RecordFileKind& kind,
                    const CreateNotice& notice, common::Prompter& prompter, engine::RebuildStatus& status) {
  bool created = false;
  // A bulk change cut short is finished or dropped before anyone reads the block.
  if (!RecoverStagedBlock(name)) return false;
  for (;;) {
    engine::OpenFileBlock(handle, name);
    if (EngineOK) return KeepIfOfKind(handle, kind);
    if (EngineStatus == engine::status::kIndexDefective) {
      // Asked again if the rebuilt file block still cannot be opened.
      if (!prompter.AskYesNo(kIndexDefective, common::kProgramTitle)) return false;
      if (!RebuildRecordFile(name, kind, status)) return false;
    } else if (EngineStatus == engine::status::kFileNotFound && !created) {
      if (!notice.text.empty()) {
        StatusKeeper keep;  // the reason stays 9903 when the user declines
        const common::PromptAnswer answer =
            prompter.Show({notice.text, notice.caption, common::PromptIcon::Information, notice.buttons,
                           common::PromptAnswer::OK});
        if (answer == common::PromptAnswer::Cancel || answer == common::PromptAnswer::No) {
          EngineOK = false;
          return false;
        }
      }
      engine::MakeFileBlock(name, kind.recordLength, int(kind.keys.size()), kind.keys);
      if (!EngineOK) return false;
      created = true;
    } else {
      return false;
    }
  }
}

namespace {

bool AddOneKeyedRecord(engine::FileBlock* handle, const RecordFileKind& kind, std::span<const std::uint8_t> record,
                       std::int32_t& ref, common::Prompter& prompter) {
  RequireRecordLength(record, kind);
  KeyedOperation op(handle, kind, prompter);
  if (!op.Lock()) return false;
  std::int32_t added = 0;
  if (!op.AddRecord(record, added)) return false;
  const std::vector<std::string> keys = op.Keys(record);
  for (int k = 1; k <= int(keys.size()); ++k) {
    if (op.AddKey(k, added, keys[k - 1])) continue;
    StatusKeeper keep;
    for (int j = k - 1; j >= 1; --j) op.DeleteKey(j, added, keys[j - 1]);
    op.DeleteRecord(added);
    return false;
  }
  ref = added;
  return true;
}

// The engine keeps records added at the end in memory until its next write; what the user (or a
// job) was told is saved is written now, so that it survives the program being killed.
bool WriteAddedRecords(engine::FileBlock* handle) {
  engine::FlushFileBlock(handle);
  return EngineOK;
}

}  // namespace

bool AddKeyedRecord(engine::FileBlock* handle, const RecordFileKind& kind, std::span<const std::uint8_t> record,
                    std::int32_t& ref, common::Prompter& prompter) {
  std::int32_t added = 0;
  if (!AddOneKeyedRecord(handle, kind, record, added, prompter)) return false;
  if (!WriteAddedRecords(handle)) {  // taken back, as a failed add is
    StatusKeeper keep;
    DeleteKeyedRecord(handle, kind, added, record, prompter);
    return false;
  }
  ref = added;
  return true;
}

bool AddKeyedRecords(engine::FileBlock* handle, const RecordFileKind& kind,
                     std::span<const common::RecordBuffer> records, common::Prompter& prompter) {
  std::vector<std::int32_t> added;
  added.reserve(records.size());
  auto takeBack = [&] {
    StatusKeeper keep;
    for (std::size_t k = added.size(); k-- > 0;) DeleteKeyedRecord(handle, kind, added[k], records[k], prompter);
    return false;
  };
  for (const common::RecordBuffer& record : records) {
    std::int32_t ref = 0;
    if (!AddOneKeyedRecord(handle, kind, record, ref, prompter)) return takeBack();
    added.push_back(ref);
  }
  return WriteAddedRecords(handle) || takeBack();
}

bool ModifyKeyedRecord(engine::FileBlock* handle, const RecordFileKind& kind, std::int32_t ref,
                       std::span<const std::uint8_t> newRecord, std::span<const std::uint8_t> oldImage,
                       common::Prompter& prompter) {
  RequireRecordLength(newRecord, kind);
  RequireRecordLength(oldImage, kind);
  if (std::ranges::equal(newRecord, oldImage)) {
    EngineOK = true;
    EngineStatus = 0;
    return true;
  }
  KeyedOperation op(handle, kind, prompter);
  if (!op.Lock()) return false;
  std::vector<std::uint8_t> stored(std::size_t(kind.recordLength));
  engine::GetRecord(handle, ref, std::span<std::uint8_t>(stored));
  if (!EngineOK) return false;
  if (!IsLive(stored)) {
    EngineOK = false;  // the record was deleted since it was read
    return false;
  }
  if (!std::ranges::equal(stored, oldImage)) {
    op.Unlock();
    prompter.Inform(kRecordChanged, common::kProgramTitle);
    EngineOK = false;
    return false;
  }
  const std::vector<std::string> oldKeys = op.Keys(stored);
  const std::vector<std::string> newKeys = op.Keys(newRecord);
  std::vector<int> replaced;
  auto changeBack = [&] {
    StatusKeeper keep;
    for (auto k = replaced.rbegin(); k != replaced.rend(); ++k)
      op.ReplaceKey(*k, ref, newKeys[*k - 1], oldKeys[*k - 1]);
  };
  for (int k = 1; k <= int(newKeys.size()); ++k) {
    if (oldKeys[k - 1] == newKeys[k - 1]) continue;
    if (!op.ReplaceKey(k, ref, oldKeys[k - 1], newKeys[k - 1])) {
      changeBack();
      return false;
    }
    replaced.push_back(k);
  }
  if (!op.PutRecord(ref, newRecord)) {
    changeBack();
    return false;
  }
  return true;
}

bool DeleteKeyedRecord(engine::FileBlock* handle, const RecordFileKind& kind, std::int32_t ref,
                       std::span<const std::uint8_t> record, common::Prompter& prompter) {
  RequireRecordLength(record, kind);
  KeyedOperation op(handle, kind, prompter);
  if (!op.Lock()) return false;
  const std::vector<std::string> keys = op.Keys(record);
  std::vector<int> removed;
  bool keyMissing = false;
  auto putBack = [&] {
    StatusKeeper keep;
    for (auto k = removed.rbegin(); k != removed.rend(); ++k) op.AddKey(*k, ref, keys[*k - 1]);
  };
  for (int k = 1; k <= int(keys.size()); ++k) {
    if (op.DeleteKey(k, ref, keys[k - 1])) {
      removed.push_back(k);
    } else if (EngineStatus == engine::status::kDeleteKeyNotFound) {
      // The index has lost this key (or holds the record under another text): what the step is
      // for holds already, so the other steps go on and the record can still be deleted.
      keyMissing = true;
    } else {
      putBack();
      return false;
    }
  }
  if (!op.DeleteRecord(ref)) {
    putBack();
    return false;
  }
  if (keyMissing) {
    EngineOK = true;  // a warning, as the caller may want to check the block afterwards
    EngineStatus = engine::status::kDeleteKeyNotFound;
  }
  return true;
}

}  // namespace tf::records
