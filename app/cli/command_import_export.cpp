#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

#include "app/cli/cli.h"
#include "app/cli/import_kinds.h"
#include "common/record_fields.h"
#include "common/side_file.h"
#include "common/text.h"
#include "engine/core/engine.h"
#include "records/company_record.h"

namespace tf::cli {
namespace {

struct Arguments {
  const ImportKind* kind = nullptr;
  std::string file;
  std::optional<std::string> company;
};

bool Parse(CommandContext& c, const char* command, const std::vector<std::string>& args, Arguments& a) {
  std::vector<std::string> plain;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--company" && i + 1 < args.size()) a.company = args[++i];
    else if (args[i].rfind("--company=", 0) == 0) a.company = args[i].substr(10);
    else plain.push_back(args[i]);
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

bool EnterDataFolder(CommandContext& c) {
  std::error_code ec;
  if (!std::filesystem::is_directory(c.dataFolder, ec)) {
    c.err << "tallyfold-cli: the data folder " << c.dataFolder.string()
          << " does not exist (create it with: tallyfold-cli init)\n";
    return false;
  }
  std::filesystem::current_path(c.dataFolder, ec);
  if (ec) {
    c.err << "tallyfold-cli: cannot enter " << c.dataFolder.string() << ": " << ec.message() << "\n";
    return false;
  }
  return true;
}

// The company the program would open: the one named by "LastCo.Dat", unless --company says.
bool CompanyNumber(CommandContext& c, const Arguments& a, std::string& number) {
  if (a.company) {
    number = common::TrimBoth(*a.company);
    return !number.empty();
  }
  std::ifstream in(std::string(records::company::kStartupFile), std::ios::binary);
  std::vector<std::uint8_t> record(records::company::kCompanyRecordLength);
  if (!in.read(reinterpret_cast<char*>(record.data()), std::streamsize(record.size()))) {
    c.err << "tallyfold-cli: no current company (" << records::company::kStartupFile
          << " is missing or short); give --company N\n";
    return false;
  }
  number = common::TrimBoth(common::ReadText(record, records::company::kCompanyNumber));
  return true;
}

// The engine for one command, unless a caller (a test) runs it already.
class EngineScope {
 public:
  EngineScope() {
    engine::EngineReady();
    if (engine::EngineStatus == engine::status::kNotInitialised) {
      engine::InitEngine(0, engine::kProgramPageBuffers);
      mine_ = engine::EngineOK;
    }
  }
  ~EngineScope() {
    if (mine_) engine::ExitEngine();
  }
  EngineScope(const EngineScope&) = delete;
  EngineScope& operator=(const EngineScope&) = delete;

 private:
  bool mine_ = false;
};

}  // namespace

const std::vector<ImportKind>& ImportKinds() {
  static const std::vector<ImportKind> kinds = {
      {"customers", ImportCustomers, ExportCustomers},
      {"products", ImportProducts, ExportProducts},
  };
  return kinds;
}

int RunImport(CommandContext& c, const std::vector<std::string>& args) {
  Arguments a;
  if (!Parse(c, "import", args, a)) return kExitUsage;
  std::string csv;
  try {
    csv = common::ReadWholeFile(a.file);
  } catch (const std::system_error& e) {
    c.err << "tallyfold-cli: cannot read " << a.file << ": " << e.what() << "\n";
    return kExitUsage;
  }
  if (!EnterDataFolder(c)) return kExitUsage;
  std::string company;
  if (!CompanyNumber(c, a, company)) return kExitUsage;
  EngineScope engine;
  return a.kind->import(c, company, csv);
}

int RunExport(CommandContext& c, const std::vector<std::string>& args) {
  Arguments a;
  if (!Parse(c, "export", args, a) || !EnterDataFolder(c)) return kExitUsage;
  std::string company;
  if (!CompanyNumber(c, a, company)) return kExitUsage;
  std::string csv;
  int status;
  {
    EngineScope engine;
    status = a.kind->exportCsv(c, company, csv);
  }
  if (status != kExitOk) return status;
  try {
    common::ReplaceFile(a.file, csv);
  } catch (const std::system_error& e) {
    c.err << "tallyfold-cli: cannot write " << a.file << ": " << e.what() << "\n";
    return kExitUsage;
  }
  return kExitOk;
}

}  // namespace tf::cli
