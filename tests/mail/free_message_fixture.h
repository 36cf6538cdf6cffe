#pragma once
// A data folder with company 1 (its mail host the test's server) and a few customers, for the
// free message's model and its screen.

#include <cstdint>
#include <string>
#include <vector>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/record_file.h"
#include "common/scripted_prompter.h"

namespace tf::test {

struct MailCustomer {
  std::string number;
  std::string name;
  std::string email;  // Latin-1, as stored
};

inline common::RecordBuffer MailCompanyRecord(bool includeNoAddress) {
  common::RecordBuffer co(records::company::kCompanyRecordLength);
  common::WriteText(co, records::company::kCompanyNumber, "1");
  common::WriteText(co, records::company::kCompanyName, "Mail Test Ltd");
  common::WriteText(co, records::company::kEMailAddress, "office@example.com");
  common::WriteText(co, records::company::kSMTPHost, "127.0.0.1");
  common::WriteFlag(co, records::company::kEMailIncludeNoAddress, includeNoAddress);
  return co;
}

// Makes the customer file of company 1 in the working directory with `customers`.
inline bool MakeMailCustomers(const std::vector<MailCustomer>& customers) {
  const records::RecordFileKind& kind = records::customer::CustomerFileKind();
  const std::string name = records::customer::CustomerFileName("1");
  engine::MakeFileBlock(name, kind.recordLength, int(kind.keys.size()), kind.keys);
  if (!engine::EngineOK) return false;
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), name);
  if (!engine::EngineOK) return false;
  common::ScriptedPrompter quiet;
  for (const MailCustomer& c : customers) {
    common::RecordBuffer r = records::customer::NewCustomerRecord();
    common::WriteText(r, records::customer::kCustomerNumber, c.number);
    common::WriteText(r, records::customer::kCustomerName, c.name);
    common::WriteText(r, records::customer::kEMail, c.email);
    std::int32_t ref = 0;
    if (!records::AddKeyedRecord(block.get(), kind, r, ref, quiet)) return false;
  }
  block.Close();
  return engine::EngineOK;
}

}  // namespace tf::test
