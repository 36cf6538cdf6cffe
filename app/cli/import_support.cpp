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
  engine::OpenFileBlock(block.handle(), company::kCompanyFileBlock);
  if (EngineOK) records::KeepIfOfKind(block.handle(), company::CompanyFileKind());
  if (!EngineOK) {
    c.err << "tallyfold-cli: the company file cannot be opened (status " << EngineStatus << ")\n";
    return false;
  }
  std::int32_t ref = records::FindCompany(block.get(), number);
  if (ref != 0) engine::GetRecord(block.get(), ref, record.data());
  if (ref == 0 || !EngineOK) {
    c.err << "tallyfold-cli: there is no company " << number << "\n";
    return false;
  }
  return true;
}

bool ImportFile::Open(CommandContext& c, const std::string& name, const records::RecordFileKind& kind,
                      const char* what, bool create) {
  name_ = name;
  engine::OpenFileBlock(block_.handle(), name);
  if (!EngineOK && EngineStatus == engine::status::kFileNotFound && create) {
    engine::MakeFileBlock(name, kind.recordLength, int(kind.keys.size()), kind.keys);
    created_ = EngineOK;
    if (EngineOK) engine::OpenFileBlock(block_.handle(), name);
  }
  if (EngineOK && records::KeepIfOfKind(block_.handle(), kind)) return true;
  c.err << "tallyfold-cli: the " << what << " " << name << " cannot be opened (status " << EngineStatus << ")";
  if (EngineStatus == engine::status::kIndexDefective) c.err << "; its index is damaged: rebuild it first";
  if (EngineStatus == records::kNotThisKindOfFile) c.err << "; its records are not " << what << " records";
  c.err << "\n";
  Discard();
  return false;
}

void ImportFile::Discard() {
  block_.Close();
  if (created_) engine::DeleteFileBlock(name_);
  created_ = false;
}

int RefuseImport(CommandContext& c, const std::vector<common::CsvError>& errors, ImportFile& file) {
  file.Discard();
  for (const common::CsvError& e : errors) c.err << "line " << e.line << ": " << e.text << "\n";
  c.err << "tallyfold-cli: nothing was imported: " << errors.size() << " problem" << (errors.size() == 1 ? "" : "s")
        << "\n";
  return kExitProblems;
}

int ImportWriteOutcome(CommandContext& c, bool written, const char* plural, ImportFile& file) {
  if (!written) {
    c.err << "tallyfold-cli: adding to " << file.name() << " failed (status " << EngineStatus << "); the " << plural
          << " added before it were taken out again\n";
    file.Discard();
    return kExitProblems;
  }
  file.guard().Close();
  if (!EngineOK) {
    c.err << "tallyfold-cli: closing " << file.name() << " failed (status " << EngineStatus << ")\n";
    return kExitProblems;
  }
  return kExitOk;
}

}  // namespace tf::cli
