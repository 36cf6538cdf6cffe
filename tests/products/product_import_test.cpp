// Products in and out as CSV: a file is checked whole before anything is written, rows are
// added in file order as the Product Manager adds them, and an export reads back as it was.

#include <gtest/gtest.h>

#include "common/scripted_prompter.h"
#include "records/product_fields.h"
#include "products/product_import.h"
#include "tests/products/product_fixture.h"

namespace tf::products {
namespace {

using namespace records::product;

using common::DateFormat;
using testing::MakeProduct;

class ProductImportTest : public testing::ProductFolderTest {
 protected:
  ProductImport Plan(std::string_view csv) {
    return PlanProductImport(products_, csv, "03/14/2026", DateFormat::MonthFirst);
  }
  common::ScriptedPrompter prompter;
};

TEST_P(ProductImportTest, GoodRowsAreAddedInFileOrderAsTheManagerAddsThem) {
  MakeProducts();
  const auto plan = Plan(
      "ProductDescription,ProductCode,SalesPrice,Taxable,ProductNotes\r\n"
      "\"Bolts, 10 mm\",b10,12.5,y,\"say \"\"hi\"\"\"\r\n"
      "Anchor,a1,,,\r\n"
      "  Washer  ,W1,-3,N,\n");
  ASSERT_TRUE(plan.errors.empty()) << plan.errors.front().line << ": " << plan.errors.front().text;
  ASSERT_TRUE(WriteProductImport(products_, plan, prompter));
  common::RecordBuffer r(kProductRecordLength);
  engine::GetRecord(products_, 1, r.data());
  EXPECT_EQ(ProductFieldValues(r),
            (std::vector<std::string>{"b10", "Bolts, 10 mm", "Y", "12.5", "say \"hi\"", "03/14/2026", ""}));
  engine::GetRecord(products_, 2, r.data());
  EXPECT_EQ(ProductFieldValues(r), (std::vector<std::string>{"a1", "Anchor", "N", "0.00", "", "03/14/2026", ""}));
  engine::GetRecord(products_, 3, r.data());
  EXPECT_EQ(common::ReadText(r, kProductDescription), "  Washer  ");
  EXPECT_EQ(engine::UsedKeys(products_, 1), 3);
  ExpectClean();
}

TEST_P(ProductImportTest, AFileWithBadRowsIsRefusedWholeWithEveryBadLine) {
  MakeProducts();
  std::int32_t ref = 0;
  ASSERT_TRUE(records::AddKeyedRecord(products_, ProductFileKind(), MakeProduct({.code = "OLD", .description = "Old one"}), ref, prompter));
  const auto plan = Plan(
      "ProductCode,ProductDescription,SalesPrice,Taxable,SetupDate\n"
      "ok1,Fine,1.00,Y,\n"            // 2
      " ,No code,1,N,\n"              // 3
      "x1,  ,1,N,\n"                  // 4
      "OK1 ,Same code,1,N,\n"         // 5
      "old,Taken,1,N,\n"              // 6
      "p1,Price,\"1,000.00\",N,\n"    // 7
      "t1,Tax,1,maybe,\n"             // 8
      "d1," + std::string(33, 'd') + ",1,N,\n"  // 9
      "s1,Date,1,N,31/12/2026\n"      // 10
      "fine2,Also fine,2,N,12/31/2026\n");
  std::vector<std::pair<std::size_t, std::string>> got;
  for (const auto& e : plan.errors) got.emplace_back(e.line, e.text);
  EXPECT_EQ(got, (std::vector<std::pair<std::size_t, std::string>>{
                     {3, "You need to enter a product code."},
                     {4, "You need to enter a product description or name."},
                     {5, "ProductCode: OK1 appears on an earlier line"},
                     {6, "This Product Code already exists for: Old one. Use a different code."},
                     {7, "SalesPrice: not a plain number (digits with \".\", no commas)"},
                     {8, "Taxable: must be Y or N"},
                     {9, "ProductDescription: longer than 32 characters"},
                     {10, "SetupDate: not a date in the form mm/dd/yyyy"}}));
  EXPECT_TRUE(plan.records.empty());
  EXPECT_FALSE(WriteProductImport(products_, plan, prompter));
  EXPECT_EQ(engine::UsedRecords(products_), 1);
  ExpectClean();
}

TEST_P(ProductImportTest, HeaderNeedsCodeAndDescription) {
  MakeProducts();
  const auto plan = Plan("ProductCode,Price\nA,1\n");
  ASSERT_FALSE(plan.errors.empty());
  EXPECT_EQ(plan.errors.front().line, 1u);
  ExpectClean();
}

TEST_P(ProductImportTest, ExportReadsBackTheSameRecords) {
  MakeProducts();
  std::int32_t ref = 0;
  const std::vector<testing::ProductValues> products{
      {.code = "Z", .description = "Last, \"quoted\"", .price = "9.99", .taxable = true, .notes = "two\r\nlines",
       .setupDate = "01/02/2025", .lastChanged = "02/03/2026"},
      {.code = "a", .description = "\xe9t\xe9", .price = "0.00"}};
  for (const auto& p : products) ASSERT_TRUE(records::AddKeyedRecord(products_, ProductFileKind(), MakeProduct(p), ref, prompter));
  std::string csv;
  ASSERT_TRUE(ExportProducts(products_, csv));
  EXPECT_EQ(csv.substr(0, csv.find('\n') + 1),
            "ProductCode,ProductDescription,Taxable,SalesPrice,ProductNotes,SetupDate,LastChangedDate\r\n");
  ExpectClean();

  MakeProducts("2P");
  const auto plan = Plan(csv);
  ASSERT_TRUE(plan.errors.empty()) << plan.errors.front().text;
  ASSERT_TRUE(WriteProductImport(products_, plan, prompter));
  // Code order on the way out: "A" before "Z".
  common::RecordBuffer r(kProductRecordLength);
  engine::GetRecord(products_, 1, r.data());
  EXPECT_EQ(r, MakeProduct(products[1]));
  engine::GetRecord(products_, 2, r.data());
  EXPECT_EQ(r, MakeProduct(products[0]));
  ExpectClean("2P");
}

TF_POOL_SIZES(ProductImportTest);

}  // namespace
}  // namespace tf::products
