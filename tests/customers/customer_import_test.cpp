// Customer lists from CSV: the editor's checks on every row, the whole file refused when any
// row is bad, number proposals, and the export read back.

#include <gtest/gtest.h>

#include "common/side_file.h"
#include "customers/customer_checks.h"
#include "customers/customer_import.h"
#include "tests/customers/customer_fixture.h"

namespace tf::customers::testing {
namespace {

class CustomerImportTest : public CustomerFolderTest {
 protected:
  void SetUp() override {
    CustomerFolderTest::SetUp();
    OpenCustomers();
    Add(Customer("7", "ACME"));
  }
  CustomerImport Plan(const std::string& csv) { return PlanCustomerImport(customers_.get(), csv, "100", "Net 30 Days"); }
  std::vector<std::string> Errors(const CustomerImport& plan) {
    std::vector<std::string> out;
    for (const auto& e : plan.errors) out.push_back(std::to_string(e.line) + ": " + e.text);
    return out;
  }
};

TEST_F(CustomerImportTest, GoodRowsTakeProposalsAndDefaultsAndAreWritten) {
  CustomerImport plan = Plan(
      "CustomerName,CustomerNumber,EMail,CreditLimit,CreditHold,BillAddress1\r\n"
      "Smith Ltd,,smith@example.com,\"2,500\",y,\"1 High St, Leeds\"\r\n"
      "Jones,0012,,,,\r\n"
      "Brown,,,,N,\r\n");
  ASSERT_TRUE(plan.errors.empty()) << Errors(plan)[0];
  ASSERT_EQ(plan.records.size(), 3u);
  EXPECT_EQ(ReadText(plan.records[0], kCustomerNumber), "100");
  EXPECT_EQ(ReadText(plan.records[0], kCreditLimit), "2500");
  EXPECT_EQ(ReadText(plan.records[0], kBillAddress1), "1 High St, Leeds");
  EXPECT_EQ(ReadText(plan.records[0], kShortName), "SLtd");
  EXPECT_EQ(ReadText(plan.records[0], kTerms), "Net 30 Days");
  EXPECT_EQ(ReadText(plan.records[0], kTaxExempt), "N");
  EXPECT_EQ(ReadText(plan.records[0], kBalance), "0.00");
  EXPECT_EQ(ReadText(plan.records[0], kAgingAmount4), "0.00");
  EXPECT_EQ(ReadText(plan.records[0], common::TextField{853, 1}), "Y");
  EXPECT_EQ(ReadText(plan.records[1], kCreditLimit), "0.00");
  // The proposal runs on from the last number used, typed or proposed: 0012 -> 13.
  EXPECT_EQ(ReadText(plan.records[2], kCustomerNumber), "13");
  EXPECT_EQ(plan.nextCustomerNumber, "14");
  ASSERT_TRUE(WriteCustomerImport(customers_.get(), plan, quiet_));
  EXPECT_EQ(engine::UsedRecords(customers_.get()), 4);
  EXPECT_EQ(CheckCustomers(), "");
}

TEST_F(CustomerImportTest, AnyBadRowRefusesTheWholeFileAndEveryBadRowIsReported) {
  const std::string csv =
      "CustomerNumber,CustomerName,EMail,CreditLimit,TaxExempt\n"
      "1,Good One,,,\n"
      "2,,,,\n"                          // line 3: no name
      "3,Bad Mail,nobody.example.com,,\n" // line 4
      "7,Number Taken,,,\n"              // line 5: ACME has 7
      "4, acme ,,,\n"                    // line 6: ACME's name
      "5,Limit,,12x,\n"                  // line 7
      "1,Repeat Number,,,\n"             // line 8: row 2 took 1
      "6,GOOD ONE,,,\n"                  // line 9: row 2 took the name
      "8,Too Long,,,YY\n"                // line 10
      "9,Short\n";                       // line 11
  CustomerImport plan = Plan(csv);
  EXPECT_TRUE(plan.records.empty());
  std::vector<std::string> expected = {
      "3: " + std::string(kNameMissingText),  "4: " + std::string(kBadEMailText),
      "5: " + std::string(kNumberTakenText),  "6: " + std::string(kNameTakenText),
      "7: " + std::string(kBadCreditLimitText), "8: " + std::string(kNumberTakenText),
      "9: " + std::string(kNameTakenText),    "10: TaxExempt: longer than 1 characters",
      "11: has 2 fields where the header names 5",
  };
  EXPECT_EQ(Errors(plan), expected);
  EXPECT_FALSE(WriteCustomerImport(customers_.get(), plan, quiet_));
  EXPECT_EQ(engine::UsedRecords(customers_.get()), 1);
}

TEST_F(CustomerImportTest, ABlankProposalStartsAt1) {
  CustomerImport plan = PlanCustomerImport(customers_.get(), "CustomerName\nOne\nTwo\n", " ", "");
  ASSERT_TRUE(plan.errors.empty());
  EXPECT_EQ(ReadText(plan.records[0], kCustomerNumber), "1");
  EXPECT_EQ(ReadText(plan.records[1], kCustomerNumber), "2");
  EXPECT_EQ(plan.nextCustomerNumber, "3");
}

TEST_F(CustomerImportTest, HeaderMustNameKnownFieldsAndCustomerName) {
  CustomerImport plan = Plan("CustomerNumber,Colour\n1,red\n");
  EXPECT_EQ(Errors(plan), (std::vector<std::string>{"1: unknown column \"Colour\"",
                                                    "1: the required column \"CustomerName\" is missing"}));
}

TEST_F(CustomerImportTest, AmountsAndFlagsAreChecked) {
  CustomerImport plan = Plan("CustomerName,Balance,CreditHold\nA,12.5,N\nB,abc,N\nC,,maybe\n");
  EXPECT_EQ(Errors(plan), (std::vector<std::string>{"3: Balance: not a valid amount", "4: CreditHold: must be Y or N"}));
}

TEST_F(CustomerImportTest, ExportReadsBackIntoAnEmptyCompanyAsTheSameRecords) {
  RecordBuffer full = Customer("A-7", "Quote \"Co\", Ltd", "12.50");
  WriteText(full, kNotes, "two\r\nlines");
  WriteText(full, kTerms, "");
  WriteText(full, kTaxExempt, "Y");
  WriteText(full, kCreditLimit, "100.00");
  for (int k = 0; k < 4; ++k) WriteText(full, kAgingAmount[k], k == 0 ? "12.50" : "0.00");
  WriteText(full, kEMail, "q@example.com");
  WriteText(full, kShortName, "QCo");
  common::WriteFlag(full, kNotesOnInvoices, true);
  common::WriteFlag(full, kNotesOnStatements, false);
  common::WriteFlag(full, kCreditHold, false);
  WriteText(full, kLastPaymentDate, "03/07/1999");
  Add(full);
  const std::string csv = ExportCustomers(customers_.get());
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
            "CustomerNumber,CustomerName,Balance,LastPaymentDate,LastInvoiceNumber,CustomerType,TaxExempt,"
            "CreditLimit,Terms,BillAddress1,BillAddress2,BillAddress3,BillAddress4,Phone1,ShipAddress1,"
            "ShipAddress2,ShipAddress3,ShipAddress4,Phone2,AgingAmount1,AgingAmount2,AgingAmount3,AgingAmount4,"
            "Notes,NotesOnInvoices,NotesOnStatements,ShortName,MailSortCode,CreditHold,EMail");
  // Into a second company's empty file.
  engine::MakeFileBlock("2C", kCustomerRecordLength, 2, CustomerKeyDescriptors());
  engine::FileBlockGuard other;
  engine::OpenFileBlock(other.handle(), "2C");
  CustomerImport plan = PlanCustomerImport(other.get(), csv, "1", "Net 30 Days");
  ASSERT_TRUE(plan.errors.empty()) << plan.errors[0].line << ": " << plan.errors[0].text;
  ASSERT_EQ(plan.records.size(), 2u);
  // Name order: ACME first, then the quoted one, whose every field came back.
  EXPECT_EQ(plan.records[1], full);
}

}  // namespace
}  // namespace tf::customers::testing
