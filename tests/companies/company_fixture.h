#pragma once
// A data folder with companies in its company file, for the Company Manager's tests: company
// `number` named `name`, with the defaults of a new company.

#include <string>
#include <vector>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/record_file.h"

namespace tf::test {

inline common::RecordBuffer CompanyRecord(const std::string& number, const std::string& name) {
  namespace co = records::company;
  common::RecordBuffer blank(co::kCompanyRecordLength);
  common::RecordBuffer r = co::NewCompanyRecord(blank, 0, {});
  common::WriteText(r, co::kCompanyNumber, number);
  common::WriteText(r, co::kCompanyName, name);
  common::WriteText(r, co::kBackgroundPath, "");
  return r;
}

// Adds the companies to the company file block of the working directory (made when missing).
// False when the engine refused.
inline bool AddCompanies(const std::vector<common::RecordBuffer>& companies) {
  namespace co = records::company;
  const records::RecordFileKind& kind = co::CompanyFileKind();
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), co::kCompanyFileBlock);
  if (!engine::EngineOK) {
    engine::MakeFileBlock(co::kCompanyFileBlock, kind.recordLength, int(kind.keys.size()), kind.keys);
    engine::OpenFileBlock(block.handle(), co::kCompanyFileBlock);
  }
  if (!engine::EngineOK) return false;
  common::ScriptedPrompter quiet;
  for (const common::RecordBuffer& c : companies) {
    std::int32_t ref = 0;
    if (!records::AddKeyedRecord(block.get(), kind, c, ref, quiet)) return false;
  }
  return true;
}

}  // namespace tf::test
