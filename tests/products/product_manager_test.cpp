// The Product Manager's screen model on a real product file block: opening, the list texts, add,
// edit, delete, find, the display order, picking and the product list report, with scripted
// answers and dialogs.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <fstream>
#include <sstream>

#include "common/clock.h"
#include "common/scripted_prompter.h"
#include "common/text.h"
#include "finder/find_model.h"
#include "products/product_find_mode.h"
#include "products/product_manager.h"
#include "products/product_text.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "tests/products/product_fixture.h"
#include "engine/core/file_system.h"
#include "tests/support/fault_file_system.h"
#include "tests/support/status_sinks.h"

namespace tf::products {
namespace {

using namespace records::product;
namespace company = records::company;

using common::PromptAnswer;
using testing::MakeProduct;
using namespace std::chrono;

using tf::test::RecordingStatus;

struct RecordingViewer : common::TextReportViewer {
  std::string title;
  std::string proposed;
  void ProposeFileName(std::string_view name) override { proposed = name; }
  std::vector<std::string> lines;
  void ShowTextFile(const std::string& path, std::string_view t) override {
    title = t;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
  }
};

class ProductManagerTest : public testing::ProductFolderTest {
 protected:
  void SetUp() override {
    ProductFolderTest::SetUp();
    SetCompany(company::kCompanyName, "Acme Supplies");
    SetCompany(company::kCompanyNumber, "1");
    SetCompany(company::kDateFormat, "M");
  }
  void TearDown() override {
    manager.Close();
    ExpectClean();
    ProductFolderTest::TearDown();
  }

  void SetCompany(common::TextField field, const std::string& text) { common::WriteText(book.Current(), field, text); }
  // What the window does with an outcome: a failure is shown. True when it is none.
  bool Shown(const browse::Outcome& outcome) { return browse::ShowOutcome(prompter, outcome); }
  // The editor dialog: the script fills the fields, then OK (a failure is shown, and the dialog
  // given up); no script cancels it.
  bool RunEditor(ProductEditor& editor) {
    ++editorShown;
    captions.push_back(editor.Title());
    if (!fill) return false;
    fill(editor);
    return Shown(editor.Ok());
  }

  // Opens an existing file holding these products (in this order) and shows the window.
  void ShowWith(const std::vector<testing::ProductValues>& products) {
    MakeProducts();
    for (const auto& p : products) {
      std::int32_t ref = 0;
      ASSERT_TRUE(records::AddKeyedRecord(products_, ProductFileKind(), MakeProduct(p), ref, prompter));
      refs[p.code] = ref;
    }
    CloseProducts();
    ASSERT_TRUE(Shown(manager.Open()));
  }
  void AddThroughDialog(const std::string& code, const std::string& description, const std::string& price) {
    fill = [=](ProductEditor& e) {
      e.Form().code = code;
      e.Form().description = description;
      e.Form().price = price;
    };
    Shown(manager.Add());
  }
  common::RecordBuffer Current() {
    bool unchanged = false;
    EXPECT_EQ(list.ReadCurrentRecord(unchanged), 0);
    return manager.Buffer();
  }
  std::string CurrentCode() { return common::ReadText(Current(), kProductCode); }

  records::CompanyBook book;
  common::FixedClock clock{year{2026} / 3 / 14, hours{15} + minutes{5}};
  common::ScriptedPrompter prompter;
  RecordingStatus status;
  RecordingViewer viewer;
  browse::BrowseModelList list{5};
  std::function<std::optional<std::string>(const finder::FindMode&)> findScript;
  ProductManager manager{ProductManagerServices{{book, prompter, status, viewer, clock},
                                                [this](ProductEditor& e) { return RunEditor(e); },
                                                [this](const finder::FindMode& mode) -> std::optional<std::string> {
                                                  if (!findScript) return std::nullopt;
                                                  return findScript(mode);
                                                }},
                         list};
  std::function<void(ProductEditor&)> fill;
  int editorShown = 0;
  std::vector<std::string> captions;
  std::map<std::string, std::int32_t> refs;
};

TEST_P(ProductManagerTest, AnEmptyCompanyGetsANewFileAndNothingToEditOrDelete) {
  ASSERT_TRUE(Shown(manager.Open()));
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"I am going to create a new, empty product file for this company."});
  EXPECT_EQ(manager.Panel(0), "Products: 0");
  EXPECT_EQ(manager.Edit().kind(), browse::Outcome::Kind::Nothing);
  EXPECT_EQ(manager.Delete().kind(), browse::Outcome::Kind::Nothing);
  EXPECT_FALSE(manager.Pick().IsDone());
  EXPECT_EQ(editorShown, 0);
  EXPECT_EQ(prompter.Shown().size(), 1u);
}

TEST_P(ProductManagerTest, UnableToOpenWhenTheRebuildIsDeclined) {
  MakeProducts();
  CloseProducts();
  std::filesystem::remove("1P.IX");
  prompter.Answer(PromptAnswer::No);
  EXPECT_FALSE(Shown(manager.Open()));
  EXPECT_FALSE(manager.IsOpen());
  EXPECT_EQ(prompter.Texts(),
            (std::vector<std::string>{"Index file is defective.  Rebuild?", "Unable to open database"}));
  EXPECT_EQ(prompter.Shown().back().caption, "QZ Tallyfold PRO");
  EXPECT_EQ(prompter.Shown().back().icon, common::PromptIcon::Error);
  // Put the index back so that the final check reads a whole file block.
  prompter.Answer(PromptAnswer::Yes);
  ASSERT_TRUE(Shown(manager.Open()));
}

TEST_P(ProductManagerTest, WindowTexts) {
  SetCompany(company::kCompanyName, std::string(40, 'N'));
  SetCompany(company::kCompanyNumber, "12345");
  ShowWith({{.code = "W1", .description = " Widget ", .price = "1234.5", .setupDate = "03/01/2026"}});
  // The company's name holds at most 35 characters; a longer one is cut at 39 with " - #".
  EXPECT_EQ(manager.CompanyCaption(), std::string(35, 'N') + " - #12345");
  EXPECT_EQ(manager.CompanyCaption().size(), 44u);  // the widest name and number just fit
  // Until the company has a name every window shows the setup text in its place.
  for (const char* name : {"", " ", " X "}) {
    SetCompany(company::kCompanyName, name);
    EXPECT_EQ(manager.CompanyCaption(), "Please Setup Your Company. - #12345") << '"' << name << '"';
    EXPECT_EQ(manager.CompanyName(), "Please Setup Your Company.");
  }
  SetCompany(company::kCompanyName, "Al");
  EXPECT_EQ(manager.CompanyCaption(), "Al - #12345");
  EXPECT_EQ(manager.Title(), "Product Manager");
  EXPECT_EQ(manager.ListHeader(),
            common::PadRight("Code       Description                       Sales Price Setup Date", 128));
  browse::RowRec rr;
  const auto r = MakeProduct({.code = "W1", .description = " Widget ", .price = "1234.5", .setupDate = "03/01/2026"});
  ProductManager::BuildRow(rr, r);
  EXPECT_EQ(rr.Row, common::PadRight("W1         Widget                               1,234.50 03/01/2026", 128));
  rr.Status = -1;
  rr.Key = "W1        ";
  ProductManager::BuildRow(rr, r);
  EXPECT_EQ(rr.Row, common::PadRight("****  W1        ", 128));
  // Prices: as typed, shown with two decimals; an over-long result keeps its first 12.
  EXPECT_EQ(ShownPrice("12.5"), "12.50");
  EXPECT_EQ(ShownPrice("junk"), "0.00");
  EXPECT_EQ(common::AlignRight(ShownPrice("9999999999"), 12), "9,999,999,99");
}

TEST_P(ProductManagerTest, AddStoresTheDialogsFieldsAndShowsTheNewProduct) {
  ShowWith({{.code = "A", .description = "Alpha"}, {.code = "C", .description = "Gamma"}});
  AddThroughDialog("b7", "Beta", "");
  EXPECT_EQ(captions, std::vector<std::string>{"Add Product"});
  EXPECT_EQ(manager.Panel(0), "Products: 3");
  const auto r = Current();
  EXPECT_EQ(common::ReadText(r, kProductCode), "b7");
  EXPECT_EQ(common::ReadText(r, kSalesPrice), "0.00");
  EXPECT_EQ(common::ReadText(r, kSetupDate), "03/14/2026");
  EXPECT_EQ(common::ReadText(r, kLastChangedDate), "");

  // The same code in capitals is refused by the dialog; nothing is added.
  AddThroughDialog(" B7", "Other", "1");
  EXPECT_EQ(prompter.Texts().back(), "This Product Code already exists for: Beta. Use a different code.");
  EXPECT_EQ(manager.Panel(0), "Products: 3");
}

TEST_P(ProductManagerTest, EditChangesTheCurrentProductAndFollowsIt) {
  SetCompany(company::kDateFormat, "D");
  ShowWith({{.code = "A", .description = "Alpha"}, {.code = "B", .description = "Beta", .setupDate = "01/01/2020"}});
  list.Model().LineDown();
  fill = [](ProductEditor& e) {
    e.Form().code = "Z";
    e.Form().notes = "moved";
  };
  EXPECT_TRUE(manager.Edit().IsDone());
  EXPECT_EQ(captions, std::vector<std::string>{"Edit Product"});
  const auto r = Current();
  EXPECT_EQ(list.CurrentRef(), refs["B"]);
  EXPECT_EQ(common::ReadText(r, kProductCode), "Z");
  EXPECT_EQ(common::ReadText(r, kProductNotes), "moved");
  EXPECT_EQ(common::ReadText(r, kSetupDate), "01/01/2020");
  EXPECT_EQ(common::ReadText(r, kLastChangedDate), "14/03/2026");

  // Cancel changes nothing.
  fill = nullptr;
  EXPECT_EQ(manager.Edit().kind(), browse::Outcome::Kind::Nothing);
  EXPECT_EQ(Current(), r);
}

TEST_P(ProductManagerTest, AnEditLosingARaceChangesNothing) {
  ShowWith({{.code = "A", .description = "Alpha"}});
  const common::RecordBuffer before = Current();
  fill = [&](ProductEditor& e) {
    // Another window saves the product while this dialog is open.
    auto theirs = before;
    common::WriteText(theirs, kProductNotes, "theirs");
    ASSERT_TRUE(records::ModifyKeyedRecord(manager.File(), ProductFileKind(), refs["A"], theirs, before, prompter));
    e.Form().code = "B";
  };
  Shown(manager.Edit());
  EXPECT_EQ(prompter.Texts(),
            (std::vector<std::string>{"The record has changed in the meantime.", "Modify operation failed"}));
  const auto r = Current();
  EXPECT_EQ(common::ReadText(r, kProductCode), "A");
  EXPECT_EQ(common::ReadText(r, kProductNotes), "theirs");
}

TEST_P(ProductManagerTest, DeleteDoesNothingWhenTheRowNoLongerShowsTheRecord) {
  ShowWith({{.code = "A", .description = "Alpha"}});
  auto r = Current();
  auto changed = r;
  common::WriteText(changed, kProductDescription, "Changed elsewhere");
  ASSERT_TRUE(records::ModifyKeyedRecord(manager.File(), ProductFileKind(), refs["A"], changed, r, prompter));
  Shown(manager.Delete());  // no question: the list first has to show the change
  EXPECT_TRUE(prompter.Shown().empty());
  EXPECT_EQ(manager.Panel(0), "Products: 1");
  EXPECT_EQ(common::ReadText(Current(), kProductDescription), "Changed elsewhere");
}

TEST_P(ProductManagerTest, DeleteAsksFirst) {
  ShowWith({{.code = "A", .description = "Alpha"}, {.code = "B", .description = "Beta"}});
  prompter.Answer(PromptAnswer::No);
  Shown(manager.Delete());
  EXPECT_EQ(manager.Panel(0), "Products: 2");
  ASSERT_EQ(prompter.Shown().size(), 1u);
  EXPECT_EQ(prompter.Shown()[0].text, "Are you sure you want to delete this product?");
  EXPECT_EQ(prompter.Shown()[0].caption, "Delete Product Code: A");

  prompter.Answer(PromptAnswer::Yes);
  EXPECT_TRUE(Shown(manager.Delete()));
  EXPECT_EQ(manager.Panel(0), "Products: 1");
  EXPECT_EQ(CurrentCode(), "B");
}

TEST_P(ProductManagerTest, FindGoesToTheCodeInDescriptionOrderAndTheOrderIsKept) {
  std::vector<testing::ProductValues> products;
  for (int i = 0; i < 20; ++i)
    products.push_back({.code = "P" + std::to_string(100 + i), .description = std::string(1, char('z' - i)) + " item"});
  ShowWith(products);
  manager.SetOrder(2);
  EXPECT_EQ(list.Model().KeyNumber(), 2);
  findScript = [](const finder::FindMode& mode) {
    EXPECT_EQ(mode.Caption(), "Find Product");
    return std::optional<std::string>("P105");
  };
  EXPECT_TRUE(manager.Find().IsDone());
  EXPECT_EQ(list.CurrentRef(), refs["P105"]);
  EXPECT_EQ(CurrentCode(), "P105");

  // Closed and shown again: still by description, on the same product.
  manager.Close();
  ASSERT_TRUE(Shown(manager.Open()));
  EXPECT_EQ(manager.Order(), 2);
  EXPECT_EQ(list.Model().KeyNumber(), 2);
  EXPECT_EQ(CurrentCode(), "P105");
  // Back to code order stays on it too.
  manager.SetOrder(1);
  EXPECT_EQ(CurrentCode(), "P105");
}

TEST_P(ProductManagerTest, TheFindWindowSearchesCodeDescriptionAndPrice) {
  ShowWith({{.code = "X1", .description = "Acme bolt", .price = "3.00"},
            {.code = "ACM2", .description = "Nut", .price = "1"},
            {.code = "Z", .description = "Washer", .price = "12.75"}});
  ProductFindMode mode(manager.File());
  EXPECT_EQ(mode.Caption(), "Find Product");
  std::vector<std::string> captions;
  for (const auto& c : mode.Columns()) captions.push_back(c.caption + "/" + std::to_string(c.width));
  EXPECT_EQ(captions, (std::vector<std::string>{"Product#/100", "Description/200", "Unit Price/85"}));
  finder::FindModel find(mode);
  find.Show();
  find.SetText(" acm ");
  find.Find(prompter);
  EXPECT_EQ(find.Rows(), (std::vector<std::vector<std::string>>{{"X1", "Acme bolt", "3.00"}, {"ACM2", "Nut", "1"}}));
  find.SetText("12.7");
  find.Find(prompter);
  ASSERT_EQ(find.Rows().size(), 1u);

  // The chosen row's code puts the manager on that product.
  findScript = [&](const finder::FindMode&) { return find.Choose(0); };
  Shown(manager.Find());
  EXPECT_EQ(CurrentCode(), "Z");
}

TEST_P(ProductManagerTest, PickingFillsTheSelectedProduct) {
  ShowWith({{.code = "A", .description = "Alpha"}, {.code = "B", .description = "Beta", .price = "2.50"}});
  list.Model().LineDown();
  ASSERT_TRUE(manager.Pick().IsDone());
  EXPECT_TRUE(manager.Picked());
  EXPECT_EQ(common::ReadText(manager.Selected(), kProductCode), "B");
  EXPECT_EQ(common::ReadText(manager.Selected(), kSalesPrice), "2.50");
  // Opened again: nothing picked yet.
  manager.Close();
  ASSERT_TRUE(Shown(manager.Open()));
  EXPECT_FALSE(manager.Picked());
}

TEST_P(ProductManagerTest, PickerModeOpensOnTheInvoiceLinesProduct) {
  std::vector<testing::ProductValues> products;
  for (int i = 0; i < 20; ++i) products.push_back({.code = "C" + std::to_string(10 + i), .description = "D"});
  MakeProducts();
  for (const auto& p : products) {
    std::int32_t ref = 0;
    ASSERT_TRUE(records::AddKeyedRecord(products_, ProductFileKind(), MakeProduct(p), ref, prompter));
  }
  CloseProducts();
  manager.BeginPicking("c17", "");
  EXPECT_TRUE(manager.Picking());
  ASSERT_TRUE(Shown(manager.Open()));
  EXPECT_EQ(CurrentCode(), "C17");
  EXPECT_FALSE(manager.Picked());
  manager.EndPicking();
  EXPECT_FALSE(manager.Picking());
}

// A picker whose search for the line's product meets a failing index says so, does not open
// on some other product, and lets the program go on: the next opening works. The failing read
// is swept from the first read of the index until the search's own read fails.
TEST_P(ProductManagerTest, AFailingPickerSearchIsSaidAndOpensNothing) {
  MakeProducts();
  for (int i = 0; i < 20; ++i) {
    std::int32_t ref = 0;
    ASSERT_TRUE(records::AddKeyedRecord(products_, ProductFileKind(),
                                        MakeProduct({.code = "C" + std::to_string(10 + i), .description = "D"}), ref,
                                        prompter));
  }
  CloseProducts();
  test::FaultFileSystem faults;
  bool searchFailed = false;
  for (int nth = 1; nth <= 12 && !searchFailed; ++nth) {
    faults.Reset();
    faults.ArmErrno(test::FsCall::Read, EIO, nth, false, "1P.IX");
    manager.BeginPicking("c17", "");
    browse::Outcome opened = browse::Outcome::Nothing();
    {
      engine::ScopedFileSystem scoped(faults);
      opened = manager.Open();
    }
    if (opened.IsFailed() && opened.Message().text == kProductSearchFailed) {
      searchFailed = true;
      EXPECT_GT(faults.InjectedCount(), 0u);
      EXPECT_FALSE(opened.EndsProgram());
      EXPECT_FALSE(manager.IsOpen());
    }
    manager.Close();
    manager.EndPicking();
  }
  ASSERT_TRUE(searchFailed) << "no read of the index made the picker's search fail";
  manager.BeginPicking("c17", "");
  ASSERT_TRUE(Shown(manager.Open()));
  EXPECT_EQ(CurrentCode(), "C17");
}

TEST_P(ProductManagerTest, ProductListInEitherOrderLeavesBlankDescriptionsOut) {
  ShowWith({{.code = "B", .description = "apple", .price = "1000", .taxable = true, .setupDate = "01/01/2026"},
            {.code = "A", .description = "pear", .price = "2.5", .setupDate = "02/01/2026", .lastChanged = "03/01/2026"},
            {.code = "0", .description = "  ", .price = "1"}});
  SetCompany(company::kCompanyName, std::string(60, 'x'));
  manager.Close();
  ASSERT_TRUE(Shown(manager.Open()));  // again, with the long name
  prompter.Answer(PromptAnswer::Cancel);
  Shown(manager.ProductList());
  EXPECT_TRUE(viewer.lines.empty());
  EXPECT_EQ(prompter.Shown().back().defaultAnswer, PromptAnswer::No);
  EXPECT_EQ(prompter.Shown().back().caption, "Product List");

  prompter.Answer(PromptAnswer::No);
  Shown(manager.ProductList());
  EXPECT_EQ(viewer.title, "Product List by Description");
  EXPECT_EQ(viewer.proposed, "Product");
  const std::string rule(80, '-');
  const std::vector<std::string> expected{
      ("Product List for " + std::string(60, 'x')).substr(0, 52),
      "Date: Saturday, March 14, 2026, 03:05 PM",
      rule,
      "apple                               Code: B             Price: 1,000.00    ",
      "Setup Date: 01/01/2026      Last Modified:              Taxed: Y",
      rule,
      "pear                                Code: A             Price: 2.50        ",
      "Setup Date: 02/01/2026      Last Modified: 03/01/2026   Taxed: N",
      rule};
  EXPECT_EQ(viewer.lines, expected);
  EXPECT_EQ(status.events, (std::vector<std::string>{"show Product List", "lines Preparing list...", "close"}));
  EXPECT_FALSE(std::filesystem::exists("TXTTEMP.TXT"));

  prompter.Answer(PromptAnswer::Yes);
  viewer.lines.clear();
  Shown(manager.ProductList());
  EXPECT_EQ(viewer.title, "Product List by Code");
  ASSERT_EQ(viewer.lines.size(), 9u);
  EXPECT_EQ(viewer.lines[3].substr(0, 4), "pear");
}

TF_POOL_SIZES(ProductManagerTest);

}  // namespace
}  // namespace tf::products
