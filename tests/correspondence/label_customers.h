#pragma once
// Company 1 and its customer file in the working directory, for the Label Wizard's model and
// screen tests: each customer with a mail sort code, a first billing line and aging amounts.

#include <array>
#include <string>
#include <vector>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/record_file.h"

namespace tf::test {

struct LabelCustomer {
  std::string number, name;
  std::array<std::string, 4> aging = {"0.00", "0.00", "0.00", "0.00"};
};

// Aging days 30 / 60 / 90, the first category captioned "Current".
inline common::RecordBuffer LabelCompanyRecord() {
  namespace co = records::company;
  common::RecordBuffer c(co::kCompanyRecordLength);
  common::WriteText(c, co::kCompanyNumber, "1");
  common::WriteText(c, co::kCompanyName, "Tally Co");
  common::WriteText(c, co::kAddress1, "1 Main St");
  common::WriteText(c, co::kAgingDays1, "30");
  common::WriteText(c, co::kAgingDays2, "60");
  common::WriteText(c, co::kAgingDays3, "90");
  common::WriteText(c, co::kAgingCaption1, "Current");
  return c;
}

// False when the engine refused; EngineStatus tells why.
inline bool MakeLabelCustomers(const std::vector<LabelCustomer>& customers) {
  namespace cu = records::customer;
  const records::RecordFileKind& kind = cu::CustomerFileKind();
  const std::string name = cu::CustomerFileName("1");
  engine::MakeFileBlock(name, kind.recordLength, int(kind.keys.size()), kind.keys);
  if (!engine::EngineOK) return false;
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), name);
  if (!engine::EngineOK) return false;
  common::ScriptedPrompter quiet;
  for (const LabelCustomer& c : customers) {
    common::RecordBuffer r = cu::NewCustomerRecord();
    common::WriteText(r, cu::kCustomerNumber, c.number);
    common::WriteText(r, cu::kCustomerName, c.name);
    common::WriteText(r, cu::kMailSortCode, "S" + c.number);
    common::WriteText(r, cu::kBillAddress1, c.name + " Street");
    for (int i = 0; i < 4; ++i) common::WriteText(r, cu::kAgingAmount[i], c.aging[std::size_t(i)]);
    std::int32_t ref = 0;
    if (!records::AddKeyedRecord(block.get(), kind, r, ref, quiet)) return false;
  }
  block.Close();
  return engine::EngineOK;
}

}  // namespace tf::test
