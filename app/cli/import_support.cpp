#include "app/cli/import_support.h"

#include <ostream>

#include "app/cli/cli.h"
#include "common/record_fields.h"
#include "engine/engine.h"
#include "shell/company_record.h"
#include "shell/company_store.h"

namespace tf::cli {

namespace company = shell::company;
using engine::EngineOK;
using engine::EngineStatus;

bool ReadCompany(CommandContext& c, const std::string& number, common::RecordBuffer& record) {
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), company::kCompanyFileBlock);
  if (!EngineOK) {
    c.err << "tallyfold-cli: the company file cannot be opened (status " << EngineStatus << ")\n";
    return false;
  }
  std::int32_t ref = shell::FindCompany(block.get(), number);
  if (ref != 0) engine::GetRecord(block.get(), ref, record.data());
  if (ref == 0 || !EngineOK) {
    c.err << "tallyfold-cli: there is no company " << number << "\n";
    return false;
  }
  return true;
}

bool OpenImportFile(CommandContext& c, const std::string& name, const shell::RecordFileKind& kind,
                    const char* what, bool create, engine::FileBlockGuard& block) {
  engine::OpenFileBlock(block.handle(), name);
  if (!EngineOK && EngineStatus == engine::status::kFileNotFound && create) {
    engine::MakeFileBlock(name, kind.recordLength, int(kind.keys.size()), kind.keys);
    if (EngineOK) engine::OpenFileBlock(block.handle(), name);
  }
  if (EngineOK) return true;
  c.err << "tallyfold-cli: the " << what << " " << name << " cannot be opened (status " << EngineStatus << ")";
  if (EngineStatus == engine::status::kIndexDefective) c.err << "; its index is damaged: rebuild it first";
  c.err << "\n";
  return false;
}

int RefuseImport(CommandContext& c, const std::vector<common::CsvError>& errors) {
  for (const common::CsvError& e : errors) c.err << "line " << e.line << ": " << e.text << "\n";
  c.err << "tallyfold-cli: nothing was imported: " << errors.size() << " problem" << (errors.size() == 1 ? "" : "s")
        << "\n";
  return kExitProblems;
}

int ImportWriteOutcome(CommandContext& c, bool written, const char* plural, engine::FileBlockGuard& block,
                       const std::string& name) {
  if (!written) {
    c.err << "tallyfold-cli: adding to " << name << " failed (status " << EngineStatus << "); the " << plural
          << " added before it were taken out again\n";
    return kExitProblems;
  }
  block.Close();
  if (!EngineOK) {
    c.err << "tallyfold-cli: closing " << name << " failed (status " << EngineStatus << ")\n";
    return kExitProblems;
  }
  return kExitOk;
}

}  // namespace tf::cli
