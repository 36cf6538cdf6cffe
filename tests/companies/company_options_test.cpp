// The company options screen's model: each invalid option refused on Save with its message and
// the focus on its control and page (the checks of the screen in their order, and the values
// the program computes with), texts refused rather than cut, pictures whose path the record
// cannot hold refused when picked, and the record the controls make.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "companies/company_options.h"
#include "records/company_record.h"
#include "tests/companies/company_fixture.h"

namespace tf::companies {
namespace {

namespace co = records::company;
using ::testing::HasSubstr;

class CompanyOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options.BeginAdd(test::CompanyRecord("5", ""), [this](std::span<const std::uint8_t> image) {
      saved.assign(image.begin(), image.end());
      return browse::Outcome::Done();
    }, "1");
    options.SetText("CName", "Epsilon Engines");
  }

  common::ScriptedPrompter prompter;
  CompanyOptions options{{prompter, [] { return static_cast<engine::FileBlock*>(nullptr); }}};
  std::vector<std::uint8_t> saved;
};

struct Refusal {
  const char* control;
  const char* typed;
  const char* message;  // a part of it
  const char* focus;
  OptionsPage page;
};

TEST_F(CompanyOptionsTest, EachInvalidOptionIsRefusedWithTheFocusOnIt) {
  const Refusal cases[] = {
      {"CEmailAdd", "billing.example.com", "does not have the @ sign", "CEmailAdd", OptionsPage::EMail},
      {"CName", "   ", "A company name is required.", "CName", OptionsPage::Top},
      {"CoNumb", "12a", "The company number field is numeric", "CoNumb", OptionsPage::Top},
      {"CoNumb", "32001", "The Company number must be between 0 and 32001.", "CoNumb", OptionsPage::Top},
      {"CoNumb", "0", "The Company number must be between 0 and 32001.", "CoNumb", OptionsPage::Top},
      {"CAVal2", "31", "category 2 must be greater than category 1", "CAVal2", OptionsPage::EnvelopesAging},
      {"CAVal3", "61", "category 3 must be greater than category 2", "CAVal3", OptionsPage::EnvelopesAging},
      {"TaxCRate", "8,125", "The tax rate must be a number from 0 to 100", "TaxCRate", OptionsPage::AddressTaxes},
      {"TaxCRate", "101", "The tax rate must be a number from 0 to 100", "TaxCRate", OptionsPage::AddressTaxes},
      {"DefInvQuan", "one", "The default invoice quantity must be a number", "DefInvQuan", OptionsPage::Invoices},
      {"NextIno", "10A", "digits only", "NextIno", OptionsPage::Invoices},
      {"NumCpys", "7", "must be 1 to 5", "NumCpys", OptionsPage::Invoices},
      {"CAVal1", "3O", "is not a whole number of digits", "CAVal1", OptionsPage::EnvelopesAging},
      {"SM1", "Price in \xe2\x82\xac", "cannot be stored", "SM1", OptionsPage::SalesMessage},
      {"CAdd1", "A street name far too long for the line", "at most 35", "CAdd1", OptionsPage::AddressTaxes},
      {"StmntNote", "Tab\there", "cannot store", "StmntNote", OptionsPage::Headers},
  };
  for (const Refusal& c : cases) {
    SetUp();
    options.SetText(c.control, c.typed);
    const browse::Outcome outcome = options.Ok();
    EXPECT_TRUE(outcome.IsFailed()) << c.control << " " << c.typed;
    EXPECT_THAT(outcome.Message().text, HasSubstr(c.message)) << c.control << " " << c.typed;
    EXPECT_EQ(options.FocusControl(), c.focus) << c.control << " " << c.typed;
    EXPECT_EQ(options.FocusPage(), c.page) << c.control << " " << c.typed;
    EXPECT_TRUE(saved.empty()) << c.control << " " << c.typed;
  }
}

TEST_F(CompanyOptionsTest, TheNextInvoiceNumberLeavesRoomForTheYearMonthPrefix) {
  options.SetText("NextIno", "123456");
  EXPECT_TRUE(options.Ok().IsDone());
  saved.clear();
  options.SetChecked("YYMMonInv", true);
  EXPECT_THAT(options.Ok().Message().text, HasSubstr("at most 5 of them"));
  options.SetText("NextIno", "12345");
  EXPECT_TRUE(options.Ok().IsDone());
}

TEST_F(CompanyOptionsTest, AgingDaysTwoApartAndTheLargestNumberAreAccepted) {
  options.SetText("CAVal1", "30");
  options.SetText("CAVal2", "32");
  options.SetText("CAVal3", "34");
  options.SetText("CoNumb", "32000");
  ASSERT_TRUE(options.Ok().IsDone());
  EXPECT_EQ(common::ReadText(saved, co::kAgingDays2), "32");
  EXPECT_EQ(common::ReadText(saved, co::kCompanyNumber), "32000");
}

TEST_F(CompanyOptionsTest, TheRecordTheControlsMake) {
  options.SetText("CoNumb", " 007");
  options.SetText("TaxCRate", "");
  options.SetText("PushAddr", "");
  options.SetChecked("LandSCB", true);
  options.SetChecked("UseShipAdd", false);
  options.SetChecked("MMDDYY", true);
  options.SetChecked("DProd", false);
  options.SetChecked("CBbu", true);
  options.SetChecked("DefToEMail", true);
  options.SetText("NumCpys", "3");
  options.SetText("DescHead", "Item");
  options.SetDocumentFont(co::DocumentFont::CompanyAddress, {std::string(40, 'F'), 14, 255, 1});
  options.SetFont(OptionsFont::Managers, {"DejaVu Sans Mono", 9, 0, 0});
  ASSERT_TRUE(options.Ok().IsDone());
  EXPECT_EQ(common::ReadText(saved, co::kCompanyNumber), "7");  // one spelling of each number
  EXPECT_EQ(common::ReadText(saved, co::kTaxRate), "0.000");
  EXPECT_EQ(common::ReadText(saved, co::kPushAddressRight), "0");
  EXPECT_EQ(common::ReadText(saved, co::kEnvOrientation), "L");
  EXPECT_EQ(common::ReadText(saved, co::kEnvAddressSource), "B");
  EXPECT_EQ(common::ReadText(saved, co::kDateFormat), "M");
  EXPECT_EQ(common::ReadText(saved, co::kDefaultInvoiceType), "M");
  EXPECT_TRUE(common::ReadFlag(saved, co::kBackupPromptOnExit));
  EXPECT_TRUE(common::ReadFlag(saved, co::kDefaultOutputEMail));
  EXPECT_EQ(common::ReadText(saved, co::kInvoiceCopies), "3");
  EXPECT_EQ(common::ReadText(saved, co::kDescriptionHeading), "Item");
  EXPECT_EQ(common::ReadText(saved, co::kCompanyBalance), "0.00");
  const common::FontSpec address = common::ReadFontSpec(saved, co::DocumentFontField(co::DocumentFont::CompanyAddress));
  EXPECT_EQ(address.face, std::string(32, 'F'));
  EXPECT_EQ(address.size, 14);
  EXPECT_EQ(common::ReadFontSpec(saved, co::kManagersFont).face, "DejaVu Sans Mono");
  EXPECT_TRUE(options.Shown().backupPromptOnExit);
}

TEST_F(CompanyOptionsTest, APicturePathTheRecordCannotHoldIsRefusedWhenPicked) {
  const std::string fits = "/" + std::string(245, 'p') + ".bmp";
  ASSERT_EQ(fits.size(), 250u);
  EXPECT_EQ(options.PickPicture("PicName", fits), std::nullopt);
  EXPECT_EQ(options.Text("PicName"), fits);
  const std::optional<std::string> tooLong = options.PickPicture("PicName", "/" + std::string(246, 'p') + ".bmp");
  ASSERT_TRUE(tooLong);
  EXPECT_THAT(*tooLong, HasSubstr("251 characters long"));
  const std::optional<std::string> wide = options.PickPicture("BmpNameText", "/home/\xe5\xbc\xa0/logo.bmp");
  ASSERT_TRUE(wide);
  EXPECT_THAT(*wide, HasSubstr("cannot hold"));
  EXPECT_EQ(options.Text("PicName"), fits);  // unchanged by the refusals
  EXPECT_EQ(options.Text("BmpNameText"), "");
  EXPECT_EQ(options.PickPicture("BmpNameText", "/home/Zo\xc3\xab/logo.bmp"), std::nullopt);  // Latin-1: fine
  ASSERT_TRUE(options.Ok().IsDone());
  EXPECT_EQ(common::ReadText(saved, co::kLogoPath), "/home/Zo\xeb/logo.bmp");
}

TEST(CompanyOptionsPages, CaptionsAndHelpTopics) {
  EXPECT_EQ(PageCaption(OptionsPage::EnvelopesAging), "Envelopes/Aging");
  EXPECT_EQ(PageHelpTopic(OptionsPage::EMail), "EMMode");
  EXPECT_EQ(PageHelpTopic(OptionsPage::SystemGraphics), "SysGraphics");
  EXPECT_EQ(PageHelpTopic(OptionsPage::Top), "Company");
  // Every control names a field of the record.
  for (const OptionControl& c : OptionControls()) EXPECT_NE(FindOptionControl(c.control), nullptr) << c.control;
}

}  // namespace
}  // namespace tf::companies
