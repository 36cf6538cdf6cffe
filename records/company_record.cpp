#include "records/company_record.h"

#include <algorithm>
#include <stdexcept>

#include "common/key_text.h"
#include "common/text.h"

namespace tf::records::company {
namespace {

constexpr std::size_t kNumberKeyLength = 5;
constexpr std::size_t kNameKeyLength = 30;

void RequireCompanyRecord(std::span<const std::uint8_t> record) {
  if (record.size() != std::size_t(kCompanyRecordLength))
    throw std::invalid_argument("a company record has 2736 bytes, not " + std::to_string(record.size()));
}

// A text set on a new record: its bytes cleared first, as in a zero-filled record.
void SetText(std::span<std::uint8_t> record, TextField field, std::string_view text) {
  std::fill_n(record.begin() + std::ptrdiff_t(field.offset), field.capacity + 1, std::uint8_t{0});
  common::WriteText(record, field, text);
}

void SetFont(std::span<std::uint8_t> record, FontSpecField field, const common::FontSpec& font) {
  SetText(record, TextField{field.offset, field.faceCapacity}, {});
  common::WriteFontSpec(record, field, font);
}

}  // namespace

std::string CompanyKey(std::span<const std::uint8_t> record, int keyNr) {
  switch (keyNr) {
    case kNumberKey:
      return common::BuildKey(common::ReadText(record, kCompanyNumber), kNumberKeyLength);
    case kNameKey:
      return common::BuildKey(common::ReadText(record, kCompanyName), kNameKeyLength);
    default:
      return {};
  }
}

std::string CompanyFileName(std::string_view companyNumber, char letter) {
  return common::TrimBoth(companyNumber) + letter;
}

const RecordFileKind& CompanyFileKind() {
  static const RecordFileKind kind{
      "Companies",
      kCompanyRecordLength,
      {{std::uint8_t(kNumberKeyLength), 0}, {std::uint8_t(kNameKeyLength), 1}},
      // A file whose header claims another record length cannot hold company records: the
      // rebuild is told so (its key routine convention) instead of reading beyond the record.
      [](std::span<const std::uint8_t> record, int keyNr) {
        if (record.size() != std::size_t(kCompanyRecordLength)) {
          engine::EngineOK = false;
          return std::string();
        }
        return CompanyKey(record, keyNr);
      },
  };
  return kind;
}

common::RecordBuffer NewCompanyRecord(std::span<const std::uint8_t> current, int companyKeyCount,
                                      const LastShownOptions& shown) {
  RequireCompanyRecord(current);
  common::RecordBuffer buffer(current.size());
  std::copy(current.begin(), current.end(), buffer.begin());
  std::span<std::uint8_t> r(buffer.data(), buffer.size());
  common::WriteInt32(r, common::Int32Field{0}, 0);

  SetText(r, kCompanyName, "");
  SetText(r, kCompanyNumber, std::to_string(companyKeyCount + 1));
  SetText(r, kCompanyBalance, "0.00");
  for (TextField line : {kAddress1, kAddress2, kAddress3, kAddress4, kAddress5}) SetText(r, line, "");

  common::WriteBool(r, kBackgroundOn, true);
  SetText(r, kBackgroundPath, "qzt8.bmp");
  for (TextField line : {kSalesMessage1, kSalesMessage2, kSalesMessage3, kSalesMessage4}) SetText(r, line, "");

  SetText(r, kTaxRate, "0.000");
  common::WriteBool(r, kCalculateTaxes, true);
  SetText(r, kNextInvoiceNumber, "100");
  SetText(r, kDefaultQuantity, "1.00");
  common::WriteBool(r, kPrintDuplicateNotice, false);
  SetText(r, kDateFormat, "D");
  SetText(r, TextField{kYearMonthPrefix.offset, 1}, "N");
  SetText(r, kNextCustomerNumber, "1");

  SetFont(r, kEditorFont, {"Arial", 10, 16711680, common::kFontBold});
  SetFont(r, kManagersFont, {"Courier New", 10, 0, 0});

  common::WriteBool(r, kShowAgingChart, true);
  SetText(r, kDefaultInvoiceType, "P");
  common::WriteBool(r, kAutoCopyBillToShip, true);
  common::WriteBool(r, kShowHints, true);

  common::WriteBool(r, kPrintLogo, false);
  SetText(r, kLogoPath, "");
  common::WriteBool(r, kPrintPackingSlip, false);
  common::WriteBool(r, kPrintRemittanceCopy, false);

  for (TextField date : {kLastAgingDate, kStatementBatchDate, kInterestLastRun, kRepeatLastRun}) SetText(r, date, " ");

  SetText(r, kInvoiceCopies, "1");
  const auto setFlag = [&](FlagField flag, bool yes) { SetText(r, TextField{flag.offset, 1}, yes ? "Y" : "N"); };
  setFlag(kPrintReturnAddress, true);
  setFlag(kOmitCompanyNameOnForms, false);
  SetText(r, kPushAddressRight, "0");
  setFlag(kRequireAuditTrail, false);
  SetText(r, kEMailAddress, "");
  SetText(r, kSMTPHost, "");
  setFlag(kDefaultOutputEMail, false);
  setFlag(kLinesOnEMailInvoices, true);
  setFlag(kNoLargeInvoiceNumbers, false);
  setFlag(kEMailIncludeNoAddress, false);
  SetText(r, kShipToCaption, "Deliver To:");

  SetText(r, kAgingDays1, "30");
  SetText(r, kAgingDays2, "60");
  SetText(r, kAgingDays3, "90");
  SetText(r, kAgingCaption1, "Current:");
  SetText(r, kAgingCaption2, "31-60:");
  SetText(r, kAgingCaption3, "61-90:");

  common::WriteBool(r, kNewInvoicePrintFlag, shown.newInvoicePrintFlag);
  setFlag(kLabelQueueOnNewInvoice, shown.labelQueueOnNewInvoice);
  setFlag(kLabelQueueOnBatchPrint, shown.labelQueueOnBatchPrint);
  setFlag(kBackupPromptOnExit, shown.backupPromptOnExit);
  SetText(r, kStatementNote, shown.statementNote);
  return buffer;
}

std::string ShownCompanyName(std::span<const std::uint8_t> record) {
  const std::string name = common::ReadText(record, kCompanyName);
  if (common::TrimBoth(name).size() < 2) return std::string(kSetupYourCompany);
  return name;
}

}  // namespace tf::records::company
