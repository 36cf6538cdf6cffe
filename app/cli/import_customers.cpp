// `import customers` and `export customers`: the current company's customer file block.

#include <ostream>

#include "app/cli/cli.h"
#include "app/cli/import_kinds.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "customers/customer_file.h"
#include "customers/customer_import.h"
#include "customers/customer_record.h"
#include "engine/engine.h"
#include "shell/company_record.h"
#include "shell/company_store.h"

namespace tf::cli {
namespace {

namespace company = shell::company;
using engine::EngineOK;
using engine::EngineStatus;

// Nobody answers at a terminal: a lock held by another program gives up at once (Yes to
// "Abort?"), anything else takes its first button.
class BatchPrompter : public common::Prompter {
 public:
  common::PromptAnswer Show(const common::PromptMessage& m) override {
    switch (m.buttons) {
      case common::PromptButtons::YesNo:
      case common::PromptButtons::YesNoCancel:
        return common::PromptAnswer::Yes;
      default:
        return common::PromptAnswer::OK;
    }
  }
};

class SilentStatus : public engine::RebuildStatus {
 public:
  void Show(std::string_view) override {}
  void Lines(std::string_view, std::string_view, std::string_view) override {}
  void Close() override {}
};

// The company's record from the company file block.
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

// Opens the customer file block, creating it empty when it is missing; a damaged one is left
// for `rebuild`.
bool OpenCustomers(CommandContext& c, const std::string& number, engine::FileBlockGuard& block, bool create) {
  const std::string name = customers::CustomerFileName(number);
  engine::OpenFileBlock(block.handle(), name);
  if (!EngineOK && EngineStatus == engine::status::kFileNotFound && create) {
    const auto keys = customers::CustomerKeyDescriptors();
    engine::MakeFileBlock(name, customers::kCustomerRecordLength, int(keys.size()), keys);
    if (EngineOK) engine::OpenFileBlock(block.handle(), name);
  }
  if (EngineOK) return true;
  c.err << "tallyfold-cli: the customer file " << name << " cannot be opened (status " << EngineStatus << ")";
  if (EngineStatus == engine::status::kIndexDefective) c.err << "; its index is damaged: rebuild it first";
  c.err << "\n";
  return false;
}

}  // namespace

int ImportCustomers(CommandContext& c, const std::string& number, const std::string& csv) {
  common::RecordBuffer companyRecord(company::kCompanyRecordLength);
  if (!ReadCompany(c, number, companyRecord)) return kExitUsage;
  engine::FileBlockGuard block;
  if (!OpenCustomers(c, number, block, true)) return kExitUsage;
  customers::CustomerImport plan = customers::PlanCustomerImport(
      block.get(), csv, common::ReadText(companyRecord, company::kNextCustomerNumber),
      common::ReadText(companyRecord, company::kDefaultTerms));
  if (!plan.errors.empty()) {
    for (const common::CsvError& e : plan.errors) c.err << "line " << e.line << ": " << e.text << "\n";
    c.err << "tallyfold-cli: nothing was imported: " << plan.errors.size() << " problem"
          << (plan.errors.size() == 1 ? "" : "s") << "\n";
    return kExitProblems;
  }
  BatchPrompter prompter;
  if (!customers::WriteCustomerImport(block.get(), plan, prompter)) {
    c.err << "tallyfold-cli: adding a customer failed (status " << EngineStatus
          << "); the customers added before it were taken out again\n";
    return kExitProblems;
  }
  block.Close();
  if (!EngineOK) {
    c.err << "tallyfold-cli: closing " << customers::CustomerFileName(number) << " failed (status "
          << EngineStatus << ")\n";
    return kExitProblems;
  }
  // The next proposal moves on past the numbers used, as adding in the editor does.
  shell::CompanyBook book;
  std::copy(companyRecord.begin(), companyRecord.end(), book.Current().begin());
  SilentStatus status;
  if (!plan.records.empty() &&
      !book.UpdateCurrentCompany(
          [&](std::span<std::uint8_t> work) { common::WriteText(work, company::kNextCustomerNumber, plan.nextCustomerNumber); },
          prompter, status)) {
    c.err << "tallyfold-cli: the customers were added, but the company's next customer number could not be "
             "set to "
          << plan.nextCustomerNumber << "\n";
    return kExitProblems;
  }
  c.out << "Imported " << plan.records.size() << " customer" << (plan.records.size() == 1 ? "" : "s")
        << " into " << customers::CustomerFileName(number) << "\n";
  return kExitOk;
}

int ExportCustomers(CommandContext& c, const std::string& number, std::string& csv) {
  engine::FileBlockGuard block;
  if (!OpenCustomers(c, number, block, false)) return kExitUsage;
  csv = customers::ExportCustomers(block.get());
  return kExitOk;
}

}  // namespace tf::cli
