#include "app/cli/check_books.h"

#include <ostream>
#include <string>
#include <vector>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "engine/core/engine.h"
#include "invoicing/books_check.h"
#include "records/company_record.h"

namespace tf::cli {

int CheckAllBooks(CommandContext& c) {
  namespace co = records::company;
  std::vector<common::RecordBuffer> companies;
  {
    engine::FileBlockGuard block;
    engine::OpenFileBlock(block.handle(), co::kCompanyFileBlock, true);
    if (!engine::EngineOK) return 0;  // no company file: no books (the block check says why)
    common::RecordBuffer record(co::kCompanyRecordLength);
    std::int32_t ref = 0;
    for (engine::NextRecord(block.get(), ref); engine::EngineOK; engine::NextRecord(block.get(), ref)) {
      engine::GetRecord(block.get(), ref, std::span<std::uint8_t>(record));
      if (!engine::EngineOK) break;
      companies.push_back(record);
    }
  }
  int problems = 0;
  for (const common::RecordBuffer& company : companies) {
    // With the record, the customers' aging amounts are compared too.
    const invoicing::BooksReport report = invoicing::CheckBooks(company);
    const std::string number = common::TrimBoth(common::ReadText(company, co::kCompanyNumber));
    for (const std::string& finding : report.findings) c.out << "books of company " << number << ": " << finding << "\n";
    problems += int(report.findings.size());
  }
  return problems;
}

}  // namespace tf::cli
