#pragma once
// Data folders for the invoice import tests, made through the tool as a user makes them: a
// company with a tax rate and month-first dates, and three customers (one tax exempt, one with
// a credit limit). Also what a test reads back: every record of a block, and the staged
// change's files left in a folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/side_file.h"
#include "engine/core/engine.h"
#include "records/staged_block.h"
#include "tests/app/cli_run.h"

namespace tf::test {

inline constexpr const char* kInvoiceCustomers =
    "CustomerNumber,CustomerName,ShortName,TaxExempt,CreditLimit\n"
    "C1,Ann Smith,ANN,N,0.00\n"
    "C2,Bob Jones,BOB,N,1000.00\n"
    "C3,Cleo Exempt,CLEO,Y,0.00\n";

// A new data folder `folder` (below `scratch`, which holds the customers' CSV file) with the
// company and its customers.
inline void MakeInvoiceFolder(const std::filesystem::path& folder, const std::filesystem::path& scratch) {
  using cli::testing::RunTool;
  ASSERT_EQ(RunTool({"init", folder.string()}).status, 0);
  const auto set = RunTool({"--data", folder.string(), "company", "set", "CompanyName=Acme", "TaxRate=8.25",
                            "DateFormat=M", "CalculateTaxes=Y", "DefaultTerms=Net 30"});
  ASSERT_EQ(set.status, 0) << set.err;
  const std::string customers = (scratch / "customers.csv").string();
  common::ReplaceFile(customers, kInvoiceCustomers);
  const auto imported = RunTool({"--data", folder.string(), "import", "customers", customers});
  ASSERT_EQ(imported.status, 0) << imported.err;
}

// Every live record of block `name` in `folder`, sorted (records are compared whatever their
// places); empty when the block does not exist. The engine must not be running.
inline std::vector<std::string> BlockRecords(const std::filesystem::path& folder, const std::string& name) {
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  engine::InitEngine(0, engine::kMinPageBuffers);
  std::vector<std::string> records;
  {
    engine::FileBlockGuard block;
    if (records::RecoverStagedBlock(name)) engine::OpenFileBlock(block.handle(), name, true);
    if (engine::EngineOK) {
      std::string record(std::size_t(engine::RecordLength(block.get())), '\0');
      std::int32_t ref = 0;
      for (engine::NextRecord(block.get(), ref); engine::EngineOK; engine::NextRecord(block.get(), ref)) {
        engine::GetRecord(block.get(), ref,
                          std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(record.data()), record.size()));
        if (engine::EngineOK) records.push_back(record);
      }
    }
  }
  engine::ExitEngine();
  std::filesystem::current_path(previous);
  std::sort(records.begin(), records.end());
  return records;
}

// The files of a staged change still in `folder`.
inline std::string StageLeftovers(const std::filesystem::path& folder) {
  std::string left;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string file = entry.path().filename().string();
    if (file.starts_with("~") || file.ends_with(".CMT") || file.ends_with(".GRP")) left += file + " ";
  }
  return left;
}

// Every file of `folder` with its bytes, to show that a refused command changed nothing.
using FolderImage = std::vector<std::pair<std::string, std::string>>;
inline FolderImage FolderBytes(const std::filesystem::path& folder) {
  FolderImage files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    files.emplace_back(entry.path().filename().string(), common::ReadWholeFile(entry.path()));
  std::sort(files.begin(), files.end());
  return files;
}

// The names of the files that differ between two images (added, removed or changed).
inline std::string ChangedFiles(const FolderImage& before, const FolderImage& after) {
  std::string changed;
  for (const auto& [name, bytes] : before) {
    const auto it = std::find_if(after.begin(), after.end(), [&](const auto& f) { return f.first == name; });
    if (it == after.end() || it->second != bytes) changed += name + " ";
  }
  for (const auto& [name, bytes] : after)
    if (std::none_of(before.begin(), before.end(), [&](const auto& f) { return f.first == name; }))
      changed += name + " ";
  return changed;
}

}  // namespace tf::test
