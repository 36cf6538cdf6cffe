// A customer looked up by number is that customer or nobody: a number past the last one on
// file is a miss with the engine in order (not a failure of the file), and the next greater
// number is never taken for a missing one.

#include <gtest/gtest.h>

#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/text.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/record_file.h"
#include "tests/support/data_folder_test.h"

namespace tf::records::testing {
namespace {

using namespace ::tf::test;
namespace cu = records::customer;

class CustomerLookupTest : public DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    common::ScriptedPrompter prompter{common::PromptAnswer::OK};  // the new file's notice
    ASSERT_TRUE(cu::OpenCustomerFile(handle_, "1", prompter, status_));
    for (const char* number : {"C1", "C2"}) {
      common::RecordBuffer r = cu::NewCustomerRecord();
      common::WriteText(r, cu::kCustomerNumber, number);
      common::WriteText(r, cu::kCustomerName, std::string("Customer ") + number);
      std::int32_t ref = 0;
      ASSERT_TRUE(AddKeyedRecord(handle_, cu::CustomerFileKind(), r, ref, prompter));
    }
  }
  void TearDown() override {
    if (handle_) engine::CloseFileBlock(handle_);
    DataFolderTest::TearDown();
  }
  engine::FileBlock* handle_ = nullptr;
  SilentStatus status_;
};

TEST_F(CustomerLookupTest, OnlyTheNumberAskedForIsFoundAndAMissIsNoFailure) {
  struct Case {
    const char* number;
    bool found;
  } cases[] = {{"C2", true}, {"c1 ", true}, {"C", false}, {"C15", false}, {"C9", false}, {"ZZZ", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    common::RecordBuffer r = cu::NewCustomerRecord();
    const auto ref = cu::FindCustomerByNumber(handle_, c.number, r);
    EXPECT_EQ(ref.has_value(), c.found);
    EXPECT_TRUE(engine::EngineOK) << engine::EngineStatus;
    if (ref) {
      EXPECT_EQ(common::ReadText(r, cu::kCustomerNumber), common::UpperCase(common::TrimBoth(c.number)));
    }
  }
}

}  // namespace
}  // namespace tf::records::testing
