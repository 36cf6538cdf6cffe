#include "app/cli/failure_words.h"
#include "app/cli/import_support.h"

#include <ostream>

#include "app/cli/cli.h"
#include "common/record_fields.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/company_store.h"

namespace tf::cli {

namespace company = records::company;
using engine::EngineOK;
using engine::EngineStatus;

bool ReadCompany(CommandContext& c, const std::string& number, common::RecordBuffer& record) {
  engine::FileBlockGuard block;
  // An import of several blocks cut short may have the company file in its change.
  if (records::RecoverStagedBlock(std::string(company::kCompanyFileBlock)))
    engine::OpenFileBlock(block.handle(), company::kCompanyFileBlock);
  if (EngineOK) records::KeepIfOfKind(block.handle(), company::CompanyFileKind());
  if (!EngineOK) {
    c.err << "tallyfold-cli: the company file cannot be opened: " << WhyItFailed() << "\n";
    return false;
  }
  std::int32_t ref = records::FindCompany(block.get(), number);
  if (ref != 0) engine::GetRecord(block.get(), ref, std::span<std::uint8_t>(record));
  if (ref == 0 || !EngineOK) {
    c.err << "tallyfold-cli: there is no company " << number << "\n";
    return false;
  }
  return true;
}

void ReportOpenFailure(CommandContext& c, const std::string& name, const char* what) {
  c.err << "tallyfold-cli: the " << what << " " << name << " cannot be opened: ";
  if (EngineStatus == records::kNotThisKindOfFile)
    c.err << "its records are not " << what << " records (status " << EngineStatus << ")";
  else
    c.err << WhyItFailed();
  if (EngineStatus == engine::status::kIndexDefective) c.err << "; rebuild it first";
  c.err << "\n";
}

bool StageForImport(CommandContext& c, records::StagedBlock& stage, const std::string& name,
                    const records::RecordFileKind& kind, const char* what) {
  if (stage.Begin(name, kind.recordLength, kind.keys)) {
    engine::FileBlock* handle = stage.get();
    // The stage is the block's copy: a block of another kind is refused as the block would be.
    if (engine::RecordLength(handle) == kind.recordLength && engine::KeyCount(handle) == int(kind.keys.size()))
      return true;
    EngineOK = false;
    EngineStatus = records::kNotThisKindOfFile;
  }
  const int status = EngineStatus;
  stage.Abandon();
  EngineStatus = status;
  ReportOpenFailure(c, name, what);
  return false;
}

bool ImportFile::Open(CommandContext& c, const std::string& name, const records::RecordFileKind& kind,
                      const char* what) {
  name_ = name;
  return StageForImport(c, stage_, name, kind, what);
}

int OpenForExport(CommandContext& c, const std::string& name, const records::RecordFileKind& kind, const char* what,
                  engine::FileBlockGuard& block) {
  if (records::RecoverStagedBlock(name)) {
    engine::OpenFileBlock(block.handle(), name);
    if (EngineOK && records::KeepIfOfKind(block.handle(), kind)) return kExitOk;
  }
  const bool missing = EngineStatus == engine::status::kFileNotFound;
  ReportOpenFailure(c, name, what);
  if (missing) return kExitUsage;
  c.err << "tallyfold-cli: nothing was exported\n";
  return kExitProblems;
}

void ReportExportFailure(CommandContext& c, const std::string& name, const char* what) {
  if (EngineStatus == 0)
    c.err << "tallyfold-cli: the index of " << name << " does not match the " << what
          << " records the file holds, so nothing was exported; rebuild " << name << " and export again\n";
  else
    c.err << "tallyfold-cli: " << name << " could not be read to the end of its index: " << WhyItFailed()
          << ", so nothing was exported; check the folder and rebuild " << name << " if it is damaged\n";
}

int RefuseImport(CommandContext& c, const std::vector<common::CsvError>& errors, std::size_t total, ImportFile& file) {
  file.Discard();
  return ReportRefusal(c, errors, total);
}

int ReportRefusal(CommandContext& c, const std::vector<common::CsvError>& errors, std::size_t total) {
  for (const common::CsvError& e : errors) c.err << "line " << e.line << ": " << e.text << "\n";
  c.err << "tallyfold-cli: nothing was imported: " << total << " problem" << (total == 1 ? "" : "s");
  if (total > errors.size()) c.err << " (the first " << errors.size() << " are listed)";
  c.err << "\n";
  return kExitProblems;
}

int ImportWriteOutcome(CommandContext& c, bool written, const char* plural, ImportFile& file) {
  if (!written) {
    c.err << "tallyfold-cli: adding to " << file.name() << " failed: " << WhyItFailed() << "; no " << plural
          << " were imported and " << file.name() << " is as it was\n";
    file.Discard();
    return kExitProblems;
  }
  if (!file.stage().Commit()) {
    if (file.stage().CommittedOnFailure())
      c.err << "tallyfold-cli: the " << plural << " are written, but putting them in place of " << file.name()
            << " was cut short: " << WhyItFailed() << "; the next open of " << file.name()
            << " completes it\n";
    else
      c.err << "tallyfold-cli: the " << plural << " could not be made durable: " << WhyItFailed() << "; no "
            << plural << " were imported and " << file.name() << " is as it was\n";
    return kExitProblems;
  }
  return kExitOk;
}

}  // namespace tf::cli
