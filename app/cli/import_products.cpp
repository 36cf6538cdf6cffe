// `import products` and `export products`: the current company's product file block.

#include <ostream>

#include "app/cli/cli.h"
#include "app/cli/import_kinds.h"
#include "app/cli/import_support.h"
#include "common/clock.h"
#include "common/date_text.h"
#include "common/record_fields.h"
#include "engine/core/engine.h"
#include "products/product_import.h"
#include "records/product_record.h"
#include "records/company_record.h"
#include "records/product_file.h"

namespace tf::cli {

namespace company = records::company;
using engine::EngineOK;
using engine::EngineStatus;

int ImportProducts(CommandContext& c, const std::string& number, std::istream& csv, const ImportOptions& options) {
  common::RecordBuffer companyRecord(company::kCompanyRecordLength);
  if (!ReadCompany(c, number, companyRecord)) return kExitUsage;
  const std::string name = records::product::ProductFileName(number);
  ImportFile file;
  if (!file.Open(c, name, records::product::ProductFileKind(), "product file")) return kExitUsage;
  // Set up today, in the company's date format, as the Product Manager dates a new product.
  const common::DateFormat format = common::DateFormatFromCode(common::ReadText(companyRecord, company::kDateFormat));
  const std::string today = common::FormatDate(common::SystemClock().Today(), format);
  BatchPrompter prompter;
  const products::ProductImport result = products::ImportProductRows(file.get(), csv, today, format, prompter);
  if (result.writeFailed) return ImportWriteOutcome(c, false, "products", file);
  if (result.problems) return RefuseImport(c, result.errors, result.problems, file);
  if (options.dryRun) {
    file.Discard();
    c.out << "Checked " << result.added << " product" << (result.added == 1 ? "" : "s") << ": the file imports into "
          << name << "; nothing was changed (--dry-run)\n";
    return kExitOk;
  }
  if (int status = ImportWriteOutcome(c, true, "products", file)) return status;
  c.out << "Imported " << result.added << " product" << (result.added == 1 ? "" : "s") << " into " << name << "\n";
  return kExitOk;
}

int ExportProducts(CommandContext& c, const std::string& number, std::ostream& csv) {
  const std::string name = records::product::ProductFileName(number);
  engine::FileBlockGuard file;
  if (int opened = OpenForExport(c, name, records::product::ProductFileKind(), "product file", file)) return opened;
  if (!products::ExportProducts(file.get(), csv)) {
    ReportExportFailure(c, name, "product");
    return kExitProblems;
  }
  return kExitOk;
}

}  // namespace tf::cli
