#pragma once
// A bulk change to a file block (an import of thousands of rows) made all or nothing, even under
// a crash or power loss: the rows go into a copy of the block, the stage "~NAME", which takes
// the block's place only once it is complete and durable.
//
// The switch is two renames (data file, then index file); a commit marker "NAME.CMT", written
// and made durable before the first rename and removed after the last, tells which side of the
// switch a crash left. RecoverStagedBlock, run before a block is opened or rebuilt, finishes a
// switch the marker announces and otherwise removes a stage that never committed, so the next
// open sees either the block as it was or the block with every row of the change.

#include <string>

#include "engine/core/engine.h"

namespace tf::records {

// The stage's block name and the commit marker's file name for `name`.
std::string StageName(const std::string& name);
std::string CommitMarkerName(const std::string& name);

// Finishes or discards what an interrupted staged change left of `name`. True when nothing was
// left or it was put right; false (EngineOK false, EngineStatus set) when a file operation
// failed, and the block should not be opened then.
bool RecoverStagedBlock(const std::string& name);

// True when a commit marker of `name` is present: its files may be half switched until the
// next open or rebuild completes the switch.
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
  std::string name_;
  engine::FileBlock* stage_ = nullptr;
  bool begun_ = false;
  bool committed_ = false;
  int osError_ = 0;
};

}  // namespace tf::records
