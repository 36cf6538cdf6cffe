#pragma once
// A data folder with one company's books for the aging and payment tests: company 1 (aging at
// 30/60/90 days, month-first dates, last aged on the fixed "today"), customers and invoice
// records written straight into their files, and the check of everything the books promise
// (every block sound, balances and aging amounts agreeing with the invoice records).

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/date_text.h"
#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/text.h"
#include "invoicing/books_check.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/record_file.h"
#include "tests/aging/planned_invoice.h"
#include "tests/invoicing/invoice_records.h"
#include "tests/support/company_file.h"
#include "tests/support/data_folder_test.h"
#include "tests/support/engine_work_folder.h"

namespace tf::test {

// Every file of the working folder by name, with its bytes: what a command that changes nothing
// must leave exactly as it was.
inline std::map<std::string, std::string> FolderBytes() {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    files[entry.path().filename().string()] = bytes.str();
  }
  return files;
}

class BooksFolderTest : public DataFolderTest {
 protected:
  // 2024/05/15, a Wednesday.
  static constexpr std::chrono::year_month_day kToday{std::chrono::year{2024}, std::chrono::May, std::chrono::day{15}};

  void SetUp() override {
    DataFolderTest::SetUp();
    common::RecordBuffer company = invoicing::testing::InvoicingCompany("0");
    common::WriteText(company, records::company::kAgingCaption1, "Current:");
    common::WriteText(company, records::company::kAgingCaption2, "31-60:");
    common::WriteText(company, records::company::kAgingCaption3, "61-90:");
    common::WriteText(company, records::company::kLastAgingDate, common::FormatDate(kToday, common::DateFormat::MonthFirst));
    common::WriteBool(company, records::company::kShowAgingChart, true);
    ASSERT_TRUE(MakeCompanyFile(company)) << engine::EngineStatus;
    std::copy(company.begin(), company.end(), book_.Current().begin());
  }

  common::DateFormat Format() const {
    return common::DateFormatFromCode(common::ReadText(book_.Current(), records::company::kDateFormat));
  }

  // A customer with stored balance and aging amounts (they need not agree with anything).
  void AddCustomer(const std::string& number, const std::string& name, const std::string& balance = "0.00",
                   std::array<std::string, 4> aging = {"0.00", "0.00", "0.00", "0.00"},
                   const std::string& shortName = "") {
    namespace cu = records::customer;
    common::RecordBuffer r =
        invoicing::testing::InvoicingCustomer(number, name, shortName.empty() ? name.substr(0, 5) : shortName, balance);
    for (int k = 0; k < 4; ++k) common::WriteText(r, cu::kAgingAmount[k], aging[std::size_t(k)]);
    if (shortName == "-") common::WriteText(r, cu::kShortName, "");
    Write(cu::CustomerFileName("1"), r, [&](engine::FileBlock* h, std::int32_t& ref) {
      return records::AddKeyedRecord(h, cu::CustomerFileKind(), r, ref, quiet_);
    });
  }

  static common::RecordBuffer InvoiceRecord(const PlannedInvoice& planned, common::DateFormat format) {
    return test::InvoiceRecord(planned, format);
  }

  // Writes the record of `planned` (dates in the company's format) and returns its ref.
  std::int32_t AddInvoice(const PlannedInvoice& planned) { return AddInvoiceRecord(InvoiceRecord(planned, Format())); }

  std::int32_t AddInvoiceRecord(const common::RecordBuffer& r) {
    namespace inv = records::invoice;
    std::int32_t added = 0;
    Write(inv::InvoiceFileName("1"), r, [&](engine::FileBlock* h, std::int32_t& ref) {
      const bool ok = inv::AddInvoice(h, r, ref, quiet_);
      added = ref;
      return ok;
    });
    return added;
  }

  // Opens `block` (created when missing), runs `write` and closes it.
  template <class Writer>
  void Write(const std::string& block, const common::RecordBuffer& record, Writer write) {
    const records::RecordFileKind& kind = record.size() == records::customer::kCustomerRecordLength
                                              ? records::customer::CustomerFileKind()
                                              : records::invoice::InvoiceFileKind();
    engine::FileBlockGuard h;
    ASSERT_TRUE(records::OpenRecordFile(h.handle(), block, kind, {}, quiet_, status_)) << engine::EngineStatus;
    std::int32_t ref = 0;
    ASSERT_TRUE(write(h.get(), ref)) << engine::EngineStatus;
  }

  common::RecordBuffer Customer(const std::string& number) {
    namespace cu = records::customer;
    common::RecordBuffer r = cu::NewCustomerRecord();
    engine::FileBlockGuard h;
    if (!customersInUse_) {
      engine::OpenFileBlock(h.handle(), cu::CustomerFileName("1"), true);
      EXPECT_TRUE(engine::EngineOK) << engine::EngineStatus;
    }
    EXPECT_TRUE(cu::FindCustomerByNumber(customersInUse_ ? customersInUse_ : h.get(), number, r)) << number;
    return r;
  }

  // Balance, then the four aging amounts: "100.00 | 0.00 40.00 60.00 0.00".
  std::string Amounts(const std::string& number) {
    namespace cu = records::customer;
    const common::RecordBuffer r = Customer(number);
    std::string text = common::ReadText(r, cu::kBalance) + " |";
    for (int k = 0; k < 4; ++k) text += " " + common::ReadText(r, cu::kAgingAmount[k]);
    return text;
  }

  common::RecordBuffer CompanyOnFile() {
    common::RecordBuffer r(records::company::kCompanyRecordLength);
    engine::FileBlockGuard h;
    engine::OpenFileBlock(h.handle(), records::company::kCompanyFileBlock, true);
    EXPECT_TRUE(engine::EngineOK);
    const std::int32_t ref = records::FindCompany(h.get(), "1");
    EXPECT_NE(ref, 0);
    engine::GetRecord(h.get(), ref, std::span<std::uint8_t>(r));
    return r;
  }

  std::string CompanyField(common::TextField field) { return common::ReadText(CompanyOnFile(), field); }

  // Every block sound and every invariant of the books, including the aging amounts as of the
  // company's last aging date; empty when all is well.
  std::string CheckAll() {
    namespace inv = records::invoice;
    namespace cu = records::customer;
    std::string out;
    for (auto [block, keys] : {std::pair{std::string("1I"), engine::KeyBuilder(inv::InvoiceKeys)},
                               std::pair{std::string("1C"), engine::KeyBuilder(cu::CustomerKeys)},
                               std::pair{std::string("Company"), engine::KeyBuilder([](std::span<const unsigned char> r) {
                                 return std::vector<std::string>{records::company::CompanyKey(r, 1),
                                                                 records::company::CompanyKey(r, 2)};
                               })}}) {
      if (std::filesystem::exists(block + ".DAT")) out += Findings(block, keys);
    }
    for (const std::string& f : invoicing::CheckBooks(CompanyOnFile()).findings) out += f + "\n";
    return out;
  }

  // The customer file as a test's books hold it open (a file block has one handle), if they do.
  engine::FileBlock* customersInUse_ = nullptr;
  common::ScriptedPrompter quiet_{common::PromptAnswer::OK};
  SilentStatus status_;
  records::CompanyBook book_;
  common::FixedClock clock_{kToday, std::chrono::hours{9}};
};

}  // namespace tf::test
