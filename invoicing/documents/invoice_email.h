#pragma once
// The e-mailed invoice: a plain-text body built from the document data set, and who it goes
// to. A pure function of the document and the company's options: sending is the mail
// sender's business.

#include <string>
#include <string_view>
#include <vector>

#include "invoicing/documents/invoice_document.h"
#include "invoicing/documents/layout_options.h"

namespace tf::invoicing::documents {

inline constexpr std::string_view kBadAddressSubject = "BAD CUSTOMER E-MAIL ADDRESS";
inline constexpr std::string_view kEMailCreditTitle = "C R E D I T";
inline constexpr std::string_view kEMailDuplicateNotice = "** DUPLICATE INVOICE **";
inline constexpr std::size_t kEMailRuleWidth = 82;

struct InvoiceEmail {
  enum class Route {
    Customer,        // to the customer's address
    CompanyAddress,  // the customer has no usable address: to the company's own, marked so
    NotSent,         // the customer has no address and the company sends none then
  };
  Route route = Route::NotSent;
  std::string from;
  std::string to;
  std::string subject;
  std::vector<std::string> body;
};

// The message of a document. A customer address of fewer than two characters is no address:
// the message then goes to the company's own address under "BAD CUSTOMER E-MAIL ADDRESS" when
// the company includes customers without one, and is not sent otherwise. A longer address that
// no server could take (a space, no "@", a character beyond 7-bit text) goes the same way to
// the company's address, so that the invoice is not lost in a refusal.
InvoiceEmail BuildInvoiceEmail(const InvoiceDocument& doc, const LayoutOptions& options);

}  // namespace tf::invoicing::documents
