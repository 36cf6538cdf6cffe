// The company record's layout, its keys, the company file names and a new company's values.

#include "records/company_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <variant>

namespace tf::records::company {
namespace {


using common::RecordBuffer;

// Offset and size in bytes of every field, as the file format has them.
struct Placed {
  const char* name;
  std::size_t offset;
  std::size_t size;
  std::variant<TextField, FlagField, BoolField, FontSpecField> field;
};

std::size_t OffsetOf(const Placed& p) {
  return std::visit([](auto f) { return f.offset; }, p.field);
}

std::size_t SizeOf(const Placed& p) {
  struct {
    std::size_t operator()(TextField f) const { return f.capacity + 1; }
    std::size_t operator()(FlagField) const { return 2; }
    std::size_t operator()(BoolField) const { return 1; }
    std::size_t operator()(FontSpecField f) const { return f.StyleOffset() + 1 - f.offset; }
  } size;
  return std::visit(size, p.field);
}

const std::vector<Placed>& Layout() {
  static const std::vector<Placed> layout = {
      {"CompanyName", 4, 36, kCompanyName},
      {"CompanyNumber", 40, 6, kCompanyNumber},
      {"CompanyBalance", 46, 11, kCompanyBalance},
      {"Address1", 57, 36, kAddress1},
      {"Address2", 93, 36, kAddress2},
      {"Address3", 129, 36, kAddress3},
      {"Address4", 165, 36, kAddress4},
      {"Address5", 201, 36, kAddress5},
      {"EditorFont", 237, 44, kEditorFont},
      {"BackgroundOn", 281, 1, kBackgroundOn},
      {"BackgroundPath", 282, 251, kBackgroundPath},
      {"SalesMessage1", 533, 79, kSalesMessage1},
      {"SalesMessage2", 612, 79, kSalesMessage2},
      {"SalesMessage3", 691, 79, kSalesMessage3},
      {"SalesMessage4", 770, 79, kSalesMessage4},
      {"NextInvoiceNumber", 849, 10, kNextInvoiceNumber},
      {"DefaultQuantity", 859, 10, kDefaultQuantity},
      {"PrintDuplicateNotice", 869, 1, kPrintDuplicateNotice},
      {"NewInvoicePrintFlag", 870, 1, kNewInvoicePrintFlag},
      {"CalculateTaxes", 871, 1, kCalculateTaxes},
      {"TaxRate", 874, 7, kTaxRate},
      {"DefaultTerms", 881, 36, kDefaultTerms},
      {"DateFormat", 917, 2, kDateFormat},
      {"YearMonthPrefix", 919, 2, kYearMonthPrefix},
      {"NextCustomerNumber", 921, 9, kNextCustomerNumber},
      {"LastAgingDate", 933, 11, kLastAgingDate},
      {"ShowAgingChart", 944, 1, kShowAgingChart},
      {"DefaultInvoiceType", 951, 2, kDefaultInvoiceType},
      {"AutoCopyBillToShip", 953, 1, kAutoCopyBillToShip},
      // The face (text 40) ends at 995; size 996, colour 1000, style 1004.
      {"ManagersFont", 954, 51, kManagersFont},
      {"VerticalLines", 1005, 1, kVerticalLines},
      {"HorizontalLines", 1006, 1, kHorizontalLines},
      {"LineWidth", 1007, 2, kLineWidth},
      {"BoxStatements", 1009, 1, kBoxStatements},
      {"BoxInvoices", 1010, 1, kBoxInvoices},
      {"PrintCustomerAging", 1011, 1, kPrintCustomerAging},
      {"Shading", 1012, 1, kShading},
      {"LetterheadStyle", 1013, 1, kLetterheadStyle},
      {"PrintSalesMessage", 1014, 1, kPrintSalesMessage},
      {"ProductCodesOnInvoices", 1015, 1, kProductCodesOnInvoices},
      {"MoveDownTotals", 1016, 1, kMoveDownTotals},
      {"BoxTop", 1017, 3, kBoxTop},
      {"TopFormMargin", 1020, 3, kTopFormMargin},
      {"LeftFormMargin", 1023, 3, kLeftFormMargin},
      {"PrintLogo", 1026, 1, kPrintLogo},
      {"LogoPath", 1027, 251, kLogoPath},
      {"InvoiceTitle", 1278, 26, kInvoiceTitle},
      {"StatementTitle", 1304, 26, kStatementTitle},
      {"PackingSlipTitle", 1330, 26, kPackingSlipTitle},
      {"RemittanceCopyTitle", 1356, 26, kRemittanceCopyTitle},
      {"ProductCodeHeading", 1382, 16, kProductCodeHeading},
      {"QuantityHeading", 1398, 16, kQuantityHeading},
      {"DescriptionHeading", 1414, 33, kDescriptionHeading},
      {"UnitCostHeading", 1447, 16, kUnitCostHeading},
      {"ExtensionHeading", 1463, 16, kExtensionHeading},
      {"TaxHeading", 1479, 11, kTaxHeading},
      {"StatementNote", 1490, 81, kStatementNote},
      {"PrintPackingSlip", 1571, 1, kPrintPackingSlip},
      {"PrintRemittanceCopy", 1572, 1, kPrintRemittanceCopy},
      {"ShowHints", 1573, 1, kShowHints},
      {"LastInvoiceNumber", 1574, 10, kLastInvoiceNumber},
      // Each document font: face (text 32), size +36, colour +40, style +44.
      {"DocumentFonts[1]", 1584, 45, DocumentFontField(DocumentFont::FormBody)},
      {"DocumentFonts[2]", 1632, 45, DocumentFontField(DocumentFont::CaptionHeaders)},
      {"DocumentFonts[3]", 1680, 45, DocumentFontField(DocumentFont::CompanyAddress)},
      {"DocumentFonts[4]", 1728, 45, DocumentFontField(DocumentFont::CustomerAddress)},
      {"DocumentFonts[5]", 1776, 45, DocumentFontField(DocumentFont::AgingAnalysis)},
      {"DocumentFonts[6]", 1824, 45, DocumentFontField(DocumentFont::SalesMessage)},
      {"MemoHeading", 1872, 81, kMemoHeading},
      {"MaxLines", 1953, 3, kMaxLines},
      {"InterestLastRun", 1956, 11, kInterestLastRun},
      {"StatementBatchDate", 1967, 11, kStatementBatchDate},
      {"RepeatLastRun", 1978, 11, kRepeatLastRun},
      {"InterestMarkPrinted", 2000, 1, kInterestMarkPrinted},
      {"InterestTerms", 2001, 36, kInterestTerms},
      {"InterestAgingCategory", 2037, 2, kInterestAgingCategory},
      {"InterestMinimum", 2039, 6, kInterestMinimum},
      {"InterestPercent", 2045, 7, kInterestPercent},
      {"EnvelopeFont", 2052, 45, kEnvelopeFont},
      {"EnvLineSpacing", 2100, 4, kEnvLineSpacing},
      {"EnvLeftMargin", 2104, 5, kEnvLeftMargin},
      {"EnvTopMargin", 2109, 5, kEnvTopMargin},
      {"EnvSendAddressLeft", 2114, 5, kEnvSendAddressLeft},
      {"EnvOrientation", 2119, 2, kEnvOrientation},
      {"EnvAddressSource", 2121, 2, kEnvAddressSource},
      {"LabelQueueOnNewInvoice", 2123, 2, kLabelQueueOnNewInvoice},
      {"LabelQueueOnBatchPrint", 2125, 2, kLabelQueueOnBatchPrint},
      {"InvoiceCopies", 2127, 2, kInvoiceCopies},
      {"PushAddressRight", 2129, 11, kPushAddressRight},
      {"PrintReturnAddress", 2140, 2, kPrintReturnAddress},
      {"OmitCompanyNameOnForms", 2153, 2, kOmitCompanyNameOnForms},
      {"RequireAuditTrail", 2156, 2, kRequireAuditTrail},
      {"EMailAddress", 2159, 51, kEMailAddress},
      {"SMTPHost", 2261, 51, kSMTPHost},
      {"DefaultOutputEMail", 2363, 2, kDefaultOutputEMail},
      {"ShipToCaption", 2548, 26, kShipToCaption},
      {"LinesOnEMailInvoices", 2611, 2, kLinesOnEMailInvoices},
      {"NoLargeInvoiceNumbers", 2613, 2, kNoLargeInvoiceNumbers},
      {"EMailIncludeNoAddress", 2615, 2, kEMailIncludeNoAddress},
      {"BackupPromptOnExit", 2617, 2, kBackupPromptOnExit},
      {"AgingDays1", 2674, 4, kAgingDays1},
      {"AgingDays2", 2678, 4, kAgingDays2},
      {"AgingDays3", 2682, 4, kAgingDays3},
      {"AgingCaption1", 2690, 11, kAgingCaption1},
      {"AgingCaption2", 2701, 11, kAgingCaption2},
      {"AgingCaption3", 2712, 11, kAgingCaption3},
  };
  return layout;
}

TEST(CompanyRecordLayout, EveryFieldLiesAtItsOffsetWithItsSize) {
  for (const Placed& p : Layout()) {
    EXPECT_EQ(OffsetOf(p), p.offset) << p.name;
    EXPECT_EQ(SizeOf(p), p.size) << p.name;
  }
  // Font parts at their stated places.
  EXPECT_EQ(kEditorFont.SizeOffset(), 272u);
  EXPECT_EQ(kEditorFont.ColourOffset(), 276u);
  EXPECT_EQ(kEditorFont.StyleOffset(), 280u);
  EXPECT_EQ(kManagersFont.SizeOffset(), 996u);
  EXPECT_EQ(kEnvelopeFont.SizeOffset(), 2088u);
  EXPECT_EQ(DocumentFontField(DocumentFont::SalesMessage).SizeOffset(), 1824u + 36);
}

TEST(CompanyRecordLayout, FieldsFollowEachOtherWithoutOverlapInsideTheRecord) {
  std::vector<Placed> fields = Layout();
  std::sort(fields.begin(), fields.end(), [](const Placed& a, const Placed& b) { return a.offset < b.offset; });
  std::size_t end = 4;  // after the record status
  for (const Placed& p : fields) {
    EXPECT_GE(p.offset, end) << p.name << " overlaps the field before it";
    end = p.offset + p.size;
  }
  EXPECT_LE(end, std::size_t(kCompanyRecordLength));
  EXPECT_EQ(kCompanyRecordLength, 2736);
}

RecordBuffer Company(std::string_view number, std::string_view name) {
  RecordBuffer r(kCompanyRecordLength);
  common::WriteText(r, kCompanyNumber, number);
  common::WriteText(r, kCompanyName, name);
  return r;
}

TEST(CompanyKey, BuildsBothKeysAsTextThatSortsAsTheIndexDoes) {
  struct Case {
    const char* number;
    const char* name;
    int keyNr;
    std::string key;
  };
  const Case cases[] = {
      {"2", "", 1, "2    "},
      {"10", "", 1, "10   "},
      {" 7", "", 1, "7    "},
      {"7\t ", "", 1, "7    "},
      {"32000", "", 1, "32000"},
      {"", "", 1, "     "},
      {"1", "Acme Supply", 2, "ACME SUPPLY                   "},
      {"1", "  padded name ", 2, "PADDED NAME                   "},
      {"1", "A name of thirty-five characters!!", 2, "A NAME OF THIRTY-FIVE CHARACTE"},
      {"1", "M\xC3\xBC" "ller", 2, "M\xC3\xBC" "LLER" + std::string(23, ' ')},
      {"1", "Acme", 3, ""},
      {"1", "Acme", 0, ""},
  };
  for (const Case& c : cases) {
    const RecordBuffer r = Company(c.number, c.name);
    EXPECT_EQ(CompanyKey(r, c.keyNr), c.key) << c.number << " / " << c.name << " key " << c.keyNr;
  }
  // Company numbers sort as text: 10 before 2.
  EXPECT_LT(CompanyKey(Company("10", ""), 1), CompanyKey(Company("2", ""), 1));
}

TEST(CompanyFileName, IsTheTrimmedNumberAndTheLetter) {
  EXPECT_EQ(CompanyFileName("1", 'C'), "1C");
  EXPECT_EQ(CompanyFileName(" 7", 'C'), "7C");
  EXPECT_EQ(CompanyFileName("12 ", 'M'), "12M");
  EXPECT_EQ(CompanyFileName("32000", 'D'), "32000D");
}

TEST(CompanyFileKind, DescribesTheCompanyFileBlock) {
  const RecordFileKind& kind = CompanyFileKind();
  EXPECT_EQ(kind.recordLength, 2736);
  ASSERT_EQ(kind.keys.size(), 2u);
  EXPECT_EQ(kind.keys[0].KeyLength, 5);
  EXPECT_EQ(kind.keys[0].AllowDuplicates, 0);
  EXPECT_EQ(kind.keys[1].KeyLength, 30);
  EXPECT_EQ(kind.keys[1].AllowDuplicates, 1);
  const RecordBuffer r = Company("3", "Beta");
  EXPECT_EQ(kind.keyRoutine(r, 1), "3    ");
  EXPECT_EQ(kind.keyRoutine(r, 2), CompanyKey(r, 2));
  // A record of another length is refused through the engine's callback convention.
  std::vector<std::uint8_t> other(100, 0);
  engine::EngineOK = true;
  EXPECT_EQ(kind.keyRoutine(other, 1), "");
  EXPECT_FALSE(engine::EngineOK);
  engine::EngineOK = true;
}

// A current company with every field set to something a new company must not inherit, and
// markers in the fields it must keep.
RecordBuffer BusyCompany() {
  RecordBuffer r(kCompanyRecordLength);
  std::span<std::uint8_t> s(r.data(), r.size());
  for (std::size_t i = 4; i < r.size(); ++i) r.data()[i] = std::uint8_t('a' + i % 26);
  const auto text = [&](TextField f, std::string_view v) { common::WriteText(s, f, v); };
  text(kCompanyName, "Current Company Incorporated");
  text(kCompanyNumber, "7");
  text(kBackgroundPath, "/pictures/a-long-path-to-a-picture.bmp");
  text(kInvoiceTitle, "INVOICE");
  text(kDefaultTerms, "Net 30 Days");
  text(kMaxLines, "25");
  common::WriteFontSpec(s, DocumentFontField(DocumentFont::AgingAnalysis), {"Times", 9, 255, 2});
  common::WriteFontSpec(s, kEnvelopeFont, {"Courier", 12, 0, 0});
  common::WriteBool(s, kNewInvoicePrintFlag, true);
  text(TextField{kBackupPromptOnExit.offset, 1}, "Y");
  text(kStatementNote, "Thank you");
  return r;
}

TEST(NewCompanyRecord, SetsTheNewCompanyValuesAndKeepsTheRest) {
  const RecordBuffer current = BusyCompany();
  const RecordBuffer r = NewCompanyRecord(current, 3, LastShownOptions{});
  const std::span<const std::uint8_t> s(r.data(), r.size());
  const auto text = [&](TextField f) { return common::ReadText(s, f); };
  const auto flag = [&](FlagField f) { return common::ReadText(s, TextField{f.offset, 1}); };

  EXPECT_EQ(common::ReadInt32(s, common::Int32Field{0}), 0);
  EXPECT_EQ(text(kCompanyName), "");
  EXPECT_EQ(text(kCompanyNumber), "4") << "three keys in the index: the fourth company";
  EXPECT_EQ(text(kCompanyBalance), "0.00");
  for (TextField f : {kAddress1, kAddress2, kAddress3, kAddress4, kAddress5}) EXPECT_EQ(text(f), "");
  EXPECT_TRUE(common::ReadBool(s, kBackgroundOn));
  EXPECT_EQ(text(kBackgroundPath), "qzt8.bmp");
  for (TextField f : {kSalesMessage1, kSalesMessage2, kSalesMessage3, kSalesMessage4}) EXPECT_EQ(text(f), "");
  EXPECT_EQ(text(kTaxRate), "0.000");
  EXPECT_TRUE(common::ReadBool(s, kCalculateTaxes));
  EXPECT_EQ(text(kNextInvoiceNumber), "100");
  EXPECT_EQ(text(kDefaultQuantity), "1.00");
  EXPECT_FALSE(common::ReadBool(s, kPrintDuplicateNotice));
  EXPECT_EQ(text(kDateFormat), "D");
  EXPECT_EQ(flag(kYearMonthPrefix), "N");
  EXPECT_EQ(text(kNextCustomerNumber), "1");
  EXPECT_EQ(common::ReadFontSpec(s, kEditorFont), (common::FontSpec{"Arial", 10, 16711680, common::kFontBold}));
  EXPECT_EQ(common::ReadFontSpec(s, kManagersFont), (common::FontSpec{"Courier New", 10, 0, 0}));
  EXPECT_TRUE(common::ReadBool(s, kShowAgingChart));
  EXPECT_EQ(text(kDefaultInvoiceType), "P");
  EXPECT_TRUE(common::ReadBool(s, kAutoCopyBillToShip));
  EXPECT_TRUE(common::ReadBool(s, kShowHints));
  EXPECT_FALSE(common::ReadBool(s, kPrintLogo));
  EXPECT_EQ(text(kLogoPath), "");
  EXPECT_FALSE(common::ReadBool(s, kPrintPackingSlip));
  EXPECT_FALSE(common::ReadBool(s, kPrintRemittanceCopy));
  for (TextField f : {kLastAgingDate, kStatementBatchDate, kInterestLastRun, kRepeatLastRun}) EXPECT_EQ(text(f), " ");
  EXPECT_EQ(text(kInvoiceCopies), "1");
  EXPECT_EQ(flag(kPrintReturnAddress), "Y");
  EXPECT_EQ(flag(kOmitCompanyNameOnForms), "N");
  EXPECT_EQ(text(kPushAddressRight), "0");
  EXPECT_EQ(flag(kRequireAuditTrail), "N");
  EXPECT_EQ(text(kEMailAddress), "");
  EXPECT_EQ(text(kSMTPHost), "");
  EXPECT_EQ(flag(kDefaultOutputEMail), "N");
  EXPECT_EQ(flag(kLinesOnEMailInvoices), "Y");
  EXPECT_EQ(flag(kNoLargeInvoiceNumbers), "N");
  EXPECT_EQ(flag(kEMailIncludeNoAddress), "N");
  EXPECT_EQ(text(kShipToCaption), "Deliver To:");
  EXPECT_EQ(text(kAgingDays1), "30");
  EXPECT_EQ(text(kAgingDays2), "60");
  EXPECT_EQ(text(kAgingDays3), "90");
  EXPECT_EQ(text(kAgingCaption1), "Current:");
  EXPECT_EQ(text(kAgingCaption2), "31-60:");
  EXPECT_EQ(text(kAgingCaption3), "61-90:");
  // Not shown since the start: cleared.
  EXPECT_FALSE(common::ReadBool(s, kNewInvoicePrintFlag));
  EXPECT_EQ(flag(kLabelQueueOnNewInvoice), "N");
  EXPECT_EQ(flag(kBackupPromptOnExit), "N");
  EXPECT_EQ(text(kStatementNote), "");

  // Kept from the current company: titles, terms, document and envelope fonts, reserved bytes.
  EXPECT_EQ(text(kInvoiceTitle), "INVOICE");
  EXPECT_EQ(text(kDefaultTerms), "Net 30 Days");
  EXPECT_EQ(text(kMaxLines), "25");
  EXPECT_EQ(common::ReadFontSpec(s, DocumentFontField(DocumentFont::AgingAnalysis)),
            (common::FontSpec{"Times", 9, 255, 2}));
  EXPECT_EQ(common::ReadFontSpec(s, kEnvelopeFont), (common::FontSpec{"Courier", 12, 0, 0}));
  for (std::size_t reserved : {872u, 930u, 945u, 1989u, 2142u, 2365u, 2574u, 2619u, 2723u})
    EXPECT_EQ(r.data()[reserved], current.data()[reserved]) << "reserved byte " << reserved;

  // Nothing of the current company's name or background path lingers in the field bytes.
  EXPECT_TRUE(std::all_of(r.data() + kCompanyName.offset, r.data() + kCompanyName.offset + 36,
                          [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(r.data()[kBackgroundPath.offset + 1 + 8], 0);
}

TEST(NewCompanyRecord, TakesWhatTheOptionsScreensLastShowed) {
  LastShownOptions shown;
  shown.newInvoicePrintFlag = true;
  shown.labelQueueOnBatchPrint = true;
  shown.backupPromptOnExit = true;
  shown.statementNote = "Please pay promptly";
  const RecordBuffer r = NewCompanyRecord(BusyCompany(), 0, shown);
  const std::span<const std::uint8_t> s(r.data(), r.size());
  EXPECT_EQ(common::ReadText(s, kCompanyNumber), "1");
  EXPECT_TRUE(common::ReadBool(s, kNewInvoicePrintFlag));
  EXPECT_FALSE(common::ReadFlag(s, kLabelQueueOnNewInvoice));
  EXPECT_TRUE(common::ReadFlag(s, kLabelQueueOnBatchPrint));
  EXPECT_TRUE(common::ReadFlag(s, kBackupPromptOnExit));
  EXPECT_EQ(common::ReadText(s, kStatementNote), "Please pay promptly");
}

}  // namespace
}  // namespace tf::records::company
