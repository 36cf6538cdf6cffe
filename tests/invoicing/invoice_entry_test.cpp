// The invoice entry model without files: typed numbers, extensions and totals, the checks of
// OK in their order with their messages and focus, the memo body, and the records it builds.

#include "invoicing/invoice_entry.h"

#include <gtest/gtest.h>

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/text.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "invoicing/entry_numbers.h"
#include "records/invoice_record.h"
#include "records/product_record.h"

namespace tf::invoicing {
namespace {

using namespace std::chrono;
using common::Money;
using common::PromptAnswer;
using common::ReadText;
using common::RecordBuffer;
using common::ScriptedPrompter;
namespace inv = records::invoice;

EntryCompany Company() {
  EntryCompany c;
  c.companyNumber = "1";
  c.nextInvoiceNumber = "100";
  c.taxRate = *common::ParseAmount("8");
  c.taxRateText = "8";
  c.calculateTaxes = true;
  c.defaultQuantity = "1";
  c.defaultTerms = "Net 30 Days";
  return c;
}

EntryCustomer Customer(std::string number = "C1") {
  EntryCustomer c;
  c.number = number;
  c.name = "Ann Smith";
  c.shortName = "SMITH";
  return c;
}

class InvoiceEntryTest : public ::testing::Test {
 protected:
  InvoiceEntryTest() : entry_(Services(), Company()) { entry_.BeginAdd(1999y / March / 7d); }

  InvoiceEntry::Services Services() {
    return {prompter_, clock_,
            [this](const std::string& n) -> std::optional<bool> {
              asked_.push_back(n);
              return n == "TAKEN";
            },
            [] { return std::vector<std::string>{"Net 30 Days", "Due on receipt"}; },
            [this](const std::vector<std::string>& t) {
              savedTerms_ = t;
              return true;
            }};
  }

  // A valid line-item invoice: one product row.
  void FillValid() {
    entry_.ChooseCustomer(Customer());
    ASSERT_TRUE(entry_.SetCell(1, kDescriptionColumn, "Widget"));
    ASSERT_TRUE(entry_.SetCell(1, kQuantityColumn, "2"));
    ASSERT_TRUE(entry_.SetCell(1, kUnitPriceColumn, "10.00"));
  }

  ScriptedPrompter prompter_;
  common::FixedClock clock_{2000y / January / 1d};
  std::vector<std::string> asked_;
  std::vector<std::string> savedTerms_;
  InvoiceEntry entry_;
};

TEST(EnteredNumberTest, CommasOnlyBetweenThousands) {
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"1,5", std::nullopt},   {"12,34", std::nullopt},     {",123", std::nullopt},  {"1,2345", std::nullopt},
      {"1.234,5", std::nullopt}, {"1,,234", std::nullopt},  {"1,234.", "1234.00"},   {"1,234.50", "1234.50"},
      {"-1,234", "-1234.00"},  {"1,234,567", "1234567.00"}, {" 12 ", "12.00"},      {"", "0.00"},
      {"123,456.7", "123456.70"}, {"1e3", std::nullopt},    {"abc", std::nullopt},
  };
  for (const auto& [text, expected] : cases) {
    const auto value = ReadEnteredNumber(text);
    ASSERT_EQ(value.has_value(), expected.has_value()) << text;
    if (value) {
      EXPECT_EQ(common::Format0_00(*value), *expected) << text;
    }
  }
  EXPECT_TRUE(FitsWidth(*common::ParseAmount("9999999.99")));
  EXPECT_FALSE(FitsWidth(*common::ParseAmount("10000000.00")));
  EXPECT_TRUE(FitsWidth(*common::ParseAmount("-999999.99")));
  EXPECT_FALSE(FitsWidth(*common::ParseAmount("-1000000.00")));
}

TEST_F(InvoiceEntryTest, ANewInvoiceStartsFromTheCompany) {
  EXPECT_EQ(entry_.Number(), "100");
  EXPECT_EQ(entry_.Date(), "03/07/1999");
  EXPECT_EQ(entry_.KeyCode(), "None");
  EXPECT_EQ(entry_.Terms(), "Net 30 Days");
  EXPECT_EQ(entry_.TotalText(), "0.00");
  EXPECT_EQ(entry_.Row(5).cell, (std::array<std::string, 7>{"5", "", "1", "", "0.00", "N", "0.00"}));
  EXPECT_EQ(entry_.TaxBoxCaption(), "Calc. Tax at 8%");
  EXPECT_EQ(entry_.Focus(), EntryField::Customer);
}

TEST_F(InvoiceEntryTest, ExtensionsRoundHalfAwayFromZero) {
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"2.5", "0.25", "0.63"},       {"-2.5", "0.25", "-0.63"},   {"1,000", "1.5", "1,500.00"},
      {"", "3.00", "0.00"},          {"3", "", "0.00"},           {"0.333", "3", "1.00"},
      {"10", "-19.99", "-199.90"},
  };
  for (const auto& [quantity, price, extension] : cases) {
    ASSERT_TRUE(entry_.SetCell(1, kQuantityColumn, quantity));
    ASSERT_TRUE(entry_.SetCell(1, kUnitPriceColumn, price));
    EXPECT_EQ(entry_.Row(1).cell[kExtensionColumn], extension) << quantity << " x " << price;
  }
}

TEST_F(InvoiceEntryTest, TaxOnlyOnMarkedRowsWhileTheBoxIsChecked) {
  entry_.ChooseCustomer(Customer());
  entry_.SetCell(1, kQuantityColumn, "1");
  entry_.SetCell(1, kUnitPriceColumn, "10.05");
  entry_.SetCell(1, kTaxColumn, "y");
  entry_.SetCell(2, kQuantityColumn, "1");
  entry_.SetCell(2, kUnitPriceColumn, "100");  // not taxable
  entry_.SetCell(3, kQuantityColumn, "-1");
  entry_.SetCell(3, kUnitPriceColumn, "2.50");  // a taxable credit line
  entry_.SetCell(3, kTaxColumn, "Y");
  EXPECT_EQ(entry_.NetText(), "107.55");
  EXPECT_EQ(entry_.TaxText(), "0.60");  // 7.55 x 8% = 0.604
  EXPECT_EQ(entry_.TotalText(), "108.15");
  ASSERT_TRUE(entry_.SetPaid("8.15"));
  EXPECT_EQ(entry_.BalanceText(), "100.00");
  entry_.SetTaxBox(false);
  EXPECT_EQ(entry_.TaxText(), "0.00");
  EXPECT_EQ(entry_.TotalText(), "107.55");
  EntryCustomer exempt = Customer();
  exempt.taxExempt = true;
  entry_.ChooseCustomer(exempt);
  EXPECT_FALSE(entry_.TaxBoxEnabled());
  EXPECT_EQ(entry_.TaxBoxCaption(), "Tax Exempt");
  entry_.SetTaxBox(true);  // disabled: stays off
  EXPECT_EQ(entry_.TaxText(), "0.00");
}

TEST_F(InvoiceEntryTest, CellsLongerThanTheirColumnAreRefusedNotCut) {
  EXPECT_FALSE(entry_.SetCell(1, kQuantityColumn, "12345678901"));
  EXPECT_FALSE(entry_.SetCell(1, kDescriptionColumn, std::string(33, 'x')));
  EXPECT_TRUE(entry_.SetCell(1, kDescriptionColumn, std::string(32, 'x')));
  EXPECT_FALSE(entry_.SetCell(100, kCodeColumn, "A"));
  EXPECT_FALSE(entry_.SetCell(1, kExtensionColumn, "1"));
  EXPECT_FALSE(entry_.SetNumber("1234567890"));
  EXPECT_EQ(entry_.Number(), "100");
}

// A row typed at once is the same as its cells typed one by one, and one cell it would refuse
// leaves the whole row as it was.
TEST_F(InvoiceEntryTest, ARowTypedAtOnceIsItsCellsInTurn) {
  const std::pair<int, std::string_view> row[] = {
      {kCodeColumn, "W1"}, {kQuantityColumn, "2.5"}, {kDescriptionColumn, "Widget"}, {kUnitPriceColumn, "0.25"},
      {kTaxColumn, "y"}};
  ASSERT_TRUE(entry_.SetCells(2, row));
  for (const auto& [column, text] : row) ASSERT_TRUE(entry_.SetCell(3, column, text));
  EXPECT_EQ(entry_.Row(2).cell[kExtensionColumn], "0.63");
  EXPECT_EQ(entry_.Row(2).cell[kTaxColumn], "Y");
  for (int c : {kCodeColumn, kQuantityColumn, kDescriptionColumn, kUnitPriceColumn, kTaxColumn, kExtensionColumn})
    EXPECT_EQ(entry_.Row(2).cell[std::size_t(c)], entry_.Row(3).cell[std::size_t(c)]) << c;
  EXPECT_EQ(entry_.NetText(), "1.26");

  const std::pair<int, std::string_view> tooLong[] = {{kQuantityColumn, "7"}, {kDescriptionColumn, "x"},
                                                       {kUnitPriceColumn, "12345678901"}};
  EXPECT_FALSE(entry_.SetCells(2, tooLong));
  EXPECT_EQ(entry_.Row(2).cell[kQuantityColumn], "2.5");
  EXPECT_EQ(entry_.NetText(), "1.26");
}

// Totals and the next invoice see every row that was ever typed in, however far down, and a new
// invoice starts from an empty grid after one that used its last row.
TEST_F(InvoiceEntryTest, EveryTypedRowCountsAndANewInvoiceClearsThemAll) {
  entry_.ChooseCustomer(Customer());
  ASSERT_TRUE(entry_.SetCell(kGridRows, kDescriptionColumn, "Last row"));
  ASSERT_TRUE(entry_.SetCell(kGridRows, kUnitPriceColumn, "7.00"));
  ASSERT_TRUE(entry_.SetCell(40, kDescriptionColumn, "Middle row"));
  ASSERT_TRUE(entry_.SetCell(40, kUnitPriceColumn, "3.00"));
  entry_.MakeComment(60);
  EXPECT_EQ(entry_.NetText(), "10.00");
  ASSERT_TRUE(entry_.Accept());
  EXPECT_EQ(entry_.LineRecords({}).size(), 2u);  // a comment row without text is not stored

  entry_.BeginAdd(1999y / March / 8d);
  EXPECT_EQ(entry_.NetText(), "0.00");
  for (int r : {40, 60, kGridRows})
    EXPECT_EQ(entry_.Row(r).cell, (std::array<std::string, 7>{std::to_string(r), "", "1", "", "0.00", "N", "0.00"}))
        << r;
  ASSERT_TRUE(entry_.SetCell(1, kDescriptionColumn, "Again"));
  EXPECT_EQ(entry_.LineRecords({}).size(), 1u);
}

// The rows never typed in still hold the company's default quantity, so a default quantity that
// is not a number is named on the first of them.
TEST(InvoiceEntryDefaults, ABadDefaultQuantityIsNamedOnTheFirstUntypedRow) {
  ScriptedPrompter prompter;
  common::FixedClock clock{2000y / January / 1d};
  EntryCompany company = Company();
  company.defaultQuantity = "one";
  InvoiceEntry entry({prompter, clock, [](const std::string&) -> std::optional<bool> { return false; },
                      [] { return std::vector<std::string>{"Net 30 Days"}; },
                      [](const std::vector<std::string>&) { return true; }},
                     company);
  entry.BeginAdd(1999y / March / 7d);
  entry.ChooseCustomer(Customer());
  const std::pair<int, std::string_view> cells[] = {{kQuantityColumn, "1"}, {kDescriptionColumn, "Widget"}, {kUnitPriceColumn, "5"}};
  ASSERT_TRUE(entry.SetCells(1, cells));
  ASSERT_TRUE(entry.SetCells(2, cells));
  EXPECT_FALSE(entry.Accept());
  EXPECT_EQ(entry.Focus(), EntryField::Grid);
  EXPECT_EQ(entry.FocusRow(), 3);
  ASSERT_FALSE(prompter.Texts().empty());
  EXPECT_EQ(prompter.Texts().back(), "Line 3 has an invalid QUANTITY value.");
}

struct CheckCase {
  const char* name;
  std::function<void(InvoiceEntry&)> arrange;
  std::string message;
  EntryField focus;
  int row = 0;
};

TEST_F(InvoiceEntryTest, ChecksRunInOrderAndFocusTheirField) {
  const CheckCase cases[] = {
      {"no number", [](InvoiceEntry& e) { e.SetNumber(" "); e.SetDate("x"); }, std::string(kNeedNumber),
       EntryField::Number},
      {"no customer", [](InvoiceEntry& e) { e.BeginAdd(1999y / March / 7d); e.SetDate("x"); },
       std::string(kNeedCustomer), EntryField::Customer},
      {"bad date", [](InvoiceEntry& e) { e.SetDate("02/30/1999"); e.SetNumber("G1"); }, std::string(kInvalidDate),
       EntryField::Date},
      {"G", [](InvoiceEntry& e) { e.SetNumber("a1g"); }, std::string(kReservedG), EntryField::Number},
      {"I", [](InvoiceEntry& e) { e.SetNumber("i7"); }, std::string(kReservedI), EntryField::Number},
      {"DP", [](InvoiceEntry& e) { e.SetNumber("dp12"); }, std::string(kReservedDP), EntryField::Number},
      {"quantity", [](InvoiceEntry& e) { e.SetCell(4, kQuantityColumn, "1,5"); },
       "Line 4 has an invalid QUANTITY value.", EntryField::Grid, 4},
      {"price no quantity",
       [](InvoiceEntry& e) { e.SetCell(2, kDescriptionColumn, "x"); e.SetCell(2, kQuantityColumn, ""); },
       "Line 2 has a unit price but no quantity.", EntryField::Grid, 2},
      {"quantity no price",
       [](InvoiceEntry& e) { e.SetCell(2, kDescriptionColumn, "x"); e.SetCell(2, kUnitPriceColumn, ""); },
       "Line 2 has a quantity but no unit price.", EntryField::Grid, 2},
      {"price", [](InvoiceEntry& e) { e.SetCell(1, kUnitPriceColumn, "ten"); },
       "Line 1 has an invalid UNIT PRICE value.", EntryField::Grid, 1},
      {"amount without a line", [](InvoiceEntry& e) { e.SetCell(5, kUnitPriceColumn, "3"); },
       "Line 5 has an amount but no product code or description.", EntryField::Grid, 5},
      {"no description",
       [](InvoiceEntry& e) { e.SetCell(1, kCodeColumn, "P9"); e.SetCell(1, kDescriptionColumn, ""); },
       std::string(kNoDescription), EntryField::Grid, 1},
      {"duplicate", [](InvoiceEntry& e) { e.SetNumber("taken"); }, std::string(kDuplicateNumber),
       EntryField::Number},
      {"paid", [](InvoiceEntry& e) { e.SetPaid("1,0"); }, "The PAID amount has an invalid value.", EntryField::Paid},
      {"extension too wide",
       [](InvoiceEntry& e) { e.SetCell(1, kQuantityColumn, "10000"); e.SetCell(1, kUnitPriceColumn, "1000"); },
       "Line 1 has an extension too large for an invoice.", EntryField::Grid, 1},
      {"total too wide",
       [](InvoiceEntry& e) {
         for (int r = 1; r <= 2; ++r) {
           e.SetCell(r, kDescriptionColumn, "x");
           e.SetCell(r, kQuantityColumn, "1");
           e.SetCell(r, kUnitPriceColumn, "6000000");
         }
       },
       "The NET amount is too large for an invoice.", EntryField::Net},
      {"overpaid", [](InvoiceEntry& e) { e.SetPaid("21.61"); }, std::string(kPaidOverTotal), EntryField::Paid},
      {"paid against a credit", [](InvoiceEntry& e) { e.SetCell(1, kQuantityColumn, "-2"); e.SetPaid("5"); },
       std::string(kPaidOppositeSign), EntryField::Paid},
  };
  for (const CheckCase& c : cases) {
    entry_.BeginAdd(1999y / March / 7d);
    FillValid();
    prompter_.Clear();
    c.arrange(entry_);
    EXPECT_FALSE(entry_.Accept()) << c.name;
    ASSERT_FALSE(prompter_.Shown().empty()) << c.name;
    EXPECT_EQ(prompter_.Shown().back().text, c.message) << c.name;
    EXPECT_EQ(entry_.Focus(), c.focus) << c.name;
    EXPECT_EQ(entry_.FocusRow(), c.row) << c.name;
  }
}

TEST_F(InvoiceEntryTest, AValidInvoiceIsAcceptedAndANewTermJoinsTheList) {
  FillValid();
  ASSERT_TRUE(entry_.SetPaid("20.01"));  // the total is 20.00: the row is not taxable
  EXPECT_FALSE(entry_.Accept());
  EXPECT_EQ(prompter_.Texts().back(), kPaidOverTotal);
  ASSERT_TRUE(entry_.SetPaid("20"));
  ASSERT_TRUE(entry_.SetTerms("net 30 days"));  // in the list, whatever the case
  prompter_.Clear();
  EXPECT_TRUE(entry_.Accept());
  EXPECT_TRUE(prompter_.Shown().empty());
  ASSERT_FALSE(asked_.empty());
  EXPECT_EQ(asked_.back(), "100");

  ASSERT_TRUE(entry_.SetTerms("Net 10"));
  prompter_.Answer(PromptAnswer::Cancel);
  EXPECT_FALSE(entry_.Accept());
  EXPECT_EQ(entry_.Focus(), EntryField::Terms);
  EXPECT_EQ(prompter_.Shown().back().caption, "Terms: Net 10");
  prompter_.Answer(PromptAnswer::Yes);
  EXPECT_TRUE(entry_.Accept());
  EXPECT_EQ(savedTerms_, (std::vector<std::string>{"Net 30 Days", "Due on receipt", "Net 10"}));
}

// A blank terms box is no new term: nothing is asked and the terms file gets no blank entry.
TEST_F(InvoiceEntryTest, BlankTermsAskNothingAndAddNothing) {
  FillValid();
  ASSERT_TRUE(entry_.SetTerms("   "));
  prompter_.Clear();
  EXPECT_TRUE(entry_.Accept());
  EXPECT_TRUE(prompter_.Shown().empty());
  EXPECT_TRUE(savedTerms_.empty());
}

TEST_F(InvoiceEntryTest, ANoChargeInvoiceAndTheCreditLimitAsk) {
  entry_.ChooseCustomer(Customer());
  entry_.SetCell(1, kDescriptionColumn, "Free sample");
  entry_.SetCell(1, kUnitPriceColumn, "0");
  prompter_.Answer(PromptAnswer::No);
  EXPECT_FALSE(entry_.Accept());
  EXPECT_EQ(prompter_.Texts().back(), kNoCharge);
  prompter_.Answer(PromptAnswer::Yes);
  EXPECT_TRUE(entry_.Accept());

  EntryCustomer limited = Customer();
  limited.creditLimit = *common::ParseAmount("100");
  limited.balance = *common::ParseAmount("90");
  prompter_.Clear();
  entry_.ChooseCustomer(limited);  // 90 is within 100: no warning
  EXPECT_TRUE(prompter_.Shown().empty());
  entry_.SetCell(1, kUnitPriceColumn, "10.01");
  prompter_.Answer(PromptAnswer::No);
  EXPECT_FALSE(entry_.Accept());
  EXPECT_EQ(prompter_.Texts().back(), kOverLimit);
}

TEST_F(InvoiceEntryTest, PickingACustomerWarnsOfLimitAndHold) {
  EntryCustomer c = Customer();
  c.creditLimit = *common::ParseAmount("100");
  c.balance = *common::ParseAmount("100.01");
  c.creditHold = true;
  c.terms = "Due on receipt";
  entry_.ChooseCustomer(c);
  EXPECT_EQ(prompter_.Texts(), (std::vector<std::string>{std::string(kCustomerOverLimit), std::string(kCustomerOnHold)}));
  EXPECT_EQ(entry_.Terms(), "Due on receipt");
}

TEST_F(InvoiceEntryTest, CommentRowsAndProducts) {
  entry_.ChooseCustomer(Customer());
  RecordBuffer product(records::product::kProductRecordLength);
  common::WriteText(product, records::product::kProductCode, "W-1");
  common::WriteText(product, records::product::kProductDescription, "Widget");
  common::WriteText(product, records::product::kSalesPrice, "2.50");
  common::WriteBool(product, records::product::kTaxable, true);
  entry_.SetCell(1, kQuantityColumn, "3");
  entry_.ApplyProduct(1, product, true);  // picked: the default quantity
  EXPECT_EQ(entry_.Row(1).cell, (std::array<std::string, 7>{"1", "W-1", "1", "Widget", "2.50", "Y", "2.50"}));
  entry_.SetCell(2, kQuantityColumn, "4");
  entry_.SetCell(2, kCodeColumn, "w-1");
  EXPECT_FALSE(entry_.EnterProductCode(2, product));  // typed: the typed quantity stays
  EXPECT_EQ(entry_.Row(2).cell[kExtensionColumn], "10.00");
  entry_.SetCell(3, kCodeColumn, "nope");
  prompter_.Answer(PromptAnswer::Yes);
  EXPECT_TRUE(entry_.EnterProductCode(3, {}));
  EXPECT_EQ(prompter_.Texts().back(), kProductNotFound);
  entry_.EraseLine(3);
  entry_.MakeComment(3);
  entry_.SetCell(3, kDescriptionColumn, "Thank you");
  EXPECT_EQ(entry_.Row(3).cell[kQuantityColumn], " ");
  EXPECT_TRUE(entry_.Accept()) << prompter_.Texts().back();  // a blank quantity on a comment row is fine
  EXPECT_EQ(entry_.LineText(entry_.Row(3)),
            std::string(10, ' ') + common::PadRight("Thank you", 32) + std::string(10, ' ') + " " + "0.00      ");
  EXPECT_EQ(entry_.LineText(entry_.Row(2)),
            common::PadRight("4", 10) + common::PadRight("Widget", 32) + common::PadRight("2.50", 10) + "Y" +
                common::PadRight("10.00", 10));
}

TEST_F(InvoiceEntryTest, TheMemoBodyIsWrappedAndNeverCut) {
  entry_.SetStyle(InvoiceStyle::Memo);
  const std::string word = "abcdefghi ";  // 10 characters
  std::string longLine;
  for (int i = 0; i < 15; ++i) longLine += word;  // 150 characters
  entry_.SetMemoText("short\r\n" + longLine);
  const auto body = entry_.MemoBody();
  ASSERT_TRUE(body.has_value());
  ASSERT_EQ(body->size(), 4u);
  EXPECT_EQ((*body)[0], "short");
  EXPECT_EQ((*body)[1].size(), 69u);  // seven words, broken before the eighth
  std::string joined;
  for (std::size_t i = 1; i < body->size(); ++i) joined += (*body)[i] + " ";
  EXPECT_EQ(common::TrimBoth(joined), common::TrimBoth(longLine));  // nothing lost
  for (const std::string& l : *body) EXPECT_LE(l.size(), kMemoLineWidth);

  std::string many;
  for (int i = 0; i < 26; ++i) many += "line\n";
  entry_.SetMemoText(many);
  EXPECT_FALSE(entry_.MemoBody().has_value());
  entry_.ChooseCustomer(Customer());
  entry_.SetMemoDescription("Consulting");
  entry_.SetNet("100");
  prompter_.Clear();
  EXPECT_FALSE(entry_.Accept());
  EXPECT_EQ(entry_.Focus(), EntryField::Memo);
  entry_.SetMemoText("   \n  ");
  EXPECT_FALSE(entry_.Accept());
  EXPECT_EQ(prompter_.Texts().back(), kNoMemoText);
}

TEST_F(InvoiceEntryTest, MemoStyleTakesTypedAmountsAndSuggestsTheTax) {
  entry_.SetStyle(InvoiceStyle::Memo);
  entry_.ChooseCustomer(Customer());
  entry_.SetMemoText("Work done");
  ASSERT_TRUE(entry_.SetNet("1,000"));
  EXPECT_EQ(entry_.TaxHint(), "Tax on 1,000.00 is 80.00.");
  EXPECT_EQ(entry_.TaxText(), "0.00");  // not filled in for the user
  ASSERT_TRUE(entry_.SetTax("5"));
  EXPECT_EQ(entry_.TotalText(), "1,005.00");
  EXPECT_FALSE(entry_.Accept());
  EXPECT_EQ(prompter_.Texts().back(), kNoMemoDescription);
  entry_.SetMemoDescription("Consulting");
  entry_.SetMemoQuantity("x");  // refused, not replaced
  EXPECT_FALSE(entry_.Accept());
  EXPECT_EQ(prompter_.Texts().back(), "The QUANTITY has an invalid value.");
  EXPECT_EQ(entry_.Focus(), EntryField::MemoQuantity);
  EXPECT_EQ(entry_.MemoQuantity(), "x");
  entry_.SetMemoQuantity("");  // empty: the usual one
  EXPECT_TRUE(entry_.Accept());
  EXPECT_EQ(entry_.MemoQuantity(), "1");
  const auto lines = entry_.LineRecords({});
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(ReadText(lines[0], inv::kLineKind), "M");
  EXPECT_EQ(ReadText(lines[0], inv::kLineProductCode), "Memo");
  EXPECT_EQ(ReadText(lines[0], inv::kLineText),
            common::PadRight("1", 10) + common::PadRight("Consulting", 32) + common::PadRight("1000.00", 10) + "M" +
                common::PadRight("1000.00", 10));
}

TEST_F(InvoiceEntryTest, TheInvoiceRecordOfANewInvoice) {
  FillValid();
  entry_.SetNumber("a100");
  entry_.SetPaid("20");
  entry_.SetNotes("PO 7");
  const RecordBuffer r = entry_.InvoiceRecord();
  EXPECT_EQ(ReadText(r, inv::kInvoiceNumber), "A100");
  EXPECT_EQ(ReadText(r, inv::kRecordKind), "I");
  EXPECT_EQ(ReadText(r, inv::kInvoiceType), "P");
  EXPECT_EQ(ReadText(r, inv::kDateKey), "1999/03/07");
  EXPECT_EQ(ReadText(r, inv::kCustomerNumber), "C1");
  EXPECT_EQ(ReadText(r, inv::kShortName), "SMITH");
  EXPECT_EQ(ReadText(r, inv::kKeyCode), "None");
  EXPECT_EQ(ReadText(r, inv::kTotalAmount), "20.00");
  EXPECT_EQ(ReadText(r, inv::kBalanceDue), "0.00");
  EXPECT_EQ(ReadText(r, inv::kPaidFlag), "P");  // paid at entry
  EXPECT_EQ(ReadText(r, inv::kDatePaid), "1999/03/07");
  const auto lines = entry_.LineRecords({});
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(ReadText(lines[0], inv::kLineInvoiceNumber), "A100");  // upper-cased as the invoice
  EXPECT_EQ(ReadText(lines[0], inv::kLineKind), "P");
  EXPECT_EQ(ReadText(lines[0], inv::kLineDateKey), "1999/03/07");
}

TEST_F(InvoiceEntryTest, EditingKeepsTheStoredAmountsUntilALineChanges) {
  FillValid();
  entry_.SetCell(1, kTaxColumn, "Y");  // 20.00 + 1.60 at today's 8%
  RecordBuffer stored = entry_.InvoiceRecord();
  common::WriteText(stored, inv::kTaxAmount, "1.00");  // taxed at 5% when it was written
  common::WriteText(stored, inv::kTotalAmount, "21.00");
  common::WriteText(stored, inv::kBalanceDue, "21.00");
  const auto lines = entry_.LineRecords({});
  const EntryCustomer customer = Customer();
  entry_.BeginEdit(stored, lines, nullptr, &customer);
  EXPECT_EQ(entry_.TaxText(), "1.00");
  EXPECT_EQ(entry_.TotalText(), "21.00");
  EXPECT_EQ(entry_.Row(1).cell[kExtensionColumn], "20.00");
  EXPECT_EQ(entry_.InvoiceRecord(), stored);  // nothing changed, nothing differs
  EXPECT_EQ(entry_.LineRecords(lines), lines);
  entry_.SetPaid("1");
  EXPECT_EQ(entry_.TotalText(), "21.00");  // paying does not reprice
  EXPECT_EQ(entry_.BalanceText(), "20.00");
  entry_.SetCell(1, kQuantityColumn, "3");
  EXPECT_EQ(entry_.TaxText(), "2.40");
  EXPECT_EQ(entry_.TotalText(), "32.40");
}

TEST_F(InvoiceEntryTest, ASettledInvoiceKeepsItsAmounts) {
  FillValid();
  entry_.SetPaid("20");
  const RecordBuffer stored = entry_.InvoiceRecord();
  const auto lines = entry_.LineRecords({});
  const EntryCustomer customer = Customer();
  entry_.BeginEdit(stored, lines, nullptr, &customer);
  entry_.SetNotes("a note may change");
  EXPECT_TRUE(entry_.Accept());
  entry_.SetCell(1, kUnitPriceColumn, "11");
  entry_.SetPaid("22");
  prompter_.Clear();
  EXPECT_FALSE(entry_.Accept());
  EXPECT_EQ(prompter_.Texts().back(), kSettledAmounts);
}

TEST_F(InvoiceEntryTest, AGeneratedInvoiceKeepsItsLetter) {
  FillValid();
  RecordBuffer stored = entry_.InvoiceRecord();
  common::WriteText(stored, inv::kInvoiceNumber, "A1G3");
  common::WriteText(stored, inv::kRecordKind, "G");
  const EntryCustomer customer = Customer();
  entry_.BeginEdit(stored, entry_.LineRecords({}), nullptr, &customer);
  EXPECT_EQ(entry_.Focus(), EntryField::Notes);
  EXPECT_TRUE(entry_.Accept()) << prompter_.Texts().back();
  EXPECT_TRUE(asked_.empty());  // its own number is no duplicate
}

}  // namespace
}  // namespace tf::invoicing
