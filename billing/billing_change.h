#pragma once
// The files a billing run changes, and how it changes them all or not at all.
//
// An interest run or a repeat billing run adds invoice records, their lines and memos, and
// carries their amounts into the customers and the company record: five file blocks. The run
// works on staged copies of all five (records/staged_block.h) and puts them in place with one
// commit, so a failure at any file call, or a kill, leaves either the books as they were or the
// whole run in them, never invoices without their balances or balances without their invoices.
//
// Previews (the wizards' lists, the tool's --dry-run) read the same blocks opened read-only,
// through the same code as the run, and change nothing.

#include <string>
#include <string_view>

#include "common/prompter.h"
#include "common/record_buffer.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"
#include "records/staged_block.h"

namespace tf::billing {

// The blocks of one company a run reads and writes. A block the company does not have yet is
// null in a preview (it holds nothing).
struct BillingBlocks {
  engine::FileBlock* invoices = nullptr;
  engine::FileBlock* lines = nullptr;
  engine::FileBlock* memos = nullptr;
  engine::FileBlock* customers = nullptr;
  engine::FileBlock* companies = nullptr;
};

// "(status 9903)": an engine failure as the messages carry it.
std::string StatusText();

// The blocks opened read-only for a preview.
class BillingReader {
 public:
  BillingReader() = default;
  ~BillingReader();
  BillingReader(const BillingReader&) = delete;
  BillingReader& operator=(const BillingReader&) = delete;

  // False, with `message`, when a block is there but cannot be opened.
  bool Open(std::string_view companyNumber, std::string& message);
  const BillingBlocks& Blocks() const { return blocks_; }
  void Close();

 private:
  BillingBlocks blocks_;
};

// Opens each block as the windows do (offering the rebuild of a damaged index, creating a
// missing one) and closes it again, so that a run can stage it. False when one cannot be opened.
bool PrepareBlocks(std::string_view companyNumber, common::Prompter& prompter, engine::RebuildStatus& status);

// The five blocks staged for one run.
class BillingChange {
 public:
  BillingChange() = default;
  ~BillingChange() = default;  // an uncommitted change is abandoned
  BillingChange(const BillingChange&) = delete;
  BillingChange& operator=(const BillingChange&) = delete;

  // Stages the company's invoice, line, memo and customer files and the company file. False,
  // with `message`, when one cannot be staged; nothing is changed then.
  bool Begin(std::string_view companyNumber, std::string& message);
  const BillingBlocks& Blocks() const { return blocks_; }

  // The company's record in the staged company file takes `after`. False when it cannot.
  bool WriteCompany(std::string_view companyNumber, const common::RecordBuffer& after, common::Prompter& prompter);

  // Puts every staged block in place at once. False, with `message`, when it failed: then
  // Committed() tells whether the change is nevertheless in (the next open of any of the files
  // completes it) or the books are as they were.
  bool Commit(std::string& message);
  bool Committed() const { return committed_; }
  void Abandon();

  // The end of a run that wrote its records: the company record `after` into the staged
  // company file, then the commit. False, with `message`, when the change did not go in (it is
  // abandoned); true with `late` set when the commit was cut short after it took effect (the
  // message says so).
  bool Finish(std::string_view companyNumber, const common::RecordBuffer& after, common::Prompter& prompter,
              std::string& message, bool& late);

 private:
  records::StagedGroup group_;
  BillingBlocks blocks_;
  bool committed_ = false;
};

}  // namespace tf::billing
