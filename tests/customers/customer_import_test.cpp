// Customer lists from CSV: the editor's checks on every row, the whole file refused when any
// row is bad, number proposals, what the program keeps itself, and the export read back.
// Imports run as the tool runs them: into a stage that takes the file's place only when the
// whole file was good.

#include <gtest/gtest.h>

#include <sstream>

#include "common/side_file.h"
#include "common/stored_text.h"
#include "customers/customer_checks.h"
#include "customers/customer_import.h"
#include "records/staged_block.h"
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
  // Imports `csv` into `name` (1C) as the tool does: kept when every row was good.
  CustomerImport Import(const std::string& csv, const std::string& next = "100", const std::string& name = "1C") {
    customers_.Close();
    records::StagedBlock stage;
    EXPECT_TRUE(stage.Begin(name, kCustomerRecordLength, CustomerKeyDescriptors())) << engine::EngineStatus;
    std::istringstream in(csv);
    CustomerImportSettings settings{next, "Net 30 Days", common::DateFormat::MonthFirst};
    CustomerImport result = ImportCustomerRows(stage.get(), in, settings, quiet_);
    if (result.Good()) EXPECT_TRUE(stage.Commit());
    else stage.Abandon();
    engine::OpenFileBlock(customers_.handle(), "1C");
    EXPECT_TRUE(engine::EngineOK) << engine::EngineStatus;
    return result;
  }
  std::vector<std::string> Errors(const CustomerImport& result) {
    std::vector<std::string> out;
    for (const auto& e : result.errors) out.push_back(std::to_string(e.line) + ": " + e.text);
    return out;
  }
  // The customer of that number in 1C.
  RecordBuffer ByNumber(const std::string& number) {
    RecordBuffer r(kCustomerRecordLength);
    EXPECT_TRUE(FindCustomerByNumber(customers_.get(), number, r).has_value()) << number;
    return r;
  }
};

TEST_F(CustomerImportTest, GoodRowsTakeProposalsAndDefaultsAndAreWritten) {
  CustomerImport result = Import(
      "CustomerName,CustomerNumber,EMail,CreditLimit,CreditHold,BillAddress1,TaxExempt\r\n"
      "Smith Ltd,,smith@example.com,\"2,500\",y,\"1 High St, Leeds\",\r\n"
      "Jones,0012,,,,,y\r\n"
      "Brown,,,,N,,\r\n");
  ASSERT_TRUE(result.errors.empty()) << Errors(result)[0];
  ASSERT_EQ(result.added, 3u);
  const RecordBuffer smith = ByNumber("100");
  EXPECT_EQ(ReadText(smith, kCustomerName), "Smith Ltd");
  EXPECT_EQ(ReadText(smith, kCreditLimit), "2500");
  EXPECT_EQ(ReadText(smith, kBillAddress1), "1 High St, Leeds");
  EXPECT_EQ(ReadText(smith, kShortName), "SLtd");
  EXPECT_EQ(ReadText(smith, kTerms), "Net 30 Days");
  // A blank flag is the editor's default.
  EXPECT_EQ(ReadText(smith, kTaxExempt), "N");
  EXPECT_EQ(ReadText(smith, kBalance), "0.00");
  EXPECT_EQ(ReadText(smith, kAgingAmount4), "0.00");
  EXPECT_EQ(ReadText(smith, common::TextField{853, 1}), "Y");
  EXPECT_EQ(ReadText(ByNumber("0012"), kCreditLimit), "0.00");
  EXPECT_EQ(ReadText(ByNumber("0012"), kTaxExempt), "Y");
  // The proposal runs on from the last number used, typed or proposed: 0012 -> 13.
  EXPECT_EQ(ReadText(ByNumber("13"), kCustomerName), "Brown");
  EXPECT_EQ(result.nextCustomerNumber, "14");
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
  CustomerImport result = Import(csv);
  std::vector<std::string> expected = {
      "3: " + std::string(kNameMissingText),  "4: " + std::string(kBadEMailText),
      "5: " + std::string(kNumberTakenText),  "6: " + std::string(kNameTakenText),
      "7: " + std::string(kBadCreditLimitText), "8: " + std::string(kNumberTakenText),
      "9: " + std::string(kNameTakenText),    "10: TaxExempt: must be Y or N",
      "11: has 2 fields where the header names 5",
  };
  EXPECT_EQ(Errors(result), expected);
  EXPECT_EQ(result.problems, expected.size());
  EXPECT_EQ(engine::UsedRecords(customers_.get()), 1);
}

TEST_F(CustomerImportTest, ABlankProposalStartsAt1) {
  CustomerImport result = Import("CustomerName\nOne\nTwo\n", " ");
  ASSERT_TRUE(result.errors.empty());
  EXPECT_EQ(ReadText(ByNumber("1"), kCustomerName), "One");
  EXPECT_EQ(ReadText(ByNumber("2"), kCustomerName), "Two");
  EXPECT_EQ(result.nextCustomerNumber, "3");
}

TEST_F(CustomerImportTest, HeaderMustNameKnownFieldsAndCustomerName) {
  CustomerImport result = Import("CustomerNumber,Colour\n1,red\n");
  EXPECT_EQ(Errors(result), (std::vector<std::string>{"1: unknown column \"Colour\"",
                                                      "1: the required column \"CustomerName\" is missing"}));
}

TEST_F(CustomerImportTest, AmountsTheProgramKeepsDatesAndFlagsAreChecked) {
  CustomerImport result = Import(
      "CustomerName,Balance,AgingAmount3,CreditHold,NotesOnInvoices,LastPaymentDate,CreditLimit\n"
      "A,12.5,,N,,,\n"          // 2: a balance comes from invoices
      "B,abc,,N,,,\n"           // 3
      "C,,,maybe,,,\n"          // 4
      "D,0.00,-1,,,,\n"         // 5: an aging amount too
      "E,,,,x,,\n"              // 6
      "F,,,,,13/45/2024,\n"     // 7: not a date
      "G,,,,,yesterday,\n"      // 8
      "H,,,,,,\"1,5\"\n"        // 9: a decimal comma is no amount
      "I,\"0,00\",,,,,\n"       // 10
      "J, 0 ,0.00,Y,n,02/29/2024,\"1,250.00\"\n");  // 11: good
  EXPECT_EQ(Errors(result),
            (std::vector<std::string>{
                "2: Balance: only 0.00 can be imported (balances come from the invoices and payments entered)",
                "3: Balance: not a valid amount", "4: CreditHold: must be Y or N",
                "5: AgingAmount3: only 0.00 can be imported (balances come from the invoices and payments entered)",
                "6: NotesOnInvoices: must be Y or N", "7: LastPaymentDate: not a date in the form mm/dd/yyyy",
                "8: LastPaymentDate: not a date in the form mm/dd/yyyy", "9: " + std::string(kBadCreditLimitText),
                "10: Balance: not a valid amount"}));
  // "1,250,000.00" is longer than the field, but what is stored, 1250000.00, fits.
  CustomerImport good = Import("CustomerName,Balance,AgingAmount3,CreditHold,NotesOnInvoices,LastPaymentDate,CreditLimit\n"
                               "J, 0 ,0.00,Y,n,02/29/2024,\"1,250.00\"\n"
                               "K,,,,,,\"1,250,000.00\"\n");
  ASSERT_TRUE(good.Good()) << Errors(good)[0];
  RecordBuffer j(kCustomerRecordLength);
  ASSERT_TRUE(FindCustomerByName(customers_.get(), "J", j));
  EXPECT_EQ(ReadText(j, kBalance), "0.00");
  EXPECT_EQ(ReadText(j, kLastPaymentDate), "02/29/2024");
  EXPECT_EQ(ReadText(j, kCreditLimit), "1250.00");
  EXPECT_TRUE(common::ReadFlag(j, kCreditHold));
  EXPECT_FALSE(common::ReadFlag(j, kNotesOnInvoices));
  RecordBuffer k(kCustomerRecordLength);
  ASSERT_TRUE(FindCustomerByName(customers_.get(), "K", k));
  EXPECT_EQ(ReadText(k, kCreditLimit), "1250000.00");
}

TEST_F(CustomerImportTest, TextsAreStoredAsWrittenOrRefusedWithTheirLineNeverChangedQuietly) {
  const std::string longNotes = [] { std::string s; for (int k = 0; k < 61; ++k) s += "ab\n"; return s; }();
  CustomerImport result = Import(
      "CustomerName,Phone1,Notes,CustomerNumber\n"
      "\"Two\nLines\",,,\n"                                     // 2-3: a line break in a name
      "Tab,\"555\t1\",,\n"                                      // 4
      "Euro \xE2\x82\xAC,,,\n"                                  // 5
      "Stray M\xFC" "ller,,,\n"                                 // 6: not UTF-8
      "Long Notes,,\"" + longNotes + "\",\n"                    // 7-68: 244 as stored
      "Northern Lights Trading Company Ltd,,,\n"                // 69: taken below
      "NORTHERN LIGHTS TRADING COMPANY PLC,,,\n"                // 70: same first 30
      "Blank Number,,,\" \"\n"                                  // 71: a proposal, not a blank
      "Too Long Number,,,123456789\n");                         // 71
  EXPECT_EQ(Errors(result),
            (std::vector<std::string>{
                "2: CustomerName: holds LF, a line break (code 10), which this field cannot store; remove it.",
                "4: Phone1: holds TAB (code 9), which this field cannot store; remove it.",
                "5: " + common::UnstorableCharacterText("CustomerName", U'\u20AC'),
                "6: CustomerName: the byte 0xFC is not UTF-8 text (save the file as UTF-8 and import it again)",
                "7: Notes: 244 characters (a line break counts two) where at most 240 can be stored; shorten it.",
                "70: " + std::string(kNameTakenText),
                "72: CustomerNumber: 9 characters where at most 8 can be stored; shorten it."}));
  EXPECT_EQ(engine::UsedRecords(customers_.get()), 1);
  // Accented letters are kept, and lone line breaks in notes become CR LF.
  CustomerImport good = Import("CustomerName,Notes\nCaf\xC3\xA9,\"one\ntwo\rthree\"\n");
  ASSERT_TRUE(good.Good()) << Errors(good)[0];
  RecordBuffer cafe(kCustomerRecordLength);
  ASSERT_TRUE(FindCustomerByName(customers_.get(), "Caf\xE9", cafe));
  EXPECT_EQ(ReadText(cafe, kNotes), "one\r\ntwo\r\nthree");
}

TEST_F(CustomerImportTest, AFileWithManyBadRowsListsTheFirstAndCountsAll) {
  std::string csv = "CustomerName,Balance\n";
  for (int k = 0; k < 250; ++k) csv += "Row " + std::to_string(k) + ",1.00\n";
  CustomerImport result = Import(csv);
  EXPECT_EQ(result.problems, 250u);
  ASSERT_EQ(result.errors.size(), kMaxReportedProblems);
  EXPECT_EQ(result.errors.front().line, 2u);
  EXPECT_EQ(result.errors.back().line, kMaxReportedProblems + 1);
  EXPECT_EQ(engine::UsedRecords(customers_.get()), 1);
}

TEST_F(CustomerImportTest, ExportReadsBackIntoAnEmptyCompanyAsTheSameRecords) {
  RecordBuffer full = Customer("A-7", "Quote \"Co\", Ltd", "0.00");
  WriteText(full, kNotes, "two\r\nlines");
  WriteText(full, kTerms, "");
  WriteText(full, kTaxExempt, "Y");
  WriteText(full, kCreditLimit, "100.00");
  for (int k = 0; k < 4; ++k) WriteText(full, kAgingAmount[k], "0.00");
  WriteText(full, kEMail, "q@example.com");
  WriteText(full, kShortName, "QCo");
  common::WriteFlag(full, kNotesOnInvoices, true);
  common::WriteFlag(full, kNotesOnStatements, false);
  common::WriteFlag(full, kCreditHold, false);
  WriteText(full, kLastPaymentDate, "03/07/1999");
  // Texts a spreadsheet would run, or that look escaped already, and Latin-1 letters.
  RecordBuffer awkward = Customer("=1+1", "=HYPERLINK(\"http://x\")", "0.00");
  WriteText(awkward, kPhone1, "+44 20 7946 0000");
  WriteText(awkward, kPhone2, "-0100");
  WriteText(awkward, kCustomerType, "@home");
  WriteText(awkward, kBillAddress1, "'quoted'");
  WriteText(awkward, kBillAddress2, "Caf\xE9 M\xFCller");
  WriteText(awkward, kNotes, "-\r\n=cmd|' /C calc'!A0");
  WriteText(awkward, kShortName, "''");
  WriteText(awkward, kTaxExempt, "N");
  WriteText(awkward, kCreditLimit, "-5.00");
  for (int k = 0; k < 4; ++k) WriteText(awkward, kAgingAmount[k], "0.00");
  common::WriteFlag(awkward, kNotesOnInvoices, false);
  common::WriteFlag(awkward, kNotesOnStatements, false);
  common::WriteFlag(awkward, kCreditHold, true);
  Add(full);
  Add(awkward);
  std::ostringstream exported;
  ASSERT_TRUE(ExportCustomers(customers_.get(), exported));
  const std::string csv = exported.str();
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
            "CustomerNumber,CustomerName,Balance,LastPaymentDate,LastInvoiceNumber,CustomerType,TaxExempt,"
            "CreditLimit,Terms,BillAddress1,BillAddress2,BillAddress3,BillAddress4,Phone1,ShipAddress1,"
            "ShipAddress2,ShipAddress3,ShipAddress4,Phone2,AgingAmount1,AgingAmount2,AgingAmount3,AgingAmount4,"
            "Notes,NotesOnInvoices,NotesOnStatements,ShortName,MailSortCode,CreditHold,EMail");
  // No cell of the file starts a formula.
  EXPECT_NE(csv.find("\r\n'=1+1,\"'=HYPERLINK("), std::string::npos) << csv;
  EXPECT_EQ(csv.find(",=") , std::string::npos);
  EXPECT_EQ(csv.find(",@"), std::string::npos);
  // Into a second company's empty file.
  engine::MakeFileBlock("2C", kCustomerRecordLength, 2, CustomerKeyDescriptors());
  CustomerImport result = Import(csv, "1", "2C");
  ASSERT_TRUE(result.Good()) << result.errors[0].line << ": " << result.errors[0].text;
  ASSERT_EQ(result.added, 3u);
  engine::FileBlockGuard other;
  engine::OpenFileBlock(other.handle(), "2C");
  RecordBuffer back(kCustomerRecordLength);
  // Every field came back as it was.
  ASSERT_TRUE(FindCustomerByNumber(other.get(), "A-7", back));
  EXPECT_EQ(back, full);
  ASSERT_TRUE(FindCustomerByNumber(other.get(), "=1+1", back));
  EXPECT_EQ(back, awkward);
}

TEST_F(CustomerImportTest, AnExportOfAFileWhoseIndexLostEntriesFailsInsteadOfLeavingRowsOut) {
  for (int k = 0; k < 40; ++k) Add(Customer(std::to_string(k + 10), "Customer " + std::to_string(k)));
  std::ostringstream csv;
  ASSERT_TRUE(ExportCustomers(customers_.get(), csv));
  // An entry taken out of the name index: the index ends early without any error.
  RecordBuffer lost(kCustomerRecordLength);
  const auto ref = FindCustomerByName(customers_.get(), "Customer 17", lost);
  ASSERT_TRUE(ref.has_value());
  std::string key = CustomerNameKey("Customer 17");
  engine::DeleteKey(customers_.get(), kKeyByName, *ref, key);
  ASSERT_TRUE(engine::EngineOK);
  EXPECT_FALSE(ExportCustomers(customers_.get(), csv));
  engine::AddKey(customers_.get(), kKeyByName, *ref, key);  // leave it whole for the checker
  EXPECT_TRUE(ExportCustomers(customers_.get(), csv));
}

}  // namespace
}  // namespace tf::customers::testing
