// Products in and out as CSV: a file is checked whole before anything is written, rows are
// added in file order as the Product Manager adds them, and an export reads back as it was.

#include <gtest/gtest.h>

#include <sstream>

#include "common/scripted_prompter.h"
#include "common/stored_text.h"
#include "records/product_fields.h"
#include "products/product_editor.h"
#include "products/product_import.h"
#include "records/staged_block.h"
#include "tests/products/product_fixture.h"

namespace tf::products {
namespace {

using namespace records::product;

using common::DateFormat;
using testing::MakeProduct;

class ProductImportTest : public testing::ProductFolderTest {
 protected:
  // Imports `csv` into `name` as the tool does: into a stage that takes the file's place only
  // when every row was good; products_ is open on `name` again afterwards.
  ProductImport Import(const std::string& csv, const std::string& name = "1P") {
    CloseProducts();
    records::StagedBlock stage;
    EXPECT_TRUE(stage.Begin(name, kProductRecordLength, ProductFileKind().keys)) << engine::EngineStatus;
    std::istringstream in(csv);
    ProductImport result = ImportProductRows(stage.get(), in, "03/14/2026", DateFormat::MonthFirst, prompter);
    if (result.Good()) EXPECT_TRUE(stage.Commit());
    else stage.Abandon();
    engine::OpenFileBlock(products_, name);
    EXPECT_TRUE(engine::EngineOK) << engine::EngineStatus;
    return result;
  }
  common::ScriptedPrompter prompter;
};

TEST_P(ProductImportTest, GoodRowsAreAddedInFileOrderAsTheManagerAddsThem) {
  MakeProducts();
  const auto result = Import(
      "ProductDescription,ProductCode,SalesPrice,Taxable,ProductNotes\r\n"
      "\"Bolts, 10 mm\",b10,12.5,y,\"say \"\"hi\"\"\"\r\n"
      "Anchor,a1,,,\r\n"
      "  Washer  ,W1,\"-1,003\",N,\"one\ntwo\"\n");
  ASSERT_TRUE(result.errors.empty()) << result.errors.front().line << ": " << result.errors.front().text;
  ASSERT_TRUE(result.Good());
  common::RecordBuffer r(kProductRecordLength);
  engine::GetRecord(products_, 1, r.data());
  EXPECT_EQ(ProductFieldValues(r),
            (std::vector<std::string>{"b10", "Bolts, 10 mm", "Y", "12.5", "say \"hi\"", "03/14/2026", ""}));
  engine::GetRecord(products_, 2, r.data());
  EXPECT_EQ(ProductFieldValues(r), (std::vector<std::string>{"a1", "Anchor", "N", "0.00", "", "03/14/2026", ""}));
  engine::GetRecord(products_, 3, r.data());
  EXPECT_EQ(common::ReadText(r, kProductDescription), "  Washer  ");
  // A price with thousands separators is read as the editor reads it; notes' breaks are CR LF.
  EXPECT_EQ(common::ReadText(r, kSalesPrice), "-1003");
  EXPECT_EQ(common::ReadText(r, kProductNotes), "one\r\ntwo");
  EXPECT_EQ(engine::UsedKeys(products_, 1), 3);
  ExpectClean();
}

TEST_P(ProductImportTest, AFileWithBadRowsIsRefusedWholeWithEveryBadLine) {
  MakeProducts();
  std::int32_t ref = 0;
  ASSERT_TRUE(records::AddKeyedRecord(products_, ProductFileKind(), MakeProduct({.code = "OLD", .description = "Old one"}), ref, prompter));
  const auto result = Import(
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
      "fine2,Also fine,2,N,12/31/2026\n"  // 11
      "c1,\"Two\nlines\",1,N,\n"       // 12-13
      "e1,Euro \xE2\x82\xAC,1,N,\n"    // 14
      "q1,Decimal comma,\"1,5\",N,\n");  // 15
  std::vector<std::pair<std::size_t, std::string>> got;
  for (const auto& e : result.errors) got.emplace_back(e.line, e.text);
  EXPECT_EQ(got, (std::vector<std::pair<std::size_t, std::string>>{
                     {3, "You need to enter a product code."},
                     {4, "You need to enter a product description or name."},
                     {5, "This Product Code already exists for: Fine. Use a different code."},
                     {6, "This Product Code already exists for: Old one. Use a different code."},
                     {8, "Taxable: must be Y or N"},
                     {9, "ProductDescription: 33 characters where at most 32 can be stored; shorten it."},
                     {10, "SetupDate: not a date in the form mm/dd/yyyy"},
                     {12, "ProductDescription: holds LF, a line break (code 10), which this field cannot store; remove it."},
                     {14, common::UnstorableCharacterText("ProductDescription", U'\u20AC')},
                     {15, "SalesPrice: " + std::string(kBadPriceText)}}));
  EXPECT_EQ(result.added, 3u);  // into the stage, which was dropped
  EXPECT_FALSE(result.Good());
  EXPECT_EQ(engine::UsedRecords(products_), 1);
  ExpectClean();
}

TEST_P(ProductImportTest, HeaderNeedsCodeAndDescription) {
  MakeProducts();
  const auto result = Import("ProductCode,Price\nA,1\n");
  ASSERT_FALSE(result.errors.empty());
  EXPECT_EQ(result.errors.front().line, 1u);
  ExpectClean();
}

TEST_P(ProductImportTest, ExportReadsBackTheSameRecords) {
  MakeProducts();
  std::int32_t ref = 0;
  const std::vector<testing::ProductValues> products{
      {.code = "Z", .description = "Last, \"quoted\"", .price = "9.99", .taxable = true, .notes = "two\r\nlines",
       .setupDate = "01/02/2025", .lastChanged = "02/03/2026"},
      {.code = "a", .description = "\xe9t\xe9", .price = "0.00"},
      // Texts a spreadsheet would run as formulas come back as they were.
      {.code = "=1+1", .description = "@SUM(A1:A9)", .price = "-2.50", .notes = "-\r\n+cmd"}};
  for (const auto& p : products) ASSERT_TRUE(records::AddKeyedRecord(products_, ProductFileKind(), MakeProduct(p), ref, prompter));
  std::ostringstream exported;
  ASSERT_TRUE(ExportProducts(products_, exported));
  const std::string csv = exported.str();
  EXPECT_EQ(csv.substr(0, csv.find('\n') + 1),
            "ProductCode,ProductDescription,Taxable,SalesPrice,ProductNotes,SetupDate,LastChangedDate\r\n");
  ExpectClean();

  EXPECT_EQ(csv.find(",="), std::string::npos) << csv;
  EXPECT_EQ(csv.find(",@"), std::string::npos) << csv;

  MakeProducts("2P");
  CloseProducts();
  const auto result = Import(csv, "2P");
  ASSERT_TRUE(result.errors.empty()) << result.errors.front().text;
  ASSERT_TRUE(result.Good());
  // Code order on the way out: "=1+1", then "A" before "Z".
  common::RecordBuffer r(kProductRecordLength);
  engine::GetRecord(products_, 1, r.data());
  EXPECT_EQ(r, MakeProduct(products[2]));
  engine::GetRecord(products_, 2, r.data());
  EXPECT_EQ(r, MakeProduct(products[1]));
  engine::GetRecord(products_, 3, r.data());
  EXPECT_EQ(r, MakeProduct(products[0]));
  ExpectClean("2P");
}

TF_POOL_SIZES(ProductImportTest);

}  // namespace
}  // namespace tf::products
