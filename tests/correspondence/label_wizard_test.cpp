#include "correspondence/label_wizard.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/record_fields.h"
#include "common/recording_canvas.h"
#include "common/scripted_prompter.h"
#include "correspondence/label_list_file.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/record_file.h"
#include "tests/correspondence/label_customers.h"
#include "tests/support/data_folder_test.h"
#include "tests/support/status_sinks.h"

namespace tf::correspondence {
namespace {

namespace cu = records::customer;
namespace co = records::company;
using common::PromptAnswer;

class LabelWizardTest : public test::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    ASSERT_TRUE(test::MakeLabelCustomers({{"1001", "Alpha", {"10.00", "0.00", "0.00", "0.00"}},
                   {"1003", "Gamma", {"0.00", "0.00", "0.00", "5.00"}},
                   {"1004", ""},  // no name: not for labels
                   {"1002", "Beta", {"1.00", "2.00", "0", ""}}}));
  }

  static LabelLayout Layout() {
    LabelLayout l;
    l.LeftMargin = "0";
    l.TopMargin = "0";
    l.ColumnsAcross = "3";
    l.RowsDown = "10";
    l.LabelWidth = "800";
    l.LabelHeight = "300";
    return l;
  }

  LabelWizard Wizard() { return LabelWizard({queue_, prompter_, status_, [this] { return std::span<const std::uint8_t>(company_); }}); }

  // A print dialog handing out a recording canvas the test keeps.
  LabelWizard::ChooseCanvas Canvas() {
    return [this]() -> common::PrintCanvas* {
      canvas_ = std::make_unique<common::RecordingCanvas>();
      canvas_->FailEndDoc(failEnd_);
      return canvas_.get();
    };
  }
  static std::optional<std::filesystem::path> NoPath() { return std::nullopt; }

  common::RecordBuffer company_ = test::LabelCompanyRecord();
  LabelQueue queue_;
  common::ScriptedPrompter prompter_;
  test::SilentStatus status_;
  std::unique_ptr<common::RecordingCanvas> canvas_;
  bool failEnd_ = false;
};

TEST_F(LabelWizardTest, TheScreenOpensOnTheLastLayoutOrWaitsForOne) {
  LabelWizard w = Wizard();
  w.Create();
  EXPECT_FALSE(w.Ready());
  EXPECT_EQ(w.Status(), kNoLayoutStatus);

  w.Fields = Layout();
  w.Fields.Description = "Thirty up";
  ASSERT_TRUE(w.SaveLayoutAs("THIRTY.LBL"));
  EXPECT_TRUE(w.Ready());

  LabelWizard again = Wizard();
  again.Create();
  ASSERT_TRUE(again.Ready());
  EXPECT_EQ(again.Fields.Description, "Thirty up");
  EXPECT_EQ(again.Status(), kReadyStatus);

  std::filesystem::remove("THIRTY.LBL");
  LabelWizard gone = Wizard();
  gone.Create();
  EXPECT_FALSE(gone.Ready());
  EXPECT_EQ(gone.Status(), kNoLayoutStatus);
  EXPECT_FALSE(std::filesystem::exists(kLastLayoutFile));
  EXPECT_TRUE(prompter_.Texts().empty());

  const auto captions = w.AgingCaptions();
  EXPECT_EQ(captions, (std::array<std::string, 4>{"Current", "60", "90", "Over 90"}));
}

TEST_F(LabelWizardTest, LoadersTakeTheCustomersTheyNameInFileOrder) {
  LabelWizard w = Wizard();
  w.LoadAllCustomers();
  ASSERT_EQ(queue_.Size(), 3u);
  EXPECT_EQ(queue_.Entries()[0], (LabelQueueEntry{"1001", "Alpha", "S1001", ""}));
  EXPECT_EQ(queue_.Entries()[2].CustomerNumber, "1002");
  EXPECT_EQ(w.Status(), "3 records were added.");
  queue_.Clear();

  const struct {
    int category;
    std::vector<std::string> numbers;
  } categories[] = {{1, {"1001", "1002"}}, {2, {"1002"}}, {4, {"1003"}}};
  for (const auto& c : categories) {
    queue_.Clear();
    w.LoadAgingCategory(c.category);
    std::vector<std::string> numbers;
    for (const auto& e : queue_.Entries()) numbers.push_back(e.CustomerNumber);
    EXPECT_EQ(numbers, c.numbers) << c.category;
    EXPECT_TRUE(queue_.Unsaved());
  }
  queue_.Clear();
  w.LoadAgingCategory(3);
  EXPECT_EQ(queue_.Size(), 0u);
  ASSERT_EQ(prompter_.Shown().size(), 1u);
  EXPECT_EQ(prompter_.Shown()[0].text, "No records were found.");
  EXPECT_EQ(prompter_.Shown()[0].caption, "90");

  common::WriteText(company_, co::kAgingDays3, "");
  w.LoadAgingCategory(4);
  EXPECT_EQ(prompter_.Texts().back(),
            "Category 3 has a bad value in your aging days (Company Setup). Unable to process.");
  EXPECT_EQ(queue_.Size(), 0u);
}

TEST_F(LabelWizardTest, ListCommandsSayWhatIsMissingAndClearAsks) {
  LabelWizard w = Wizard();
  w.SaveToFile("EMPTY.LST");
  EXPECT_FALSE(std::filesystem::exists("EMPTY.LST"));
  w.Delete(std::nullopt);
  EXPECT_FALSE(w.ClearAll());  // an empty queue: only a beep
  EXPECT_EQ(prompter_.Texts(), (std::vector<std::string>{std::string(kNothingToSaveText), std::string(kNoSelectionText)}));

  w.LoadAllCustomers();
  w.Delete(1);
  EXPECT_EQ(queue_.Entries()[1].CustomerNumber, "1002");
  w.SaveToFile("TWO.LST");
  EXPECT_FALSE(queue_.Unsaved());
  EXPECT_EQ(w.Status(), "Records saved to file: TWO.LST.");
  w.LoadFromFile("TWO.LST");
  EXPECT_EQ(queue_.Size(), 4u);
  EXPECT_EQ(w.Status(), "4 records are selected.");

  prompter_.Answer(PromptAnswer::No);
  EXPECT_TRUE(w.ClearAll());
  EXPECT_EQ(queue_.Size(), 4u);
  prompter_.Answer(PromptAnswer::Yes);
  EXPECT_TRUE(w.ClearAll());
  EXPECT_EQ(queue_.Size(), 0u);
  EXPECT_FALSE(queue_.Unsaved());
  EXPECT_EQ(w.Status(), "All records were removed from the queue.");
}

TEST_F(LabelWizardTest, PrintingReadsEachCustomerByItsExactNumberAndSkipsOneThatIsGone) {
  LabelWizard w = Wizard();
  w.Fields = Layout();
  ASSERT_TRUE(w.SaveLayoutAs("L.LBL"));
  // "1002A" was renumbered: the search lands on 1003, which must not take its place.
  queue_.Add({"1001", "Alpha", "", ""});
  queue_.Add({"1002A", "Renamed", "", ""});
  queue_.Add({"1003", "Gamma", "", ""});
  ASSERT_TRUE(w.Print(Canvas(), NoPath));
  ASSERT_NE(canvas_, nullptr);
  EXPECT_EQ(canvas_->ReadingLines(0)[0], "Alpha Gamma");
  EXPECT_EQ(canvas_->Texts(0).size(), 4u);  // two names, two first address lines
  EXPECT_EQ(w.Status(), "Complete. 2 label(s) sent to printer.");
  EXPECT_EQ(prompter_.Texts(), std::vector<std::string>{
                                   "Customer 1002A is no longer in the customer file; its label was not printed."});
  EXPECT_FALSE(queue_.Unsaved());
}

TEST_F(LabelWizardTest, TheUnsavedFlagStaysWhenTheJobFailedOrWasCancelled) {
  LabelWizard w = Wizard();
  w.Fields = Layout();
  ASSERT_TRUE(w.SaveLayoutAs("L.LBL"));
  queue_.Add({"1001", "Alpha", "", ""});
  failEnd_ = true;
  EXPECT_FALSE(w.Print(Canvas(), NoPath));
  EXPECT_TRUE(queue_.Unsaved());
  EXPECT_EQ(prompter_.Texts().back(), "Printing failed.");
  EXPECT_FALSE(w.Print([]() -> common::PrintCanvas* { return nullptr; }, NoPath));
  EXPECT_TRUE(queue_.Unsaved());

  // Refusals before any dialog: a start label off the sheet, an empty geometry field.
  w.StartLabel = "31";
  EXPECT_FALSE(w.Print(Canvas(), NoPath));
  EXPECT_EQ(prompter_.Texts().back(), "Start at Label is 31, but a sheet of 3 x 10 labels has labels 1 to 30. Unable to print.");
  w.StartLabel = "1";
  w.Fields.LabelWidth = "";
  EXPECT_FALSE(w.Print(Canvas(), NoPath));
  EXPECT_EQ(prompter_.Texts().back(),
            "You have an empty layout definition field. All six fields are required. Unable to print.");
  EXPECT_EQ(prompter_.Shown().back().caption, "Print Labels");
  EXPECT_TRUE(queue_.Unsaved());
}

TEST_F(LabelWizardTest, AChangedLayoutIsOfferedForSavingBeforePrinting) {
  LabelWizard w = Wizard();
  w.Fields = Layout();
  ASSERT_TRUE(w.SaveLayoutAs("L.LBL"));
  queue_.Add({"1001", "Alpha", "", ""});
  w.Fields.Description = "Only the description";  // not among the compared fields
  EXPECT_FALSE(w.LayoutChanged());
  w.Fields.LeftMargin = "50";
  EXPECT_TRUE(w.LayoutChanged());
  prompter_.Answer(PromptAnswer::Yes);
  ASSERT_TRUE(w.Print(Canvas(), [] { return std::optional<std::filesystem::path>("NEW.LBL"); }));
  EXPECT_EQ(prompter_.Texts().front(), kLayoutChangedText);
  const OpenedLayout saved = ReadLabelLayoutFile("NEW.LBL");
  ASSERT_TRUE(saved.layout);
  EXPECT_EQ(saved.layout->LeftMargin, "50");
  EXPECT_FALSE(w.LayoutChanged());
  EXPECT_EQ(canvas_->Texts(0)[0].x, 50);
}

}  // namespace
}  // namespace tf::correspondence
