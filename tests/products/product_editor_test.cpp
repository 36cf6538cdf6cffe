// The product editor's OK: its four checks in order, the focus each failure leaves, the save
// step it hands the record image to (and a refused save), and what is copied into the image.

#include <gtest/gtest.h>

#include <functional>

#include "common/scripted_prompter.h"
#include "browse/manager_model.h"
#include "common/stored_text.h"
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
      // Thousands separators are read as every amount is, and stored without them.
      {"N1", "New", "1,000.00", true, "", "", ProductControl::PNum, "1000.00"},
      {"N1", "New", "", true, "", "", ProductControl::PNum, "0.00"},
      // A price that is no amount is refused on its field, never stored as 0.00.
      {"N1", "New", "1e3", false, std::string(kBadPriceText), "Sales Price", ProductControl::PSell, "1e3"},
      {"N1", "New", "1,5", false, std::string(kBadPriceText), "Sales Price", ProductControl::PSell, "1,5"},
      {"N1", "New", "abc", false, std::string(kBadPriceText), "Sales Price", ProductControl::PSell, "abc"},
      {"N1", "New", "12.5", true, "", "", ProductControl::PNum, "12.5"},
      // Longer than the field as typed; stored without separators it fits.
      {"N1", "New", "1,250,000.00", true, "", "", ProductControl::PNum, "1250000.00"},
      {"N1", "New", "12,250,000.00", false, "Sales Price: 11 characters where at most 10 can be stored; shorten it.",
       "Sales Price", ProductControl::PSell, "12,250,000.00"},
      {"AB", "New", " -3 ", true, "", "", ProductControl::PNum, "-3"},
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

TEST_P(ProductEditorTest, TypedTextsAreStoredAsTypedOrRefusedOnTheirField) {
  struct Case {
    const char* what;
    std::function<void(ProductForm&)> change;
    std::string message;
    ProductControl focus;
  };
  const std::vector<Case> table = {
      {"euro sign", [](ProductForm& f) { SetTyped(f, ProductControl::PDesc, "Bolt \xE2\x82\xAC" "5"); },
       common::UnstorableCharacterText("Product Description", U'\u20AC'), ProductControl::PDesc},
      {"euro in the notes", [](ProductForm& f) { SetTyped(f, ProductControl::PNote, "ok\n\xE2\x82\xAC"); },
       common::UnstorableCharacterText("Notes/Comments", U'\u20AC'), ProductControl::PNote},
      {"line break in the code", [](ProductForm& f) { f.code = "N\n1"; },
       "Product Code: holds LF, a line break (code 10), which this field cannot store; remove it.", ProductControl::PNum},
      {"NUL in the description", [](ProductForm& f) { f.description = std::string("a\0b", 3); },
       "Product Description: holds NUL (code 0), which this field cannot store; remove it.", ProductControl::PDesc},
      {"over-long code", [](ProductForm& f) { f.code = "ABCDEFGHIJK"; },
       "Product Code: 11 characters where at most 10 can be stored; shorten it.", ProductControl::PNum},
      // 100 characters on 26 lines: 150 typed in the window, 175 as stored.
      {"notes too long as stored", [](ProductForm& f) { f.notes = std::string(25, '\n') + std::string(125, 'x'); },
       "Notes/Comments: 175 characters (a line break counts two) where at most 150 can be stored; shorten it.",
       ProductControl::PNote},
  };
  for (const Case& c : table) {
    prompter.Clear();
    saves = 0;
    ProductEditor editor;
    editor.BeginAdd(products_, Keep(), "01/02/2026");
    editor.Form() = {"N1", "2.00", false, "New", "", {}};
    c.change(editor.Form());
    EXPECT_FALSE(Ok(editor)) << c.what;
    EXPECT_EQ(saves, 0) << c.what;
    ASSERT_EQ(prompter.Shown().size(), 1u) << c.what;
    EXPECT_EQ(prompter.Shown()[0].text, c.message) << c.what;
    EXPECT_EQ(editor.Focus(), c.focus) << c.what;
  }
  // Accented letters Latin-1 holds are kept; line breaks are stored CR LF, counted two.
  ProductEditor editor;
  editor.BeginAdd(products_, Keep(), "01/02/2026");
  editor.Form() = {"N1", "2.00", false, "", "", {}};
  SetTyped(editor.Form(), ProductControl::PDesc, "Cr\xC3\xA8me");
  SetTyped(editor.Form(), ProductControl::PNote, std::string(74, 'x') + "\n" + std::string(74, 'y'));
  EXPECT_TRUE(Ok(editor));
  EXPECT_EQ(common::ReadText(editor.Record(), kProductDescription), "Cr\xE8me");
  EXPECT_EQ(common::ReadText(editor.Record(), kProductNotes), std::string(74, 'x') + "\r\n" + std::string(74, 'y'));
}

TEST_P(ProductEditorTest, OpeningAndSavingAProductChangesNoneOfItsNotes) {
  // Notes written by an older import with lone line breaks and filling the field: the window
  // gives them back with CR LF, which would not even fit; nothing is changed or cut.
  std::string notes = std::string(70, 'a') + "\n" + std::string(70, 'b') + "\r" + std::string(8, 'c');
  ASSERT_EQ(notes.size(), 150u);
  auto record = MakeProduct({.code = "OLD", .description = "Old one"});
  common::WriteText(record, kProductNotes, notes);
  std::int32_t ref = 0;
  ASSERT_TRUE(records::AddKeyedRecord(products_, ProductFileKind(), record, ref, prompter));
  ProductEditor editor;
  editor.BeginEdit(products_, Keep(), record, ref, "01/02/2026");
  EXPECT_EQ(editor.Form().notes, notes);
  editor.Form().notes = common::StoredLineBreaks(notes);
  EXPECT_TRUE(Ok(editor)) << prompter.Texts().back();
  EXPECT_EQ(common::ReadText(editor.Record(), kProductNotes), notes);
  // A price stored with blanks around it stays as stored when it is not touched.
  common::WriteText(record, kSalesPrice, " 7.5 ");
  editor.BeginEdit(products_, Keep(), record, ref, "01/02/2026");
  EXPECT_TRUE(Ok(editor));
  EXPECT_EQ(common::ReadText(editor.Record(), kSalesPrice), " 7.5 ");
  editor.Form().price = " 7,500 ";
  EXPECT_TRUE(Ok(editor));
  EXPECT_EQ(common::ReadText(editor.Record(), kSalesPrice), "7500");
}

TEST_P(ProductEditorTest, ARefusedSaveKeepsTheEditorOpenOnTheCode) {
  ProductEditor editor;
  editor.BeginAdd(products_, Keep(), "01/02/2026");
  editor.Form() = {"N1", "2.00", false, "New", "", {}};
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

  editor.Form() = {"C-1", "  ", true, std::string(40, 'd'), std::string(200, 'n'), {}};
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
