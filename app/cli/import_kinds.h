#pragma once
// The record kinds `import` and `export` know ("customers", "products", "invoices"): each reads
// a CSV file into the current company's file blocks, refusing the whole file when any row is
// bad, and writes its records out as CSV. A kind joins by one entry in ImportKinds().

#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "app/cli/commands.h"

namespace tf::cli {

// How an import runs. A dry run reads and checks the whole file as an import does and says what
// it would add, then drops it all: no file changes.
struct ImportOptions {
  bool dryRun = false;
};

struct ImportKind {
  const char* name;  // the word after import / export
  // Reads `csv` into the company's files, a row at a time. Reports on the context's streams and
  // returns an exit status: kExitOk, kExitProblems (bad rows: reported, nothing written) or
  // kExitUsage.
  std::function<int(CommandContext& context, const std::string& companyNumber, std::istream& csv,
                    const ImportOptions& options)>
      import;
  // The company's records as CSV text; an exit status as above.
  std::function<int(CommandContext& context, const std::string& companyNumber, std::ostream& csv)> exportCsv;
};

const std::vector<ImportKind>& ImportKinds();

// The kinds' halves: customers,
int ImportCustomers(CommandContext& context, const std::string& companyNumber, std::istream& csv,
                    const ImportOptions& options);
int ExportCustomers(CommandContext& context, const std::string& companyNumber, std::ostream& csv);
// products,
int ImportProducts(CommandContext& context, const std::string& companyNumber, std::istream& csv,
                   const ImportOptions& options);
int ExportProducts(CommandContext& context, const std::string& companyNumber, std::ostream& csv);
// invoices.
int ImportInvoices(CommandContext& context, const std::string& companyNumber, std::istream& csv,
                   const ImportOptions& options);
int ExportInvoices(CommandContext& context, const std::string& companyNumber, std::ostream& csv);

int RunImport(CommandContext& context, const std::vector<std::string>& args);
int RunExport(CommandContext& context, const std::vector<std::string>& args);

inline constexpr const char* kImportUsage = "KIND FILE.csv [--company N] [--dry-run]";
inline constexpr const char* kImportSummary =
    "add the records of a CSV file (header row of field names) to the company; a file with any "
    "bad row is refused whole; --dry-run checks it and changes nothing";
inline constexpr const char* kExportUsage = "KIND FILE.csv [--company N]";
inline constexpr const char* kExportSummary =
    "write the company's records (customers, products, invoices) to a CSV file";

}  // namespace tf::cli
