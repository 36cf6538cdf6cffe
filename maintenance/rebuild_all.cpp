#include "maintenance/rebuild_all.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "common/text.h"
#include "engine/core/engine.h"
#include "engine/core/file_names.h"
#include "records/company_record.h"
#include "records/file_blocks.h"
#include "records/record_file.h"

namespace tf::maintenance {
namespace {

using engine::EngineOK;
using engine::EngineStatus;

// The company's blocks in the order they are rebuilt, with the caption each shows meanwhile.
struct CompanyBlock {
  char letter;
  const char* title;
};
constexpr CompanyBlock kCompanyBlocks[] = {
    {'C', "Customers"}, {'I', "Invoices"}, {'D', "Detail Records"}, {'M', "Memo Records"}, {'P', "Products"}};

bool Exists(const std::string& name, engine::FileKind kind) {
  std::error_code ec;
  return std::filesystem::exists(engine::EngineFileName(name, kind), ec);
}

BlockRebuild RebuildOne(const std::string& name, const std::string& title, const records::RecordFileKind& kind,
                        engine::RebuildStatus& status) {
  BlockRebuild block{name, title};
  // Nothing to rebuild from: the company has not used this block yet.
  if (!Exists(name, engine::FileKind::Data) && !Exists(name, engine::FileKind::Saved)) return block;
  records::RecordFileKind shown = kind;
  shown.title = title;
  if (!records::RebuildRecordFile(name, shown, status)) {
    block.outcome = BlockRebuild::Outcome::Failed;
    block.status = EngineStatus == 0 ? -1 : EngineStatus;
    return block;
  }
  block.outcome = BlockRebuild::Outcome::Rebuilt;
  engine::FileBlockGuard opened;
  engine::OpenFileBlock(opened.handle(), name, true);
  if (EngineOK) block.records = engine::UsedRecords(opened.get());
  return block;
}

}  // namespace

std::vector<const BlockRebuild*> RebuildAllResult::Failed() const {
  std::vector<const BlockRebuild*> failed;
  for (const BlockRebuild& b : blocks)
    if (b.outcome == BlockRebuild::Outcome::Failed) failed.push_back(&b);
  return failed;
}

std::string RebuildAllResult::Message() const {
  const std::vector<const BlockRebuild*> failed = Failed();
  if (failed.empty()) return std::string(kRebuildCompleteText);
  std::string text = failed.size() == 1 ? "This data file could not be rebuilt:" : "These data files could not be rebuilt:";
  for (const BlockRebuild* b : failed)
    text += "\n" + b->title + " (" + b->name + "): status " + std::to_string(b->status);
  text += "\nThe other data files have been rebuilt. The files of a block that failed are as they were (or kept in " +
          std::string("its .SAV file); run the rebuild again once the cause is fixed.");
  return text;
}

RebuildAllResult RebuildAllFiles(std::string_view companyNumber, const records::RecordKindRegistry& kinds,
                                 engine::RebuildStatus& status) {
  RebuildAllResult result;
  std::vector<std::string> done;
  auto rebuild = [&](const std::string& name, const char* title) {
    const records::RecordKind* kind = kinds.Find(name);
    if (!kind || !kind->file) return;
    result.blocks.push_back(RebuildOne(name, title ? title : kind->file->title, *kind->file, status));
    done.push_back(name);
  };
  rebuild(std::string(records::company::kCompanyFileBlock), "Companies");
  const std::string number = common::TrimBoth(companyNumber);
  if (number.empty()) return result;
  for (const CompanyBlock& block : kCompanyBlocks)
    rebuild(records::company::CompanyFileName(number, block.letter), block.title);
  // Any other block of this company that a record kind describes.
  for (const std::string& name : records::ListFileBlocks()) {
    if (name.size() <= number.size() || name.compare(0, number.size(), number) != 0) continue;
    if (std::isdigit(static_cast<unsigned char>(name[number.size()]))) continue;  // another company's
    if (std::find(done.begin(), done.end(), name) == done.end()) rebuild(name, nullptr);
  }
  return result;
}

}  // namespace tf::maintenance
