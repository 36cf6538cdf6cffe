// The key operations: entry checks, position bookkeeping and statuses around the tree
// algorithms of btree.cpp.

#include "engine/core/btree.h"
#include "engine/core/engine.h"

namespace tf::engine {
using namespace detail;

namespace {

// Re-establishes an index position that a change to the index made stale, from the (key, ref)
// the caller got from its previous call. False with the status set on a read failure.
bool Refind(FileBlock* fb, int keyNr, int32_t ref, std::string_view key) {
  KeyIndex& k = fb->keys[keyNr];
  if (k.depth == 0 || k.positionValid) return true;
  return PositionAt(fb, keyNr, Probe{CutKey(key), ref, k.AllowDuplicates != 0}) != Found::Error;
}

// Finishes a positioning call: the entry reached, or `noEntry` (and no position) when the
// walk ran off the index.
void Finish(FileBlock* fb, int keyNr, bool reached, int32_t noEntry, int32_t& ref, std::string& key) {
  KeyIndex& k = fb->keys[keyNr];
  if (!EngineOK) {
    k.ResetPosition();
    return;
  }
  if (!reached) {
    k.ResetPosition();
    Fail(noEntry);
    return;
  }
  k.positionValid = true;
  if (!CurrentEntry(fb, keyNr, ref, key)) k.ResetPosition();
}

}  // namespace

void AddKey(FileBlock* handle, int keyNr, int32_t ref, std::string_view key) {
  FileBlock* fb = EnterKeyOperation(handle, keyNr, Access::Change);
  OperationScope scope{fb};
  if (!fb) return;
  key = CutKey(key);
  KeyIndex& k = fb->keys[keyNr];
  if (int(key.size()) > k.KeyLength) {
    Fail(status::kKeyTooLong);
    return;
  }
  if (!MarkFirstChange(fb)) return;
  k.positionValid = false;
  InsertEntry(fb, keyNr, ref, key);
}

void DeleteKey(FileBlock* handle, int keyNr, int32_t ref, std::string_view key) {
  FileBlock* fb = EnterKeyOperation(handle, keyNr, Access::Change);
  OperationScope scope{fb};
  if (!fb) return;
  if (!MarkFirstChange(fb)) return;
  fb->keys[keyNr].positionValid = false;
  RemoveEntry(fb, keyNr, ref, CutKey(key));
}

void SearchKey(FileBlock* handle, int keyNr, int32_t& ref, std::string& key) {
  FileBlock* fb = EnterKeyOperation(handle, keyNr, Access::Read);
  OperationScope scope{fb};
  if (!fb) return;
  KeyIndex& k = fb->keys[keyNr];
  Found f = PositionAt(fb, keyNr, Probe{CutKey(key), 0, k.AllowDuplicates != 0});
  bool reached = f == Found::Exact || (f == Found::Gap && k.depth > 0 && StepNext(fb, keyNr));
  Finish(fb, keyNr, reached, status::kSearchNotFound, ref, key);
  // A caller that tests only the ref must not take what it passed in for a record found.
  if (!EngineOK) ref = 0;
}

void NextKey(FileBlock* handle, int keyNr, int32_t& ref, std::string& key) {
  FileBlock* fb = EnterKeyOperation(handle, keyNr, Access::Read);
  OperationScope scope{fb};
  if (!fb) return;
  if (!Refind(fb, keyNr, ref, key)) return Finish(fb, keyNr, false, 0, ref, key);
  KeyIndex& k = fb->keys[keyNr];
  bool reached = k.depth == 0 ? StepToEnd(fb, keyNr, true) : StepNext(fb, keyNr);
  Finish(fb, keyNr, reached, status::kNextPastEnd, ref, key);
}

void PrevKey(FileBlock* handle, int keyNr, int32_t& ref, std::string& key) {
  FileBlock* fb = EnterKeyOperation(handle, keyNr, Access::Read);
  OperationScope scope{fb};
  if (!fb) return;
  if (!Refind(fb, keyNr, ref, key)) return Finish(fb, keyNr, false, 0, ref, key);
  KeyIndex& k = fb->keys[keyNr];
  bool reached = k.depth == 0 ? StepToEnd(fb, keyNr, false) : StepPrev(fb, keyNr);
  Finish(fb, keyNr, reached, status::kPrevPastStart, ref, key);
}

void FindKeyAndRef(FileBlock* handle, int keyNr, int32_t& ref, int direction, std::string& key) {
  FileBlock* fb = EnterKeyOperation(handle, keyNr, Access::Read);
  OperationScope scope{fb};
  if (!fb) return;
  KeyIndex& k = fb->keys[keyNr];
  Found f = PositionAt(fb, keyNr, Probe{CutKey(key), ref, k.AllowDuplicates != 0});
  if (f == Found::Exact || f == Found::Error) return Finish(fb, keyNr, true, 0, ref, key);
  if (direction == 0) return Finish(fb, keyNr, false, status::kFindNotFound, ref, key);
  bool reached;
  if (direction > 0)
    reached = k.depth > 0 && StepNext(fb, keyNr);
  else
    reached = k.depth > 0 && StepPrev(fb, keyNr);
  Finish(fb, keyNr, reached, direction > 0 ? status::kNextPastEnd : status::kPrevPastStart, ref, key);
}

void ClearKey(FileBlock* handle, int keyNr) {
  FileBlock* fb = EnterKeyOperation(handle, keyNr, Access::Read);
  OperationScope scope{fb};
  if (fb) fb->keys[keyNr].ResetPosition();
}

int UsedKeys(FileBlock* handle, int keyNr) {
  FileBlock* fb = EnterKeyOperation(handle, keyNr, Access::Read);
  OperationScope scope{fb};
  return fb ? fb->keys[keyNr].EntryCount : 0;
}

}  // namespace tf::engine
