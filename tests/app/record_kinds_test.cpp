// Every record kind of the program goes through the tool's check, dump and rebuild by its
// registration alone: records written through the record-file procedures check clean, dump by
// field name, and survive a rebuild that is given no shape arguments.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/customer_record.h"
#include "records/invoice_record.h"
#include "records/product_record.h"
#include "records/record_file.h"
#include "records/record_kinds.h"
#include "tests/app/cli_run.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

using ::testing::HasSubstr;
using common::RecordBuffer;
using common::TextField;
using common::WriteText;

// A block name the kind claims, and the field that tells its records apart (written "Vn" for
// record n, so unique keys stay unique).
struct KindCase {
  std::string block;
  TextField field;
  std::string fieldName;
};

const std::map<std::string, KindCase>& Cases() {
  static const std::map<std::string, KindCase> cases = {
      {"companies", {"Company", records::company::kCompanyNumber, "CompanyNumber"}},
      {"customers", {"1C", records::customer::kCustomerName, "CustomerName"}},
      {"products", {"1P", records::product::kProductCode, "ProductCode"}},
      {"invoices", {"1I", records::invoice::kInvoiceNumber, "InvoiceNumber"}},
      {"invoice lines", {"1D", records::invoice::kLineInvoiceNumber, "InvoiceNumber"}},
      {"memos", {"1M", records::invoice::kMemoInvoiceNumber, "InvoiceNumber"}},
  };
  return cases;
}

// The records of a block in data-file order.
std::vector<RecordBuffer> Records(const std::string& block, int length) {
  std::vector<RecordBuffer> out;
  engine::FileBlockGuard handle;
  engine::OpenFileBlock(handle.handle(), block);
  if (!engine::EngineOK) return out;
  std::int32_t ref = 0;
  for (;;) {
    engine::NextRecord(handle.get(), ref);
    if (!engine::EngineOK) break;
    RecordBuffer r(length);
    engine::GetRecord(handle.get(), ref, r.data());
    out.push_back(r);
  }
  return out;
}

// Every text field the registry gives the checker lies inside its kind's records.
TEST(RecordKindTextFieldsTest, EveryKindNamesItsTextFieldsInsideItsRecords) {
  for (const records::RecordKind& kind : records::BuiltInRecordKinds().All()) {
    SCOPED_TRACE(kind.name);
    ASSERT_NE(kind.file, nullptr);
    EXPECT_GE(kind.textFields.size(), 6u);
    for (const engine::RecordTextField& f : kind.textFields) {
      EXPECT_GE(f.offset, 4u) << f.name;
      EXPECT_LT(f.offset + f.capacity, size_t(kind.file->recordLength)) << f.name;
    }
  }
}

TEST(RecordKindsTest, EveryKindHasACaseHere) {
  for (const records::RecordKind& kind : records::BuiltInRecordKinds().All()) {
    ASSERT_TRUE(Cases().count(kind.name)) << "no round trip for " << kind.name;
    EXPECT_EQ(records::BuiltInRecordKinds().Find(Cases().at(kind.name).block), &kind) << kind.name;
    EXPECT_TRUE(kind.file && kind.keys && kind.fields) << kind.name;
  }
}

class RecordKindRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(RecordKindRoundTrip, ChecksDumpsAndRebuilds) {
  const records::RecordKind* kind = nullptr;
  for (const records::RecordKind& k : records::BuiltInRecordKinds().All())
    if (k.name == GetParam()) kind = &k;
  ASSERT_NE(kind, nullptr);
  const KindCase& c = Cases().at(kind->name);
  const records::RecordFileKind& file = *kind->file;

  TempFolder work(TempFolder::Enter);
  engine::InitEngine(0, engine::kMinPageBuffers);
  engine::MakeFileBlock(c.block, file.recordLength, int(file.keys.size()), file.keys);
  ASSERT_TRUE(engine::EngineOK) << engine::EngineStatus;
  {
    engine::FileBlockGuard handle;
    engine::OpenFileBlock(handle.handle(), c.block);
    common::ScriptedPrompter quiet;
    for (int n = 1; n <= 40; ++n) {
      RecordBuffer r(file.recordLength);
      WriteText(r, c.field, "V" + std::to_string(n));
      std::int32_t ref = 0;
      ASSERT_TRUE(records::AddKeyedRecord(handle.get(), file, r, ref, quiet)) << n << ": " << engine::EngineStatus;
    }
  }
  std::vector<RecordBuffer> before = Records(c.block, file.recordLength);
  engine::ExitEngine();
  const std::string folder = work.path();

  cli::testing::ToolRun check = cli::testing::RunTool({"--data", folder, "check", c.block});
  EXPECT_EQ(check.status, 0) << check.out << check.err;

  cli::testing::ToolRun dump = cli::testing::RunTool({"--data", folder, "dump", c.block});
  EXPECT_EQ(dump.status, 0) << dump.err;
  EXPECT_THAT(dump.out, HasSubstr("record kind " + kind->name));
  for (int n : {1, 17, 40}) EXPECT_THAT(dump.out, HasSubstr(c.fieldName + ": V" + std::to_string(n)));

  // Without its index the block can only be whole again if the rebuild builds every key from
  // the kind's own key routine.
  std::filesystem::remove(work / (c.block + ".IX"));
  cli::testing::ToolRun rebuild = cli::testing::RunTool({"--data", folder, "rebuild", c.block});
  EXPECT_EQ(rebuild.status, 0) << rebuild.out << rebuild.err;
  check = cli::testing::RunTool({"--data", folder, "check", c.block});
  EXPECT_EQ(check.status, 0) << check.out << check.err;

  engine::InitEngine(0, engine::kMinPageBuffers);
  std::vector<RecordBuffer> after = Records(c.block, file.recordLength);
  engine::ExitEngine();
  auto sorted = [](std::vector<RecordBuffer> v) {
    std::sort(v.begin(), v.end(), [](const RecordBuffer& a, const RecordBuffer& b) {
      return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
    });
    return v;
  };
  EXPECT_EQ(before.size(), 40u);
  EXPECT_TRUE(sorted(before) == sorted(after)) << "the rebuild changed the records of " << c.block;
}

std::vector<std::string> KindNames() {
  std::vector<std::string> names;
  for (const records::RecordKind& k : records::BuiltInRecordKinds().All()) names.push_back(k.name);
  return names;
}

INSTANTIATE_TEST_SUITE_P(AllKinds, RecordKindRoundTrip, ::testing::ValuesIn(KindNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), ' ', '_');
                           return name;
                         });

}  // namespace
}  // namespace tf::test
