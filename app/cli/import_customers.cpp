// `import customers` and `export customers`: the current company's customer file block.

#include <ostream>

#include "app/cli/failure_words.h"
#include "app/cli/cli.h"
#include "app/cli/import_kinds.h"
#include "app/cli/import_support.h"
#include "common/record_buffer.h"
#include "common/date_text.h"
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

int ImportCustomers(CommandContext& c, const std::string& number, std::istream& csv, const ImportOptions& options) {
  common::RecordBuffer companyRecord(company::kCompanyRecordLength);
  if (!ReadCompany(c, number, companyRecord)) return kExitUsage;
  ImportFile file;
  if (!file.Open(c, records::customer::CustomerFileName(number), records::customer::CustomerFileKind(), "customer file"))
    return kExitUsage;
  customers::CustomerImportSettings settings;
  settings.nextCustomerNumber = common::ReadText(companyRecord, company::kNextCustomerNumber);
  settings.defaultTerms = common::ReadText(companyRecord, company::kDefaultTerms);
  settings.dateFormat = common::DateFormatFromCode(common::ReadText(companyRecord, company::kDateFormat));
  BatchPrompter prompter;
  const customers::CustomerImport result = customers::ImportCustomerRows(file.get(), csv, settings, prompter);
  if (result.writeFailed) return ImportWriteOutcome(c, false, "customers", file);
  if (result.problems) return RefuseImport(c, result.errors, result.problems, file);
  if (options.dryRun) {
    file.Discard();
    c.out << "Checked " << result.added << " customer" << (result.added == 1 ? "" : "s")
          << ": the file imports into " << records::customer::CustomerFileName(number)
          << "; nothing was changed (--dry-run)\n";
    return kExitOk;
  }
  // The next proposal moves on past the numbers used, as adding in the editor does. It moves
  // before the rows take the file's place: a crash between the two leaves a gap in the
  // numbers, never a proposal of a number in use.
  records::CompanyBook book;
  std::copy(companyRecord.begin(), companyRecord.end(), book.Current().begin());
  SilentStatus status;
  if (result.added &&
      !book.UpdateCurrentCompany(
          [&](std::span<std::uint8_t> work) { common::WriteText(work, company::kNextCustomerNumber, result.nextCustomerNumber); },
          prompter, status)) {
    file.Discard();
    c.err << "tallyfold-cli: the company's next customer number could not be set to " << result.nextCustomerNumber
          << ": " << WhyItFailed() << "; nothing was imported\n";
    return kExitProblems;
  }
  if (int outcome = ImportWriteOutcome(c, true, "customers", file)) return outcome;
  c.out << "Imported " << result.added << " customer" << (result.added == 1 ? "" : "s")
        << " into " << records::customer::CustomerFileName(number) << "\n";
  return kExitOk;
}

int ExportCustomers(CommandContext& c, const std::string& number, std::ostream& csv) {
  const std::string name = records::customer::CustomerFileName(number);
  engine::FileBlockGuard file;
  if (int opened = OpenForExport(c, name, records::customer::CustomerFileKind(), "customer file", file)) return opened;
  if (!customers::ExportCustomers(file.get(), csv)) {
    ReportExportFailure(c, name, "customer");
    return kExitProblems;
  }
  return kExitOk;
}

}  // namespace tf::cli
