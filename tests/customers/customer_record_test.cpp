// The customer record's layout and keys, the file block's name, number proposals, and the
// engine's refusal of a second customer of the same name.

#include <gtest/gtest.h>

#include "records/customer_fields.h"
#include "customers/customer_form.h"
#include "customers/customer_quick_view.h"
#include "tests/customers/customer_fixture.h"

namespace tf::customers::testing {
namespace {

TEST(CustomerRecord, FieldsLieWhereTheFileFormatPutsThem) {
  struct Where { const char* name; std::size_t offset, capacity; };
  const Where expected[] = {
      {"CustomerNumber", 4, 8},     {"CustomerName", 13, 35},     {"Balance", 49, 12},
      {"LastPaymentDate", 62, 10},  {"LastInvoiceNumber", 73, 9}, {"CustomerType", 83, 25},
      {"TaxExempt", 109, 1},        {"CreditLimit", 111, 10},     {"Terms", 122, 35},
      {"BillAddress1", 158, 35},    {"BillAddress2", 194, 35},    {"BillAddress3", 230, 35},
      {"BillAddress4", 266, 35},    {"Phone1", 302, 25},          {"ShipAddress1", 328, 35},
      {"ShipAddress2", 364, 35},    {"ShipAddress3", 400, 35},    {"ShipAddress4", 436, 35},
      {"Phone2", 472, 25},          {"AgingAmount1", 498, 10},    {"AgingAmount2", 509, 10},
      {"AgingAmount3", 520, 10},    {"AgingAmount4", 531, 10},    {"Notes", 542, 240},
      {"NotesOnInvoices", 783, 1},  {"NotesOnStatements", 785, 1}, {"ShortName", 800, 10},
      {"MailSortCode", 811, 15},    {"CreditHold", 853, 1},       {"EMail", 855, 50},
  };
  const auto& fields = CustomerFields();
  ASSERT_EQ(fields.size(), std::size(expected));
  for (std::size_t k = 0; k < fields.size(); ++k) {
    EXPECT_STREQ(fields[k].name, expected[k].name);
    EXPECT_EQ(fields[k].text.offset, expected[k].offset) << expected[k].name;
    EXPECT_EQ(fields[k].text.capacity, expected[k].capacity) << expected[k].name;
    if (k + 1 < fields.size()) {  // in order, never overlapping
      EXPECT_LE(fields[k].text.offset + fields[k].text.capacity + 1, fields[k + 1].text.offset);
    }
  }
  EXPECT_EQ(fields.back().text.offset + fields.back().text.capacity + 1 + 102, std::size_t(kCustomerRecordLength));
}

TEST(CustomerRecord, FormWritesTheEditorsFieldsAndTheFlagsAsYOrN) {
  RecordBuffer r(kCustomerRecordLength);
  CustomerForm f;
  f.number = "A-7";
  f.name = "Smith Ltd";
  f.taxExempt = "y";
  f.creditLimit = " 1,500.00 ";
  f.creditHold = true;
  f.notesOnStatements = false;
  FormToRecord(f, r);
  EXPECT_EQ(r.data()[4], 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.data()) + 5, 3), "A-7");
  EXPECT_EQ(ReadText(r, kTaxExempt), "Y");
  EXPECT_EQ(ReadText(r, kCreditLimit), "1500.00");
  EXPECT_EQ(ReadText(r, common::TextField{853, 1}), "Y");
  EXPECT_EQ(ReadText(r, common::TextField{785, 1}), "N");
  f.creditLimit = "";
  FormToRecord(f, r);
  EXPECT_EQ(ReadText(r, kCreditLimit), "0.00");
  // What is read back is what was written, except the normalised fields.
  CustomerForm back = FormFromRecord(r);
  EXPECT_EQ(back.name, "Smith Ltd");
  EXPECT_EQ(back.taxExempt, "Y");
  EXPECT_TRUE(back.creditHold);
}

TEST(CustomerKey, NamesCollideWhateverTheirCaseAndBlanksAndNumbersArePaddedTo8) {
  RecordBuffer a = MakeCustomer("12", "Smith Ltd");
  RecordBuffer b = MakeCustomer(" 12 ", " SMITH LTD\t");
  EXPECT_EQ(CustomerKey(a, 1), CustomerKey(b, 1));
  EXPECT_EQ(CustomerKey(a, 1), "SMITH LTD" + std::string(21, ' '));
  EXPECT_EQ(CustomerKey(b, 2), "12      ");
  EXPECT_EQ(CustomerKey(a, 3), "");
  EXPECT_EQ(CustomerKey(a, 0), "");
  RecordBuffer longName = MakeCustomer("x", std::string(35, 'q'));
  EXPECT_EQ(CustomerKey(longName, 1), std::string(30, 'Q'));
  // Numbers are free text, as typed: not forced to digits or case, but keyed upper-cased.
  EXPECT_EQ(CustomerKey(MakeCustomer("ab-7", "n"), 2), "AB-7    ");
}

TEST(CustomerFileName, CompanyNumberTrimmedThenCAndCutTo8) {
  EXPECT_EQ(CustomerFileName("12"), "12C");
  EXPECT_EQ(CustomerFileName(" 7"), "7C");
  EXPECT_EQ(CustomerFileName("1234567890"), "12345678");
}

TEST(NextCustomerNumber, ReadsTheLeadingIntegerAsTheRunTimeDoes) {
  struct Case { const char* used; const char* next; };
  for (Case c : {Case{"A-7", "1"}, Case{"0012", "13"}, Case{"ABC", "1"}, Case{"  99", "100"},
                 Case{"12B", "13"}, Case{"", "1"}, Case{"-5", "-4"}, Case{"+8", "9"}})
    EXPECT_EQ(NextCustomerNumberAfter(c.used), c.next) << c.used;
}

TEST(ShortName, FromTheNameOnLeavingIt) {
  struct Case { const char* name; const char* shortName; };
  for (Case c : {Case{"Madonna", "Madonna"}, Case{"Mary Ann Smith", "MAnn Smith"}, Case{"John Smith", "JSmith"},
                 Case{"Supercalifragilistic", "Supercalif"}, Case{"A Verylongsurname", "AVerylongs"}})
    EXPECT_EQ(ShortNameOf(c.name), c.shortName) << c.name;
}

TEST(QuickView, AgingCaptionsFromTheCompanyAndAmountsShown) {
  RecordBuffer co(company::kCompanyRecordLength);
  WriteText(co, company::kAgingCaption1, " Current: ");
  WriteText(co, company::kAgingCaption2, "31-60:");
  WriteText(co, company::kAgingCaption3, "61-90:");
  WriteText(co, company::kAgingDays3, " 90");
  RecordBuffer c = MakeCustomer("7", "Acme", "1234.5");
  WriteText(c, kAgingAmount4, "-20");
  WriteText(c, kAgingAmount2, "bad");
  QuickView v = QuickViewOf(co, c);
  EXPECT_EQ(v.balance, "1,234.50");
  EXPECT_EQ(v.agingCaption[0], "Current:");
  EXPECT_EQ(v.agingCaption[3], "Over 90:");
  EXPECT_EQ(v.agingAmount[0], "0.00");
  EXPECT_EQ(v.agingAmount[1], "bad");  // shown as stored until aging repairs it
  EXPECT_EQ(v.agingAmount[3], "-20.00");
  EXPECT_FALSE(v.invoice.has_value());
}

class CustomerFileTest : public CustomerFolderTest {};

TEST_F(CustomerFileTest, MissingFileIsCreatedAfterTheNoticeAndCancelGivesUp) {
  engine::FileBlock* handle = nullptr;
  prompter_.Answer(common::PromptAnswer::Cancel);
  EXPECT_FALSE(OpenCustomerFile(handle, "1", prompter_, status_));
  ASSERT_EQ(prompter_.Shown().size(), 1u);
  EXPECT_EQ(prompter_.Shown()[0].text, "I am going to create a new, empty customer file for this company.");
  EXPECT_EQ(prompter_.Shown()[0].caption, "New Company");
  OpenCustomers();
  EXPECT_EQ(engine::RecordLength(customers_.get()), 1008);
  EXPECT_EQ(engine::KeyCount(customers_.get()), 2);
  EXPECT_EQ(CheckCustomers(), "");
}

TEST_F(CustomerFileTest, SecondCustomerOfTheSameNameIsRefusedButARepeatedNumberIsNot) {
  OpenCustomers();
  Add(Customer("1", "ACME"));
  std::int32_t ref = 0;
  EXPECT_FALSE(records::AddKeyedRecord(customers_.get(), CustomerFileKind(), Customer("2", "Acme "), ref, quiet_));
  Add(Customer("1", "Other"));  // the index tolerates it; the editor refuses it beforehand
  EXPECT_EQ(engine::UsedRecords(customers_.get()), 2);
  RecordBuffer found(kCustomerRecordLength);
  ASSERT_TRUE(FindCustomerByName(customers_.get(), " acme", found));
  EXPECT_EQ(ReadText(found, kCustomerName), "ACME");
  // The next greater key is not a match.
  EXPECT_FALSE(FindCustomerByName(customers_.get(), "ACM", found));
  EXPECT_FALSE(FindCustomerByNumber(customers_.get(), "0", found));
  EXPECT_TRUE(FindCustomerByNumber(customers_.get(), "1 ", found));
  EXPECT_EQ(CheckCustomers(), "");
}

}  // namespace
}  // namespace tf::customers::testing
