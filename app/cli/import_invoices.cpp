// `import invoices` and `export invoices`: the current company's invoice, line and memo file
// blocks, with the customer balances and the company record an invoice moves.

#include <ostream>

#include "app/cli/cli.h"
#include "app/cli/failure_words.h"
#include "app/cli/import_kinds.h"
#include "app/cli/import_support.h"
#include "app/cli/invoice_csv.h"
#include "common/clock.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/staged_block.h"

namespace tf::cli {
namespace {

namespace company = records::company;
namespace inv = records::invoice;
using engine::EngineOK;
using engine::EngineStatus;

// The blocks an invoice import changes, all staged in one change: the invoice file first (it
// names the change's commit marker), then lines, memos, customers and the company file.
struct InvoiceChange {
  records::StagedGroup group;
  InvoiceBlocks blocks;
  engine::FileBlock* companies = nullptr;
  std::string names;  // "1I, 1D, 1M, 1C and Company", for the messages

  bool Open(CommandContext& c, const std::string& number) {
    struct Member {
      std::string name;
      const records::RecordFileKind& kind;
      const char* what;
      engine::FileBlock** handle;
    };
    const Member members[] = {
        {inv::InvoiceFileName(number), inv::InvoiceFileKind(), "invoice file", &blocks.invoices},
        {inv::LineFileName(number), inv::LineFileKind(), "line file", &blocks.lines},
        {inv::MemoFileName(number), inv::MemoFileKind(), "memo file", &blocks.memos},
        {records::customer::CustomerFileName(number), records::customer::CustomerFileKind(), "customer file",
         &blocks.customers},
        {std::string(company::kCompanyFileBlock), company::CompanyFileKind(), "company file", &companies}};
    for (std::size_t k = 0; k < std::size(members); ++k) {
      const Member& m = members[k];
      records::StagedBlock& stage = group.Add();
      if (!StageForImport(c, stage, m.name, m.kind, m.what)) {
        group.Abandon();
        return false;
      }
      *m.handle = stage.get();
      names += (k == 0 ? "" : k + 1 == std::size(members) ? " and " : ", ") + m.name;
    }
    return true;
  }
};

// The company's record in the stage takes the balance and numbering the invoices moved.
bool WriteCompany(engine::FileBlock* companies, const std::string& number, const common::RecordBuffer& after) {
  const std::int32_t ref = records::FindCompany(companies, number);
  if (ref == 0) {
    if (EngineOK) {
      EngineOK = false;
      EngineStatus = engine::status::kSearchNotFound;
    }
    return false;
  }
  common::RecordBuffer before(company::kCompanyRecordLength);
  engine::GetRecord(companies, ref, std::span<std::uint8_t>(before));
  if (!EngineOK) return false;
  BatchPrompter prompter;
  return records::ModifyKeyedRecord(companies, company::CompanyFileKind(), ref, after, before, prompter);
}

}  // namespace

int ImportInvoices(CommandContext& c, const std::string& number, std::istream& csv, const ImportOptions& options) {
  common::RecordBuffer companyRecord(company::kCompanyRecordLength);
  if (!ReadCompany(c, number, companyRecord)) return kExitUsage;
  InvoiceChange change;
  if (!change.Open(c, number)) return kExitUsage;
  common::SystemClock clock;
  const InvoiceImport result = ImportInvoiceRows(change.blocks, csv, companyRecord, clock);
  if (!result.writeFailed && result.problems) {
    change.group.Abandon();
    return ReportRefusal(c, result.errors, result.problems);
  }
  if (!result.writeFailed && options.dryRun) {
    change.group.Abandon();
    c.out << "Checked " << result.invoices << " invoice" << (result.invoices == 1 ? "" : "s") << " with "
          << result.lines << " line" << (result.lines == 1 ? "" : "s") << ": the file imports into "
          << inv::InvoiceFileName(number) << " and takes the company balance to "
          << common::TrimBoth(common::ReadText(companyRecord, company::kCompanyBalance))
          << "; nothing was changed (--dry-run)\n";
    return kExitOk;
  }
  if (result.writeFailed || !WriteCompany(change.companies, number, companyRecord)) {
    c.err << "tallyfold-cli: adding to " << change.names << " failed: " << WhyItFailed()
          << "; no invoices were imported and the files are as they were\n";
    change.group.Abandon();
    return kExitProblems;
  }
  if (!change.group.Commit()) {
    if (change.group.CommittedOnFailure())
      c.err << "tallyfold-cli: the invoices are written, but putting them in place of " << change.names
            << " was cut short: " << WhyItFailed() << "; the next open of any of them completes it\n";
    else
      c.err << "tallyfold-cli: the invoices could not be made durable: " << WhyItFailed()
            << "; no invoices were imported and the files are as they were\n";
    return kExitProblems;
  }
  c.out << "Imported " << result.invoices << " invoice" << (result.invoices == 1 ? "" : "s") << " with " << result.lines
        << " line" << (result.lines == 1 ? "" : "s") << " into " << inv::InvoiceFileName(number) << "\n";
  return kExitOk;
}

int ExportInvoices(CommandContext& c, const std::string& number, std::ostream& csv) {
  common::RecordBuffer companyRecord(company::kCompanyRecordLength);
  if (!ReadCompany(c, number, companyRecord)) return kExitUsage;
  engine::FileBlockGuard invoices, lines, memos;
  if (int opened = OpenForExport(c, inv::InvoiceFileName(number), inv::InvoiceFileKind(), "invoice file", invoices))
    return opened;
  // A company with invoices but no line or memo file yet has none of them.
  for (auto [name, kind, what, guard] :
       {std::tuple{inv::LineFileName(number), &inv::LineFileKind(), "line file", &lines},
        std::tuple{inv::MemoFileName(number), &inv::MemoFileKind(), "memo file", &memos}}) {
    if (int opened = OpenForExport(c, name, *kind, what, *guard)) return opened;
  }
  std::string problem;
  if (!ExportInvoices({invoices.get(), lines.get(), memos.get(), nullptr}, companyRecord, csv, problem)) {
    c.err << "tallyfold-cli: " << problem << ", so nothing was exported\n";
    return kExitProblems;
  }
  return kExitOk;
}

}  // namespace tf::cli
