#pragma once
// A bulk change to file blocks (an import of thousands of rows) made all or nothing, even under
// a crash or power loss: the rows go into a copy of each block, its stage "~NAME", and the
// stages take the blocks' places only once every one of them is complete and durable.
//
// The switch renames each stage's data file, then its index file. A commit marker, written and
// made durable before the first rename and removed after the last, tells which side of the
// switch a crash left. The marker is named after the first block of the change ("NAME.CMT")
// and lists the stages of every block the change touches, one a line, closed by a line "END":
// a marker without its closing line was cut short while it was written, before anything was
// switched, so it commits nothing. Every other block of a change of several blocks gets a
// note beside its stage ("~NAME.GRP") naming the marker, made durable before its stage is
// made, so that whichever block of the change is opened first finds the change.
//
// RecoverStagedBlock, run before a block is opened or rebuilt, finishes the switch of the
// whole change a complete marker announces (every block of it, not only the one being opened)
// and otherwise drops the stages of a change that never committed (again every block that had
// joined it), so the next open of any of the blocks sees either all of them as they were or
// all of them with every row of the change.

#include <memory>
#include <string>
#include <vector>

#include "engine/core/engine.h"

namespace tf::records {

// The stage's block name, the commit marker's file name and the note that ties a stage to the
// marker of its change, for block `name`.
std::string StageName(const std::string& name);
std::string CommitMarkerName(const std::string& name);
std::string GroupNoteName(const std::string& name);

// Finishes or discards what an interrupted staged change left of `name` (and, when the change
// committed, of every other block it touched). True when nothing was left or it was put right;
// false (EngineOK false, EngineStatus set) when a file operation failed, and the block should
// not be opened then.
bool RecoverStagedBlock(const std::string& name);

// True when a committed change that touches `name` is not switched through yet: the block's
// files may be half switched until the next open or rebuild of any block of the change
// completes it.
bool StagedChangePending(const std::string& name);

class StagedBlock {
 public:
  StagedBlock() = default;
  ~StagedBlock();  // abandons a stage not committed
  StagedBlock(const StagedBlock&) = delete;
  StagedBlock& operator=(const StagedBlock&) = delete;

  // Copies the closed block `name` to its stage and opens the stage; a missing block gives an
  // empty stage of this shape. False, with EngineOK / EngineStatus telling why, on failure (the
  // block itself is never touched).
  bool Begin(const std::string& name, int recordLength, std::span<const engine::KeyDescriptor> keys);
  engine::FileBlock* get() const { return stage_; }
  const std::string& name() const { return name_; }

  // Closes the stage and makes it the block. False when it failed before the commit marker was
  // durable (the block is as it was and the stage removed) or after it (the next open finishes
  // the switch); CommittedOnFailure tells which.
  bool Commit();
  bool CommittedOnFailure() const { return committed_; }

  // Closes and removes the stage; the block stays as it was.
  void Abandon();

  // The system's error of the last file operation that failed (0: none, or an engine status).
  int osError() const { return osError_; }

 private:
  friend class StagedGroup;
  // Closes the stages (the first one leads), writes the one marker naming them all, then
  // switches them; `committed` tells whether a failure came after the marker could be durable.
  static bool CommitAll(const std::vector<StagedBlock*>& members, bool& committed, int& osError);
  // Closes the stage, which makes it durable.
  bool CloseStage();

  std::string name_;
  // In a change of several blocks, the block that leads it (names its marker); null for the
  // leader and for a block staged alone.
  const StagedBlock* leader_ = nullptr;
  engine::FileBlock* stage_ = nullptr;
  bool begun_ = false;
  bool committed_ = false;
  int osError_ = 0;
};

// One change to several file blocks, committed as one: either every block takes its stage or
// none does, also when the process dies anywhere in the commit.
class StagedGroup {
 public:
  StagedGroup() = default;
  ~StagedGroup();  // abandons the stages unless committed
  StagedGroup(const StagedGroup&) = delete;
  StagedGroup& operator=(const StagedGroup&) = delete;

  // A new member for the caller to Begin, in order: the first member leads the change (names
  // its commit marker) and must have begun before the next is added. A member that fails to
  // begin leaves the group to be abandoned.
  StagedBlock& Add();
  const std::vector<std::unique_ptr<StagedBlock>>& Members() const { return members_; }

  // Closes every stage and makes them the blocks, with one commit marker for all. False when
  // it failed before the marker was durable (every block as it was, every stage removed) or
  // after it (the next open of any of the blocks finishes the switch of all of them);
  // CommittedOnFailure tells which.
  bool Commit();
  bool CommittedOnFailure() const { return committed_; }

  // Closes and removes every stage; the blocks stay as they were.
  void Abandon();

  int osError() const { return osError_; }

 private:
  std::vector<std::unique_ptr<StagedBlock>> members_;
  bool committed_ = false;
  int osError_ = 0;
};

}  // namespace tf::records
