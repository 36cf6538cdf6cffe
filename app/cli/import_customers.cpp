// `import customers` and `export customers`: the current company's customer file block.

#include <ostream>

#include "app/cli/cli.h"
#include "app/cli/import_kinds.h"
#include "app/cli/import_support.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "records/customer_file.h"
#include "customers/customer_import.h"
#include "records/customer_record.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/company_store.h"

namespace tf::cli {
namespace {

namespace company = records::company;
using engine::EngineOK;
using engine::EngineStatus;

}  // namespace

int ImportCustomers(CommandContext& c, const std::string& number, const std::string& csv) {
  common::RecordBuffer companyRecord(company::kCompanyRecordLength);
  if (!ReadCompany(c, number, companyRecord)) return kExitUsage;
  ImportFile file;
  if (!file.Open(c, records::customer::CustomerFileName(number), records::customer::CustomerFileKind(), "customer file"))
    return kExitUsage;
  customers::CustomerImport plan = customers::PlanCustomerImport(
      file.get(), csv, common::ReadText(companyRecord, company::kNextCustomerNumber),
      common::ReadText(companyRecord, company::kDefaultTerms));
  if (!plan.errors.empty()) return RefuseImport(c, plan.errors, file);
  BatchPrompter prompter;
  const bool written = customers::WriteCustomerImport(file.get(), plan, prompter);
  if (!written) return ImportWriteOutcome(c, false, "customers", file);
  // The next proposal moves on past the numbers used, as adding in the editor does. It moves
  // before the rows take the file's place: a crash between the two leaves a gap in the
  // numbers, never a proposal of a number in use.
  records::CompanyBook book;
  std::copy(companyRecord.begin(), companyRecord.end(), book.Current().begin());
  SilentStatus status;
  if (!plan.records.empty() &&
      !book.UpdateCurrentCompany(
          [&](std::span<std::uint8_t> work) { common::WriteText(work, company::kNextCustomerNumber, plan.nextCustomerNumber); },
          prompter, status)) {
    file.Discard();
    c.err << "tallyfold-cli: the company's next customer number could not be set to " << plan.nextCustomerNumber
          << " (status " << engine::EngineStatus << "); nothing was imported\n";
    return kExitProblems;
  }
  if (int outcome = ImportWriteOutcome(c, true, "customers", file)) return outcome;
  c.out << "Imported " << plan.records.size() << " customer" << (plan.records.size() == 1 ? "" : "s")
        << " into " << records::customer::CustomerFileName(number) << "\n";
  return kExitOk;
}

int ExportCustomers(CommandContext& c, const std::string& number, std::string& csv) {
  engine::FileBlockGuard file;
  if (!OpenForExport(c, records::customer::CustomerFileName(number), records::customer::CustomerFileKind(),
                     "customer file", file))
    return kExitUsage;
  csv = customers::ExportCustomers(file.get());
  return kExitOk;
}

}  // namespace tf::cli
