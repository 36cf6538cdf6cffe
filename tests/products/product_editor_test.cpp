// The product editor's OK: its four checks in order, the focus each failure leaves, the save
// step it hands the record image to (and a refused save), and what is copied into the image.

#include <gtest/gtest.h>

#include "common/scripted_prompter.h"
#include "browse/manager_model.h"
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
    ASSERT_TRUE(records::AddKeyedRecord(products_, ProductFileKind(), MakeProduct({.code = "ab1", .description = "  Anchor bolt  "}), ref, prompter));
    existing = ref;
  }
  void TearDown() override {
    ExpectClean();
    ProductFolderTest::TearDown();
  }
  // OK as the dialog runs it: a failure is shown through the prompter.
  bool Ok(ProductEditor& editor) { return browse::ShowOutcome(prompter, editor.Ok()); }
  // The save step: the image handed to it is kept; `refuse` makes it fail.
  browse::SaveStep Keep() {
    return [this](std::span<const std::uint8_t> image) {
      ++saves;
      saved.assign(image.begin(), image.end());
      return refuse ? browse::Outcome::Failed("Add operation failed", "Tallyfold") : browse::Outcome::Done();
    };
  }

  common::ScriptedPrompter prompter;
  std::int32_t existing = 0;
  int saves = 0;
  std::vector<std::uint8_t> saved;
  bool refuse = false;
};

TEST_P(ProductEditorTest, ChecksRunInOrderAndStopAtTheFirstFailure) {
  struct Case {
    std::string code, description, price;
    bool accepted;
    std::string message, caption;
    ProductControl focus;
    std::string priceAfter;
  };
  const Case table[] = {
      {" ", "", "abc", false, "You need to enter a product code.", "Product Code", ProductControl::PNum, "abc"},
      {"N1", " \t", "abc", false, "You need to enter a product description or name.", "Product Description",
       ProductControl::PDesc, "abc"},
      {" AB1 ", "Other", "abc", false,
       "This Product Code already exists for: Anchor bolt. Use a different code.", "Product Code",
       ProductControl::PNum, "abc"},
      {"N1", "New", "1,000.00", true, "", "", ProductControl::PNum, "0.00"},
      {"N1", "New", "", true, "", "", ProductControl::PNum, "0.00"},
      {"N1", "New", "1e3", true, "", "", ProductControl::PNum, "0.00"},
      {"N1", "New", "12.5", true, "", "", ProductControl::PNum, "12.5"},
      {"AB", "New", " -3 ", true, "", "", ProductControl::PNum, " -3 "},
  };
  for (const auto& c : table) {
    prompter.Clear();
    saves = 0;
    ProductEditor editor;
    editor.BeginAdd(products_, Keep(), "01/02/2026");
    editor.Form().code = c.code;
    editor.Form().description = c.description;
    editor.Form().price = c.price;
    EXPECT_EQ(Ok(editor), c.accepted) << c.code << "/" << c.price;
    // Only an image that passed every check reaches the save step.
    EXPECT_EQ(saves, c.accepted ? 1 : 0) << c.code;
    if (c.message.empty()) {
      EXPECT_TRUE(prompter.Shown().empty()) << c.code;
    } else {
      ASSERT_EQ(prompter.Shown().size(), 1u) << c.code;
      EXPECT_EQ(prompter.Shown()[0].text, c.message);
      EXPECT_EQ(prompter.Shown()[0].caption, c.caption);
      EXPECT_EQ(prompter.Shown()[0].icon, common::PromptIcon::Exclamation);
      EXPECT_EQ(editor.Focus(), c.focus);
    }
    EXPECT_EQ(editor.Form().price, c.priceAfter) << c.code;
  }
}

TEST_P(ProductEditorTest, ARefusedSaveKeepsTheEditorOpenOnTheCode) {
  ProductEditor editor;
  editor.BeginAdd(products_, Keep(), "01/02/2026");
  editor.Form() = {"N1", "2.00", false, "New", ""};
  refuse = true;
  EXPECT_FALSE(Ok(editor));
  ASSERT_EQ(prompter.Shown().size(), 1u);
  EXPECT_EQ(prompter.Shown()[0].text, "Add operation failed");
  EXPECT_EQ(prompter.Shown()[0].icon, common::PromptIcon::Error);
  EXPECT_EQ(editor.Focus(), ProductControl::PNum);
  EXPECT_EQ(common::ReadText(editor.Record(), kProductCode), "");  // nothing saved
  refuse = false;
  EXPECT_TRUE(Ok(editor));
  EXPECT_EQ(saves, 2);
  EXPECT_EQ(common::ReadText(editor.Record(), kProductCode), "N1");
  EXPECT_EQ(std::vector<std::uint8_t>(editor.Record().begin(), editor.Record().end()), saved);
}

TEST_P(ProductEditorTest, EditingKeepsItsOwnCodeButCannotTakeAnother) {
  std::int32_t ref = 0;
  const auto other = MakeProduct({.code = "ZZ", .description = "Zinc"});
  ASSERT_TRUE(records::AddKeyedRecord(products_, ProductFileKind(), other, ref, prompter));

  ProductEditor editor;
  editor.BeginEdit(products_, Keep(), other, ref, "01/02/2026");
  EXPECT_EQ(editor.Title(), "Edit Product");
  EXPECT_EQ(editor.PreviousCode(), "ZZ");
  editor.Form().code = " zz";  // its own code, in another case
  EXPECT_TRUE(Ok(editor));
  editor.Form().code = "AB1";
  EXPECT_FALSE(Ok(editor));
  EXPECT_EQ(prompter.Texts().back(), "This Product Code already exists for: Anchor bolt. Use a different code.");
}

TEST_P(ProductEditorTest, StartTextsAndCopyBack) {
  ProductEditor editor;
  editor.BeginAdd(products_, Keep(), "09/10/2026");
  EXPECT_EQ(editor.Title(), "Add Product");
  EXPECT_EQ(editor.Form().price, "0.00");
  EXPECT_FALSE(editor.Form().taxable);
  EXPECT_EQ(editor.SetupPanel(), "Setup Date: 09/10/2026");
  EXPECT_EQ(editor.ChangedPanel(), "Last Changed:");
  EXPECT_EQ(editor.PreviousCode(), "/");

  editor.Form() = {"C-1", "  ", true, std::string(40, 'd'), std::string(200, 'n')};
  const common::RecordBuffer added = editor.Image();
  EXPECT_EQ(common::ReadText(added, kSalesPrice), "0.00");
  EXPECT_EQ(common::ReadText(added, kProductDescription), std::string(32, 'd'));
  EXPECT_EQ(common::ReadText(added, kProductNotes), std::string(150, 'n'));
  EXPECT_TRUE(common::ReadBool(added, kTaxable));
  EXPECT_EQ(common::ReadText(added, kSetupDate), "09/10/2026");
  EXPECT_EQ(common::ReadText(added, kLastChangedDate), "");

  const auto stored = MakeProduct({.code = "E", .description = "Edit me", .setupDate = "01/01/2020",
                                   .lastChanged = "02/02/2021"});
  editor.BeginEdit(products_, Keep(), stored, 7, "03/03/2026");
  EXPECT_EQ(editor.SetupPanel(), "Setup Date: 01/01/2020");
  EXPECT_EQ(editor.ChangedPanel(), "Last Changed: 02/02/2021");
  EXPECT_EQ(editor.Ref(), 7);
  const common::RecordBuffer edited = editor.Image();
  EXPECT_EQ(common::ReadText(edited, kSetupDate), "01/01/2020");
  EXPECT_EQ(common::ReadText(edited, kLastChangedDate), "03/03/2026");
}

TF_POOL_SIZES(ProductEditorTest);

}  // namespace
}  // namespace tf::products
