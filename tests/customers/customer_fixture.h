#pragma once
// A data folder holding one company (number 1, "Acme Books") in the company file and in
// "LastCo.Dat", with helpers to add customers and a small invoice file.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/text.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "engine/checking/checker.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "records/record_file.h"
#include "tests/support/data_folder_test.h"
#include "tests/support/company_file.h"

namespace tf::customers::testing {

namespace company = records::company;
using namespace records::customer;
using records::CompanyBook;
using common::ReadText;
using common::RecordBuffer;
using common::WriteText;

inline RecordBuffer MakeCustomer(const std::string& number, const std::string& name,
                                 const std::string& balance = "0.00") {
  RecordBuffer r(kCustomerRecordLength);
  WriteText(r, kCustomerNumber, number);
  WriteText(r, kCustomerName, name);
  WriteText(r, kBalance, balance);
  return r;
}

class CustomerFolderTest : public tf::test::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    RecordBuffer co(company::kCompanyRecordLength);
    WriteText(co, company::kCompanyName, "Acme Books");
    WriteText(co, company::kCompanyNumber, "1");
    WriteText(co, company::kNextCustomerNumber, "100");
    WriteText(co, company::kDefaultTerms, "Net 30 Days");
    WriteText(co, company::kAddress1, "1 Main Street");
    WriteText(co, company::kAddress2, "Springfield");
    ASSERT_TRUE(tf::test::MakeCompanyFile(co)) << engine::EngineStatus;
    std::copy(co.begin(), co.end(), book_.Work().begin());
    book_.SaveStartupFile();
  }

  // Opens 1C, creating it.
  void OpenCustomers() {
    prompter_.Answer(common::PromptAnswer::OK);
    ASSERT_TRUE(OpenCustomerFile(customers_.handle(), "1", prompter_, status_)) << engine::EngineStatus;
  }

  static RecordBuffer Customer(const std::string& number, const std::string& name,
                               const std::string& balance = "0.00") {
    return MakeCustomer(number, name, balance);
  }

  std::int32_t Add(const RecordBuffer& r) {
    std::int32_t ref = 0;
    EXPECT_TRUE(records::AddKeyedRecord(customers_.get(), CustomerFileKind(), r, ref, quiet_)) << engine::EngineStatus;
    return ref;
  }

  // The checker's findings on 1C after closing it.
  std::string CheckCustomers() {
    customers_.Close();
    engine::KeyBuilder keys = CustomerKeys;
    return tf::test::Findings("1C", keys);
  }

  std::string CompanyField(common::TextField field) {
    engine::FileBlockGuard block;
    engine::OpenFileBlock(block.handle(), company::kCompanyFileBlock);
    RecordBuffer r(company::kCompanyRecordLength);
    std::int32_t ref = records::FindCompany(block.get(), "1");
    engine::GetRecord(block.get(), ref, r.data());
    return ReadText(r, field);
  }

  records::CompanyBook book_;
  common::ScriptedPrompter prompter_;
  common::ScriptedPrompter quiet_;
  tf::test::RecordingStatus status_;
  engine::FileBlockGuard customers_;
};

// The company's invoice file holding one invoice per (invoice number, customer number), with all
// six keys.
inline void MakeInvoices(const std::vector<std::pair<std::string, std::string>>& invoiceAndCustomer) {
  namespace invoice = records::invoice;
  const records::RecordFileKind& kind = invoice::InvoiceFileKind();
  engine::MakeFileBlock("1I", kind.recordLength, int(kind.keys.size()), kind.keys);
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), "1I");
  for (const auto& [number, customer] : invoiceAndCustomer) {
    RecordBuffer r(invoice::kInvoiceRecordLength);
    WriteText(r, invoice::kInvoiceNumber, number);
    WriteText(r, invoice::kCustomerNumber, customer);
    std::int32_t ref = 0;
    engine::AddRecord(block.get(), ref, r.data());
    for (int k = 1; k <= invoice::kInvoiceKeyCount; ++k) engine::AddKey(block.get(), k, ref, invoice::InvoiceKey(r, k));
  }
}

inline std::vector<std::string> InvoiceKeys(std::span<const unsigned char> r) { return records::invoice::InvoiceKeys(r); }

}  // namespace tf::customers::testing
