#include "records/company_fields.h"

#include <variant>

#include "records/company_record.h"

namespace tf::records::company {

const std::vector<NamedField>& CompanyFields() {
  static const std::vector<NamedField> fields = {
      {"CompanyName", kCompanyName},
      {"CompanyNumber", kCompanyNumber},
      {"CompanyBalance", kCompanyBalance},
      {"Address1", kAddress1},
      {"Address2", kAddress2},
      {"Address3", kAddress3},
      {"Address4", kAddress4},
      {"Address5", kAddress5},
      {"EditorFont", kEditorFont},
      {"BackgroundOn", kBackgroundOn},
      {"BackgroundPath", kBackgroundPath},
      {"SalesMessage1", kSalesMessage1},
      {"SalesMessage2", kSalesMessage2},
      {"SalesMessage3", kSalesMessage3},
      {"SalesMessage4", kSalesMessage4},
      {"NextInvoiceNumber", kNextInvoiceNumber},
      {"DefaultQuantity", kDefaultQuantity},
      {"PrintDuplicateNotice", kPrintDuplicateNotice},
      {"NewInvoicePrintFlag", kNewInvoicePrintFlag},
      {"CalculateTaxes", kCalculateTaxes},
      {"TaxRate", kTaxRate},
      {"DefaultTerms", kDefaultTerms},
      {"DateFormat", kDateFormat},
      {"YearMonthPrefix", kYearMonthPrefix},
      {"NextCustomerNumber", kNextCustomerNumber},
      {"LastAgingDate", kLastAgingDate},
      {"ShowAgingChart", kShowAgingChart},
      {"DefaultInvoiceType", kDefaultInvoiceType},
      {"AutoCopyBillToShip", kAutoCopyBillToShip},
      {"ManagersFont", kManagersFont},
      {"VerticalLines", kVerticalLines},
      {"HorizontalLines", kHorizontalLines},
      {"LineWidth", kLineWidth},
      {"BoxStatements", kBoxStatements},
      {"BoxInvoices", kBoxInvoices},
      {"PrintCustomerAging", kPrintCustomerAging},
      {"Shading", kShading},
      {"LetterheadStyle", kLetterheadStyle},
      {"PrintSalesMessage", kPrintSalesMessage},
      {"ProductCodesOnInvoices", kProductCodesOnInvoices},
      {"MoveDownTotals", kMoveDownTotals},
      {"BoxTop", kBoxTop},
      {"TopFormMargin", kTopFormMargin},
      {"LeftFormMargin", kLeftFormMargin},
      {"PrintLogo", kPrintLogo},
      {"LogoPath", kLogoPath},
      {"InvoiceTitle", kInvoiceTitle},
      {"StatementTitle", kStatementTitle},
      {"PackingSlipTitle", kPackingSlipTitle},
      {"RemittanceCopyTitle", kRemittanceCopyTitle},
      {"ProductCodeHeading", kProductCodeHeading},
      {"QuantityHeading", kQuantityHeading},
      {"DescriptionHeading", kDescriptionHeading},
      {"UnitCostHeading", kUnitCostHeading},
      {"ExtensionHeading", kExtensionHeading},
      {"TaxHeading", kTaxHeading},
      {"StatementNote", kStatementNote},
      {"PrintPackingSlip", kPrintPackingSlip},
      {"PrintRemittanceCopy", kPrintRemittanceCopy},
      {"ShowHints", kShowHints},
      {"LastInvoiceNumber", kLastInvoiceNumber},
      {"DocumentFonts[1]", DocumentFontField(DocumentFont::FormBody)},
      {"DocumentFonts[2]", DocumentFontField(DocumentFont::CaptionHeaders)},
      {"DocumentFonts[3]", DocumentFontField(DocumentFont::CompanyAddress)},
      {"DocumentFonts[4]", DocumentFontField(DocumentFont::CustomerAddress)},
      {"DocumentFonts[5]", DocumentFontField(DocumentFont::AgingAnalysis)},
      {"DocumentFonts[6]", DocumentFontField(DocumentFont::SalesMessage)},
      {"MemoHeading", kMemoHeading},
      {"MaxLines", kMaxLines},
      {"InterestLastRun", kInterestLastRun},
      {"StatementBatchDate", kStatementBatchDate},
      {"RepeatLastRun", kRepeatLastRun},
      {"InterestMarkPrinted", kInterestMarkPrinted},
      {"InterestTerms", kInterestTerms},
      {"InterestAgingCategory", kInterestAgingCategory},
      {"InterestMinimum", kInterestMinimum},
      {"InterestPercent", kInterestPercent},
      {"EnvelopeFont", kEnvelopeFont},
      {"EnvLineSpacing", kEnvLineSpacing},
      {"EnvLeftMargin", kEnvLeftMargin},
      {"EnvTopMargin", kEnvTopMargin},
      {"EnvSendAddressLeft", kEnvSendAddressLeft},
      {"EnvOrientation", kEnvOrientation},
      {"EnvAddressSource", kEnvAddressSource},
      {"LabelQueueOnNewInvoice", kLabelQueueOnNewInvoice},
      {"LabelQueueOnBatchPrint", kLabelQueueOnBatchPrint},
      {"InvoiceCopies", kInvoiceCopies},
      {"PushAddressRight", kPushAddressRight},
      {"PrintReturnAddress", kPrintReturnAddress},
      {"OmitCompanyNameOnForms", kOmitCompanyNameOnForms},
      {"RequireAuditTrail", kRequireAuditTrail},
      {"EMailAddress", kEMailAddress},
      {"SMTPHost", kSMTPHost},
      {"DefaultOutputEMail", kDefaultOutputEMail},
      {"ShipToCaption", kShipToCaption},
      {"LinesOnEMailInvoices", kLinesOnEMailInvoices},
      {"NoLargeInvoiceNumbers", kNoLargeInvoiceNumbers},
      {"EMailIncludeNoAddress", kEMailIncludeNoAddress},
      {"BackupPromptOnExit", kBackupPromptOnExit},
      {"AgingDays1", kAgingDays1},
      {"AgingDays2", kAgingDays2},
      {"AgingDays3", kAgingDays3},
      {"AgingCaption1", kAgingCaption1},
      {"AgingCaption2", kAgingCaption2},
      {"AgingCaption3", kAgingCaption3},
  };
  return fields;
}

std::string CompanyFieldValue(std::span<const unsigned char> record, const NamedField& f) {
  struct {
    std::span<const unsigned char> r;
    std::string operator()(TextField t) const { return common::ReadText(r, t); }
    std::string operator()(FlagField g) const { return common::ReadText(r, TextField{g.offset, 1}); }
    std::string operator()(BoolField b) const { return common::ReadBool(r, b) ? "Y" : "N"; }
    std::string operator()(FontSpecField s) const {
      const common::FontSpec font = common::ReadFontSpec(r, s);
      return font.face + ", " + std::to_string(font.size) + " pt, colour " + std::to_string(font.colour) +
             ", style " + std::to_string(font.style);
    }
  } read{record};
  return std::visit(read, f.field);
}

std::vector<std::string> DescribeCompany(std::span<const unsigned char> record) {
  if (record.size() != std::size_t(kCompanyRecordLength))
    return {"(" + std::to_string(record.size()) + " bytes: not a company record of 2736)"};
  std::vector<std::string> lines;
  for (const NamedField& f : CompanyFields()) lines.push_back(std::string(f.name) + ": " + CompanyFieldValue(record, f));
  return lines;
}

std::vector<std::string> CompanyKeys(std::span<const unsigned char> record) {
  if (record.size() != std::size_t(kCompanyRecordLength)) return {};
  return {CompanyKey(record, kNumberKey), CompanyKey(record, kNameKey)};
}

}  // namespace tf::records::company
