// The product editor's OK: its four checks in order, the focus each failure leaves, and what
// is copied back into the record.

#include <gtest/gtest.h>

#include "common/scripted_prompter.h"
#include "products/product_editor.h"
#include "tests/products/product_fixture.h"

namespace tf::products {
namespace {

using namespace records::product;

using testing::MakeProduct;

class ProductEditorTest : public testing::ProductFolderTest {
 protected:
  void SetUp() override {
    ProductFolderTest::SetUp();
    MakeProducts();
    std::int32_t ref = 0;
    ASSERT_TRUE(AddProduct(Products().file, MakeProduct({.code = "ab1", .description = "  Anchor bolt  "}), ref,
                           prompter));
    existing = ref;
  }
  void TearDown() override {
    ExpectClean();
    ProductFolderTest::TearDown();
  }
  common::ScriptedPrompter prompter;
  std::int32_t existing = 0;
};

TEST_P(ProductEditorTest, ChecksRunInOrderAndStopAtTheFirstFailure) {
  struct Case {
    std::string code, description, price;
    bool accepted;
    std::string message, caption;
    EditorField focus;
    std::string priceAfter;
  };
  const Case table[] = {
      {" ", "", "abc", false, "You need to enter a product code.", "Product Code", EditorField::PNum, "abc"},
      {"N1", " \t", "abc", false, "You need to enter a product description or name.", "Product Description",
       EditorField::PDesc, "abc"},
      {" AB1 ", "Other", "abc", false,
       "This Product Code already exists for: Anchor bolt. Use a different code.", "Product Code",
       EditorField::PNum, "abc"},
      {"N1", "New", "1,000.00", true, "", "", EditorField::PNum, "0.00"},
      {"N1", "New", "", true, "", "", EditorField::PNum, "0.00"},
      {"N1", "New", "1e3", true, "", "", EditorField::PNum, "0.00"},
      {"N1", "New", "12.5", true, "", "", EditorField::PNum, "12.5"},
      {"AB", "New", " -3 ", true, "", "", EditorField::PNum, " -3 "},
  };
  for (const auto& c : table) {
    prompter.Clear();
    ProductEditor editor(Products().file, prompter);
    editor.StartAdd("01/02/2026");
    editor.fields.code = c.code;
    editor.fields.description = c.description;
    editor.fields.price = c.price;
    EXPECT_EQ(editor.OkBtnClick(), c.accepted) << c.code << "/" << c.price;
    if (c.message.empty()) {
      EXPECT_TRUE(prompter.Shown().empty()) << c.code;
    } else {
      ASSERT_EQ(prompter.Shown().size(), 1u) << c.code;
      EXPECT_EQ(prompter.Shown()[0].text, c.message);
      EXPECT_EQ(prompter.Shown()[0].caption, c.caption);
      EXPECT_EQ(editor.Focus(), c.focus);
    }
    EXPECT_EQ(editor.fields.price, c.priceAfter) << c.code;
  }
}

TEST_P(ProductEditorTest, EditingKeepsItsOwnCodeButCannotTakeAnother) {
  std::int32_t ref = 0;
  const auto other = MakeProduct({.code = "ZZ", .description = "Zinc"});
  ASSERT_TRUE(AddProduct(Products().file, other, ref, prompter));

  ProductEditor editor(Products().file, prompter);
  editor.StartEdit(other);
  EXPECT_EQ(editor.Caption(), "Edit Product");
  EXPECT_EQ(editor.PreviousCode(), "ZZ");
  editor.fields.code = " zz";  // its own code, in another case
  EXPECT_TRUE(editor.OkBtnClick());
  editor.fields.code = "AB1";
  EXPECT_FALSE(editor.OkBtnClick());
  EXPECT_EQ(prompter.Texts().back(), "This Product Code already exists for: Anchor bolt. Use a different code.");
}

TEST_P(ProductEditorTest, StartTextsAndCopyBack) {
  ProductEditor editor(Products().file, prompter);
  editor.StartAdd("09/10/2026");
  EXPECT_EQ(editor.Caption(), "Add Product");
  EXPECT_EQ(editor.fields.price, "0.00");
  EXPECT_FALSE(editor.fields.taxable);
  EXPECT_EQ(editor.SetupPanel(), "Setup Date: 09/10/2026");
  EXPECT_EQ(editor.ChangedPanel(), "Last Changed:");
  EXPECT_EQ(editor.PreviousCode(), "/");

  editor.fields = {"C-1", "  ", true, std::string(40, 'd'), std::string(200, 'n')};
  common::RecordBuffer added(kProductRecordLength);
  editor.StoreAdded(added, "09/10/2026");
  EXPECT_EQ(common::ReadText(added, kSalesPrice), "0.00");
  EXPECT_EQ(common::ReadText(added, kProductDescription), std::string(32, 'd'));
  EXPECT_EQ(common::ReadText(added, kProductNotes), std::string(150, 'n'));
  EXPECT_TRUE(common::ReadBool(added, kTaxable));
  EXPECT_EQ(common::ReadText(added, kSetupDate), "09/10/2026");
  EXPECT_EQ(common::ReadText(added, kLastChangedDate), "");

  const auto stored = MakeProduct({.code = "E", .description = "Edit me", .setupDate = "01/01/2020",
                                   .lastChanged = "02/02/2021"});
  editor.StartEdit(stored);
  EXPECT_EQ(editor.SetupPanel(), "Setup Date: 01/01/2020");
  EXPECT_EQ(editor.ChangedPanel(), "Last Changed: 02/02/2021");
  auto edited = stored;
  editor.StoreEdited(edited, "03/03/2026");
  EXPECT_EQ(common::ReadText(edited, kSetupDate), "01/01/2020");
  EXPECT_EQ(common::ReadText(edited, kLastChangedDate), "03/03/2026");
}

TF_POOL_SIZES(ProductEditorTest);

}  // namespace
}  // namespace tf::products
