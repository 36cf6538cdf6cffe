#include "customers/customer_envelope.h"

#include "common/stored_font.h"
#include "common/integer_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "customers/customer_record.h"
#include "shell/company_record.h"

namespace tf::customers {

namespace company = shell::company;
using common::ReadText;

bool PrintEnvelope(common::PrintCanvas& canvas, std::span<const std::uint8_t> co,
                   std::span<const std::uint8_t> customer) {
  const auto number = [&](common::TextField f) { return int(common::LeadingIntegerValue(ReadText(co, f))); };
  const int s = number(company::kEnvLineSpacing);
  const int left = number(company::kEnvLeftMargin);
  const int top = number(company::kEnvTopMargin);
  const int x = number(company::kEnvSendAddressLeft);
  const bool landscape = common::UpperCase(ReadText(co, company::kEnvOrientation)) == "L";
  const bool shipTo = common::UpperCase(ReadText(co, company::kEnvAddressSource)) == "S";

  if (landscape) canvas.SetOrientation(common::PageOrientation::Landscape);
  canvas.SetTitle(kEnvelopeJobTitle);
  bool ok = canvas.BeginDoc();
  if (ok) {
    canvas.SetFont(common::ReadFontSpec(co, company::kEnvelopeFont));
    if (common::ReadFlag(co, company::kPrintReturnAddress)) {
      canvas.TextOut(left, top, ReadText(co, company::kCompanyName));
      const common::TextField address[4] = {company::kAddress1, company::kAddress2, company::kAddress3,
                                            company::kAddress4};
      for (int k = 0; k < 4; ++k) canvas.TextOut(left, top + (k + 1) * s, ReadText(co, address[k]));
    }
    canvas.TextOut(x, top + 8 * s, ReadText(customer, kCustomerName));
    for (int k = 0; k < 4; ++k)
      canvas.TextOut(x, top + (9 + k) * s, ReadText(customer, shipTo ? kShipAddress[k] : kBillAddress[k]));
    ok = canvas.EndDoc();
  }
  if (landscape) canvas.SetOrientation(common::PageOrientation::Portrait);
  return ok;
}

std::string EnvelopeSentText(std::span<const std::uint8_t> customer) {
  return "Envelope for " + common::TrimBoth(ReadText(customer, kCustomerName)) + " sent to printer.";
}

}  // namespace tf::customers
