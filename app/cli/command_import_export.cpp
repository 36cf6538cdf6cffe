#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "app/cli/cli.h"
#include "app/cli/company_choice.h"
#include "app/cli/import_kinds.h"
#include "app/cli/import_support.h"
#include "common/record_fields.h"
#include "common/side_file.h"
#include "common/text.h"
#include "engine/core/engine.h"
#include "records/company_record.h"

namespace tf::cli {
namespace {

struct Arguments {
  ImportOptions options;
  const ImportKind* kind = nullptr;
  std::string file;
  std::optional<std::string> company;
};

bool Parse(CommandContext& c, const char* command, const std::vector<std::string>& args, Arguments& a) {
  std::vector<std::string> plain;
  if (!TakeCompanyOption(c, args, a.company, plain)) return false;
  if (std::string_view(command) == "import") {
    const auto dry = std::remove(plain.begin(), plain.end(), "--dry-run");
    a.options.dryRun = dry != plain.end();
    plain.erase(dry, plain.end());
  }
  std::string kinds;
  for (const ImportKind& k : ImportKinds()) kinds += std::string(kinds.empty() ? "" : ", ") + k.name;
  if (plain.size() != 2) {
    c.err << "tallyfold-cli: " << command << " takes a kind (" << kinds << ") and a CSV file\n";
    return false;
  }
  for (const ImportKind& k : ImportKinds())
    if (plain[0] == k.name) a.kind = &k;
  if (!a.kind) {
    c.err << "tallyfold-cli: " << command << " knows no kind '" << plain[0] << "' (" << kinds << ")\n";
    return false;
  }
  // A relative file name is the user's, from where the tool was started: the command runs
  // before the data folder becomes the working directory.
  a.file = std::filesystem::absolute(plain[1]).string();
  return true;
}

}  // namespace

const std::vector<ImportKind>& ImportKinds() {
  static const std::vector<ImportKind> kinds = {
      {"customers", ImportCustomers, ExportCustomers},
      {"products", ImportProducts, ExportProducts},
      {"invoices", ImportInvoices, ExportInvoices},
  };
  return kinds;
}

int RunImport(CommandContext& c, const std::vector<std::string>& args) {
  Arguments a;
  if (!Parse(c, "import", args, a)) return kExitUsage;
  // The file is read a row at a time while the rows are checked and added, so its size does
  // not matter; it is opened before the data folder becomes the working directory.
  std::error_code ec;
  if (std::filesystem::is_directory(a.file, ec)) {
    c.err << "tallyfold-cli: cannot read " << a.file << ": it is a folder, not a CSV file\n";
    return kExitUsage;
  }
  std::ifstream csv(a.file, std::ios::binary);
  if (!csv) {
    c.err << "tallyfold-cli: cannot read " << a.file << ": " << std::generic_category().message(errno) << "\n";
    return kExitUsage;
  }
  if (!EnterDataFolder(c)) return kExitUsage;
  std::string company;
  if (!ChosenCompanyNumber(c, a.company, company)) return kExitUsage;
  EngineScope engine;
  return a.kind->import(c, company, csv, a.options);
}

int RunExport(CommandContext& c, const std::vector<std::string>& args) {
  Arguments a;
  if (!Parse(c, "export", args, a) || !EnterDataFolder(c)) return kExitUsage;
  std::string company;
  if (!ChosenCompanyNumber(c, a.company, company)) return kExitUsage;
  // The rows go straight into a new file beside the old one, which replaces it only when the
  // whole export was written: memory does not grow with the books, and a failed export leaves
  // the old file as it was.
  std::optional<common::FileReplacement> file;
  try {
    file.emplace(a.file);
  } catch (const std::system_error& e) {
    c.err << "tallyfold-cli: cannot write " << a.file << ": " << e.what() << "\n";
    return kExitUsage;
  }
  int status;
  {
    EngineScope engine;
    status = a.kind->exportCsv(c, company, file->stream());
  }
  if (status != kExitOk) return status;
  try {
    file->Commit();
  } catch (const std::system_error& e) {
    c.err << "tallyfold-cli: cannot write " << a.file << ": " << e.what() << "\n";
    return kExitUsage;
  }
  return kExitOk;
}

}  // namespace tf::cli
