#pragma once
// What the import kinds share: nobody answers questions at a terminal, nobody watches a status
// window, and the company's record says how its files are named and dated.

#include <string>
#include <vector>

#include "app/cli/commands.h"
#include "common/csv.h"
#include "common/prompter.h"
#include "common/record_buffer.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"
#include "records/record_file.h"
#include "records/staged_block.h"

namespace tf::cli {

// A lock held by another program gives up at once (Yes to "Abort?"); anything else takes its
// first button.
class BatchPrompter : public common::Prompter {
 public:
  common::PromptAnswer Show(const common::PromptMessage& m) override {
    switch (m.buttons) {
      case common::PromptButtons::YesNo:
      case common::PromptButtons::YesNoCancel:
        return common::PromptAnswer::Yes;
      default:
        return common::PromptAnswer::OK;
    }
  }
};

// The engine for one command, unless a caller (a test) runs it already.
class EngineScope {
 public:
  EngineScope() {
    engine::EngineReady();
    if (engine::EngineStatus == engine::status::kNotInitialised) {
      engine::InitEngine(0, engine::kProgramPageBuffers);
      mine_ = engine::EngineOK;
    }
  }
  ~EngineScope() {
    if (mine_) engine::ExitEngine();
  }
  EngineScope(const EngineScope&) = delete;
  EngineScope& operator=(const EngineScope&) = delete;

 private:
  bool mine_ = false;
};

class SilentStatus : public engine::RebuildStatus {
 public:
  void Show(std::string_view) override {}
  void Lines(std::string_view, std::string_view, std::string_view) override {}
  void Close() override {}
};

// The company's record from the company file block; false, reported on the error stream, when
// it cannot be read or there is no such company.
bool ReadCompany(CommandContext& c, const std::string& number, common::RecordBuffer& record);

// Reports why `name` (`what` names it: "customer file") cannot be opened, with the status.
void ReportOpenFailure(CommandContext& c, const std::string& name, const char* what);

// Stages the company file block `name` for an import into `stage` (created empty in the stage
// when missing); a block of another kind is refused as opening it would be, and a damaged one
// is left for `rebuild`. False, reported, when it cannot be staged.
bool StageForImport(CommandContext& c, records::StagedBlock& stage, const std::string& name,
                    const records::RecordFileKind& kind, const char* what);

// The company file block an import adds to, staged: the rows go into a copy that replaces the
// block only when every row is in and durable, so a refused, failed or killed import leaves the
// block exactly as it was (a missing one stays missing).
class ImportFile {
 public:
  // Stages `name` (created empty in the stage when missing). A damaged block is left for
  // `rebuild`. False, reported, when it cannot be staged.
  bool Open(CommandContext& c, const std::string& name, const records::RecordFileKind& kind, const char* what);
  engine::FileBlock* get() const { return stage_.get(); }
  const std::string& name() const { return name_; }
  // Drops the stage; the block stays as it was.
  void Discard() { stage_.Abandon(); }
  records::StagedBlock& stage() { return stage_; }

 private:
  records::StagedBlock stage_;
  std::string name_;
};

// Opens the company file block an export reads: kExitOk, or reported, kExitUsage when it does
// not exist and kExitProblems when it is there but cannot be read (damaged, in use): nothing is
// exported then.
int OpenForExport(CommandContext& c, const std::string& name, const records::RecordFileKind& kind, const char* what,
                  engine::FileBlockGuard& block);

// Reports that `name` could not be read to its end, so nothing was exported; `what` names its
// records ("customer").
void ReportExportFailure(CommandContext& c, const std::string& name, const char* what);

// Reports the bad rows listed ("line N: ...", `total` problems in all) and that nothing was
// imported; returns kExitProblems.
int ReportRefusal(CommandContext& c, const std::vector<common::CsvError>& errors, std::size_t total);
// The same, after discarding `file`.
int RefuseImport(CommandContext& c, const std::vector<common::CsvError>& errors, std::size_t total, ImportFile& file);

// After the file was checked: a failed add, or the stage taking the block's place; kExitOk when
// both went well.
int ImportWriteOutcome(CommandContext& c, bool written, const char* plural, ImportFile& file);

}  // namespace tf::cli
