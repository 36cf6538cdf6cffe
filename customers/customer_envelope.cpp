#include "customers/customer_envelope.h"

#include "common/stored_font.h"
#include "common/integer_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/customer_record.h"
#include "records/company_record.h"

namespace tf::customers {

namespace company = records::company;
using common::ReadText;

bool PrintEnvelope(common::PrintCanvas& canvas, std::span<const std::uint8_t> co,
                   std::span<const std::uint8_t> customer) {
  const auto number = [&](common::TextField f) { return int(common::LeadingIntegerValue(ReadText(co, f))); };
  const int s = number(records::company::kEnvLineSpacing);
  const int left = number(records::company::kEnvLeftMargin);
  const int top = number(records::company::kEnvTopMargin);
  const int x = number(records::company::kEnvSendAddressLeft);
  const bool landscape = common::UpperCase(ReadText(co, records::company::kEnvOrientation)) == "L";
  const bool shipTo = common::UpperCase(ReadText(co, records::company::kEnvAddressSource)) == "S";

  if (landscape) canvas.SetOrientation(common::PageOrientation::Landscape);
  canvas.SetTitle(kEnvelopeJobTitle);
  bool ok = canvas.BeginDoc();
  if (ok) {
    canvas.SetFont(common::ReadFontSpec(co, records::company::kEnvelopeFont));
    if (common::ReadFlag(co, records::company::kPrintReturnAddress)) {
      canvas.TextOut(left, top, ReadText(co, records::company::kCompanyName));
      const common::TextField address[4] = {records::company::kAddress1, records::company::kAddress2, records::company::kAddress3,
                                            records::company::kAddress4};
      for (int k = 0; k < 4; ++k) canvas.TextOut(left, top + (k + 1) * s, ReadText(co, address[k]));
    }
    canvas.TextOut(x, top + 8 * s, ReadText(customer, records::customer::kCustomerName));
    for (int k = 0; k < 4; ++k)
      canvas.TextOut(x, top + (9 + k) * s, ReadText(customer, shipTo ? records::customer::kShipAddress[k] : records::customer::kBillAddress[k]));
    ok = canvas.EndDoc();
  }
  if (landscape) canvas.SetOrientation(common::PageOrientation::Portrait);
  return ok;
}

std::string EnvelopeSentText(std::span<const std::uint8_t> customer) {
  return "Envelope for " + common::TrimBoth(ReadText(customer, records::customer::kCustomerName)) + " sent to printer.";
}

}  // namespace tf::customers
