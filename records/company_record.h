#pragma once
// The company record: one 2736-byte record per company in the file block "Company", and the
// same image in the start-up file "LastCo.Dat". Every field lies at a fixed offset; the gaps
// between fields are reserved bytes, zero in new records and carried unchanged by updates.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/stored_font.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "records/record_file.h"

namespace tf::records::company {

using common::BoolField;
using common::FlagField;
using common::FontSpecField;
using common::TextField;

inline constexpr int kCompanyRecordLength = 2736;

// Offset 0 holds the engine's record status (0 in a live record).
inline constexpr TextField kCompanyName{4, 35};
inline constexpr TextField kCompanyNumber{40, 5};
inline constexpr TextField kCompanyBalance{46, 10};
inline constexpr TextField kAddress1{57, 35};
inline constexpr TextField kAddress2{93, 35};
inline constexpr TextField kAddress3{129, 35};
inline constexpr TextField kAddress4{165, 35};
inline constexpr TextField kAddress5{201, 35};
inline constexpr FontSpecField kEditorFont{237, 32};
inline constexpr BoolField kBackgroundOn{281};
inline constexpr TextField kBackgroundPath{282, 250};
inline constexpr TextField kSalesMessage1{533, 78};
inline constexpr TextField kSalesMessage2{612, 78};
inline constexpr TextField kSalesMessage3{691, 78};
inline constexpr TextField kSalesMessage4{770, 78};
inline constexpr TextField kNextInvoiceNumber{849, 9};
inline constexpr TextField kDefaultQuantity{859, 9};
inline constexpr BoolField kPrintDuplicateNotice{869};
inline constexpr BoolField kNewInvoicePrintFlag{870};
inline constexpr BoolField kCalculateTaxes{871};
inline constexpr TextField kTaxRate{874, 6};
inline constexpr TextField kDefaultTerms{881, 35};
inline constexpr TextField kDateFormat{917, 1};
inline constexpr FlagField kYearMonthPrefix{919};
inline constexpr TextField kNextCustomerNumber{921, 8};
inline constexpr TextField kLastAgingDate{933, 10};
inline constexpr BoolField kShowAgingChart{944};
inline constexpr TextField kDefaultInvoiceType{951, 1};
inline constexpr BoolField kAutoCopyBillToShip{953};
inline constexpr FontSpecField kManagersFont{954, 40};
inline constexpr BoolField kVerticalLines{1005};
inline constexpr BoolField kHorizontalLines{1006};
inline constexpr TextField kLineWidth{1007, 1};
inline constexpr BoolField kBoxStatements{1009};
inline constexpr BoolField kBoxInvoices{1010};
inline constexpr BoolField kPrintCustomerAging{1011};
inline constexpr BoolField kShading{1012};
inline constexpr BoolField kLetterheadStyle{1013};
inline constexpr BoolField kPrintSalesMessage{1014};
inline constexpr BoolField kProductCodesOnInvoices{1015};
inline constexpr BoolField kMoveDownTotals{1016};
inline constexpr TextField kBoxTop{1017, 2};
inline constexpr TextField kTopFormMargin{1020, 2};
inline constexpr TextField kLeftFormMargin{1023, 2};
inline constexpr BoolField kPrintLogo{1026};
inline constexpr TextField kLogoPath{1027, 250};
inline constexpr TextField kInvoiceTitle{1278, 25};
inline constexpr TextField kStatementTitle{1304, 25};
inline constexpr TextField kPackingSlipTitle{1330, 25};
inline constexpr TextField kRemittanceCopyTitle{1356, 25};
inline constexpr TextField kProductCodeHeading{1382, 15};
inline constexpr TextField kQuantityHeading{1398, 15};
inline constexpr TextField kDescriptionHeading{1414, 32};
inline constexpr TextField kUnitCostHeading{1447, 15};
inline constexpr TextField kExtensionHeading{1463, 15};
inline constexpr TextField kTaxHeading{1479, 10};
inline constexpr TextField kStatementNote{1490, 80};
inline constexpr BoolField kPrintPackingSlip{1571};
inline constexpr BoolField kPrintRemittanceCopy{1572};
inline constexpr BoolField kShowHints{1573};
inline constexpr TextField kLastInvoiceNumber{1574, 9};

// The six document fonts, 48 bytes apart, in this order.
enum class DocumentFont { FormBody, CaptionHeaders, CompanyAddress, CustomerAddress, AgingAnalysis, SalesMessage };
inline constexpr std::size_t kDocumentFontCount = 6;
inline constexpr std::size_t kDocumentFontsOffset = 1584;
inline constexpr std::size_t kDocumentFontStride = 48;
constexpr FontSpecField DocumentFontField(DocumentFont font) {
  return FontSpecField{kDocumentFontsOffset + kDocumentFontStride * std::size_t(font), 32};
}

inline constexpr TextField kMemoHeading{1872, 80};
inline constexpr TextField kMaxLines{1953, 2};
inline constexpr TextField kInterestLastRun{1956, 10};
inline constexpr TextField kStatementBatchDate{1967, 10};
inline constexpr TextField kRepeatLastRun{1978, 10};
inline constexpr BoolField kInterestMarkPrinted{2000};
inline constexpr TextField kInterestTerms{2001, 35};
inline constexpr TextField kInterestAgingCategory{2037, 1};
inline constexpr TextField kInterestMinimum{2039, 5};
inline constexpr TextField kInterestPercent{2045, 6};
inline constexpr FontSpecField kEnvelopeFont{2052, 32};
inline constexpr TextField kEnvLineSpacing{2100, 3};
inline constexpr TextField kEnvLeftMargin{2104, 4};
inline constexpr TextField kEnvTopMargin{2109, 4};
inline constexpr TextField kEnvSendAddressLeft{2114, 4};
inline constexpr TextField kEnvOrientation{2119, 1};
inline constexpr TextField kEnvAddressSource{2121, 1};
inline constexpr FlagField kLabelQueueOnNewInvoice{2123};
inline constexpr FlagField kLabelQueueOnBatchPrint{2125};
inline constexpr TextField kInvoiceCopies{2127, 1};
inline constexpr TextField kPushAddressRight{2129, 10};
inline constexpr FlagField kPrintReturnAddress{2140};
inline constexpr FlagField kOmitCompanyNameOnForms{2153};
inline constexpr FlagField kRequireAuditTrail{2156};
inline constexpr TextField kEMailAddress{2159, 50};
inline constexpr TextField kSMTPHost{2261, 50};
inline constexpr FlagField kDefaultOutputEMail{2363};
inline constexpr TextField kShipToCaption{2548, 25};
inline constexpr FlagField kLinesOnEMailInvoices{2611};
inline constexpr FlagField kNoLargeInvoiceNumbers{2613};
inline constexpr FlagField kEMailIncludeNoAddress{2615};
inline constexpr FlagField kBackupPromptOnExit{2617};
inline constexpr TextField kAgingDays1{2674, 3};
inline constexpr TextField kAgingDays2{2678, 3};
inline constexpr TextField kAgingDays3{2682, 3};
inline constexpr TextField kAgingCaption1{2690, 10};
inline constexpr TextField kAgingCaption2{2701, 10};
inline constexpr TextField kAgingCaption3{2712, 10};

// --- the file block --------------------------------------------------------------------------

inline constexpr std::string_view kCompanyFileBlock = "Company";
inline constexpr std::string_view kStartupFile = "LastCo.Dat";
inline constexpr int kNumberKey = 1;  // CompanyNumber, unique
inline constexpr int kNameKey = 2;    // CompanyName, duplicates allowed

// Key 1: the trimmed number padded to 5 (a longer one is not cut); key 2: the trimmed name
// padded to 30; both upper-cased and cut to 30. Any other key number gives an empty key.
// Numbers therefore sort as text: "10   " before "2    ".
std::string CompanyKey(std::span<const std::uint8_t> record, int keyNr);

// What every window shows for a company whose trimmed name is shorter than 2 characters.
inline constexpr std::string_view kSetupYourCompany = "Please Setup Your Company.";
// The company's name as every window shows it: CompanyName, or kSetupYourCompany until the
// company has a name. The record written to the files keeps what was stored.
std::string ShownCompanyName(std::span<const std::uint8_t> record);

// The file block of `letter` ('C' customers, 'P' products, 'I' invoices, 'D' invoice lines,
// 'M' memo texts) for a company: the trimmed number followed by the letter (" 7", 'C' -> "7C").
std::string CompanyFileName(std::string_view companyNumber, char letter);

// The company file block's shape: title "Companies", 2736 bytes, keys (5, unique) and
// (30, duplicates), built by CompanyKey.
const RecordFileKind& CompanyFileKind();

// --- a new company ---------------------------------------------------------------------------

// Values a new company takes from what the options and headers screens last showed in this
// run of the program; default-constructed when they have not been shown.
struct LastShownOptions {
  bool newInvoicePrintFlag = false;
  bool labelQueueOnNewInvoice = false;
  bool labelQueueOnBatchPrint = false;
  bool backupPromptOnExit = false;
  std::string statementNote;
};

// The record proposed for a new company: a copy of `current` with the new-company values set,
// numbered companyKeyCount + 1 (the number of keys in the company index; the options screen
// refuses a number already taken). Text fields set here are zero-filled first, so nothing of
// the current company's text lingers beyond their length.
common::RecordBuffer NewCompanyRecord(std::span<const std::uint8_t> current, int companyKeyCount,
                                      const LastShownOptions& shown);

}  // namespace tf::records::company
