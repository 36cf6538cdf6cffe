#pragma once
// The company file of a test's data folder, made fresh with one company in it.

#include <cstdint>
#include <span>

#include "common/scripted_prompter.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/record_file.h"

namespace tf::test {

// Makes the company file block in the current folder holding `company` alone. False when the
// engine refused; EngineStatus tells why.
inline bool MakeCompanyFile(std::span<const std::uint8_t> company) {
  const records::RecordFileKind& kind = records::company::CompanyFileKind();
  engine::MakeFileBlock(records::company::kCompanyFileBlock, kind.recordLength, int(kind.keys.size()), kind.keys);
  if (!engine::EngineOK) return false;
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), records::company::kCompanyFileBlock);
  if (!engine::EngineOK) return false;
  std::int32_t ref = 0;
  common::ScriptedPrompter quiet;
  if (!records::AddKeyedRecord(block.get(), kind, company, ref, quiet)) return false;
  block.Close();
  return engine::EngineOK;
}

}  // namespace tf::test
