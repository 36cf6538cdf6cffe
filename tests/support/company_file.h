#pragma once
// The company file of a test's data folder, made fresh with one company in it.

#include <cstdint>
#include <span>

#include "common/scripted_prompter.h"
#include "engine/engine.h"
#include "shell/company_record.h"
#include "shell/record_file.h"

namespace tf::test {

// Makes the company file block in the current folder holding `company` alone. False when the
// engine refused; EngineStatus tells why.
inline bool MakeCompanyFile(std::span<const std::uint8_t> company) {
  const shell::RecordFileKind& kind = shell::company::CompanyFileKind();
  engine::MakeFileBlock(shell::company::kCompanyFileBlock, kind.recordLength, int(kind.keys.size()), kind.keys);
  if (!engine::EngineOK) return false;
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), shell::company::kCompanyFileBlock);
  if (!engine::EngineOK) return false;
  std::int32_t ref = 0;
  common::ScriptedPrompter quiet;
  if (!shell::AddKeyedRecord(block.get(), kind, company, ref, quiet)) return false;
  block.Close();
  return engine::EngineOK;
}

}  // namespace tf::test
