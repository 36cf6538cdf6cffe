#include "invoicing/documents/layout_options.h"

#include <charconv>

#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_record.h"

namespace tf::invoicing::documents {
namespace {

namespace co = records::company;
using common::ReadBool;
using common::ReadFlag;
using common::TrimBoth;

std::string Text(std::span<const std::uint8_t> r, common::TextField field) {
  return TrimBoth(common::ReadText(r, field));
}

// A stored whole number; 0 when blank or not a number.
int Number(std::span<const std::uint8_t> r, common::TextField field) {
  const std::string text = Text(r, field);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

common::FontSpec Font(std::span<const std::uint8_t> r, co::DocumentFont which) {
  common::FontSpec font = common::ReadFontSpec(r, co::DocumentFontField(which));
  if (TrimBoth(font.face).empty()) font.face = "Arial";
  if (font.size <= 0) font.size = 10;
  return font;
}

}  // namespace

LayoutOptions LayoutOptions::FromCompany(std::span<const std::uint8_t> r) {
  LayoutOptions o;
  o.companyName = Text(r, co::kCompanyName);
  const common::TextField address[5] = {co::kAddress1, co::kAddress2, co::kAddress3, co::kAddress4, co::kAddress5};
  for (int i = 0; i < 5; ++i) o.companyAddress[std::size_t(i)] = Text(r, address[i]);
  o.leftMargin = Number(r, co::kLeftFormMargin);
  o.topMargin = Number(r, co::kTopFormMargin);
  o.pushAddressRight = Number(r, co::kPushAddressRight);
  o.lineWidth = std::max(1, Number(r, co::kLineWidth));
  o.boxTop = Number(r, co::kBoxTop);
  o.maxLines = Number(r, co::kMaxLines);
  o.invoiceCopies = Number(r, co::kInvoiceCopies);
  o.boxInvoices = ReadBool(r, co::kBoxInvoices);
  o.horizontalLines = ReadBool(r, co::kHorizontalLines);
  o.verticalLines = ReadBool(r, co::kVerticalLines);
  o.shading = ReadBool(r, co::kShading);
  o.letterhead = ReadBool(r, co::kLetterheadStyle);
  o.printLogo = ReadBool(r, co::kPrintLogo);
  o.logoPath = Text(r, co::kLogoPath);
  o.productCodes = ReadBool(r, co::kProductCodesOnInvoices);
  o.moveDownTotals = ReadBool(r, co::kMoveDownTotals);
  o.duplicateNotice = ReadBool(r, co::kPrintDuplicateNotice);
  o.noLargeNumbers = ReadFlag(r, co::kNoLargeInvoiceNumbers);
  o.omitCompanyName = ReadFlag(r, co::kOmitCompanyNameOnForms);
  o.printSalesMessage = ReadBool(r, co::kPrintSalesMessage);
  const common::TextField messages[4] = {co::kSalesMessage1, co::kSalesMessage2, co::kSalesMessage3,
                                         co::kSalesMessage4};
  for (int i = 0; i < 4; ++i) o.salesMessage[std::size_t(i)] = Text(r, messages[i]);
  o.customerAging = ReadBool(r, co::kPrintCustomerAging);
  o.printPackingSlip = ReadBool(r, co::kPrintPackingSlip);
  o.printFileCopies = ReadBool(r, co::kPrintRemittanceCopy);
  o.labelQueueOnBatchPrint = ReadFlag(r, co::kLabelQueueOnBatchPrint);
  o.invoiceTitle = Text(r, co::kInvoiceTitle);
  o.packingSlipTitle = Text(r, co::kPackingSlipTitle);
  o.fileCopyTitle = Text(r, co::kRemittanceCopyTitle);
  o.codeHeading = Text(r, co::kProductCodeHeading);
  o.quantityHeading = Text(r, co::kQuantityHeading);
  o.descriptionHeading = Text(r, co::kDescriptionHeading);
  o.unitCostHeading = Text(r, co::kUnitCostHeading);
  o.extensionHeading = Text(r, co::kExtensionHeading);
  o.taxHeading = Text(r, co::kTaxHeading);
  o.memoHeading = Text(r, co::kMemoHeading);
  o.shipToCaption = Text(r, co::kShipToCaption);
  o.agingCaption = {Text(r, co::kAgingCaption1), Text(r, co::kAgingCaption2), Text(r, co::kAgingCaption3),
                    "Over " + Text(r, co::kAgingDays3) + ":"};
  o.emailAddress = Text(r, co::kEMailAddress);
  o.linesOnEMail = ReadFlag(r, co::kLinesOnEMailInvoices);
  o.emailIncludeNoAddress = ReadFlag(r, co::kEMailIncludeNoAddress);
  for (std::size_t i = 0; i < o.fonts.size(); ++i) o.fonts[i] = Font(r, co::DocumentFont(i));
  return o;
}

}  // namespace tf::invoicing::documents
