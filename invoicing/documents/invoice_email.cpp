#include "invoicing/documents/invoice_email.h"

#include "common/money_format.h"
#include "common/text.h"
#include "mail/mail_address.h"

namespace tf::invoicing::documents {
namespace {

using common::PadRight;

// Right-aligned in `width`; a longer text keeps all of its characters.
std::string PadLeft(std::string_view text, std::size_t width) {
  return text.size() >= width ? std::string(text) : std::string(width - text.size(), ' ') + std::string(text);
}

std::string Amount(common::Money value) { return PadLeft(common::FormatComma0_00(value), 12); }

}  // namespace

InvoiceEmail BuildInvoiceEmail(const InvoiceDocument& doc, const LayoutOptions& o) {
  InvoiceEmail mail;
  mail.from = o.emailAddress;
  mail.subject = o.invoiceTitle + " - " + doc.number;
  if (doc.email.size() >= 2 && mail::IsValidMailAddress(doc.email)) {
    mail.route = InvoiceEmail::Route::Customer;
    mail.to = doc.email;
  } else if (doc.email.size() >= 2 || o.emailIncludeNoAddress) {
    // An address the server could not take ("ann at example.com") is no address either, but
    // the customer meant to have one: the company gets the invoice to forward, whatever it
    // says about customers without an address.
    mail.route = InvoiceEmail::Route::CompanyAddress;
    mail.to = o.emailAddress;
    mail.subject = std::string(kBadAddressSubject);
  } else {
    mail.route = InvoiceEmail::Route::NotSent;
  }

  std::vector<std::string>& b = mail.body;
  const std::string rule(kEMailRuleWidth, '-');
  const std::string separator = o.linesOnEMail ? rule : " ";
  if (doc.IsCredit()) {
    b.emplace_back(kEMailCreditTitle);
    b.emplace_back(" ");
  }
  if (doc.AlreadyPrinted() && o.duplicateNotice) b.emplace_back(kEMailDuplicateNotice);
  b.emplace_back(" ");
  b.push_back(o.companyName + PadLeft(o.invoiceTitle, 35));
  for (const std::string& line : o.companyAddress)
    if (!line.empty()) b.push_back(line);
  b.push_back(separator);

  const bool shipTo = !doc.shipTo[0].empty();
  b.push_back(shipTo ? PadRight(doc.billName, 38) + o.shipToCaption : doc.billName);
  for (std::size_t i = 0; i < 4; ++i) b.push_back(shipTo ? PadRight(doc.billTo[i], 38) + doc.shipTo[i] : doc.billTo[i]);

  b.push_back(separator);
  b.push_back("Date: " + doc.date);
  b.push_back("Number: " + doc.number);
  b.push_back("Account Number: " + doc.accountNumber);
  b.push_back("Payment Terms: " + doc.terms);
  b.push_back("Reference: " + doc.reference);
  b.push_back(o.linesOnEMail ? rule : " ");

  if (!doc.memo) {
    b.push_back(PadRight(o.codeHeading, 10) + " " + PadRight(o.quantityHeading, 10) + " " +
                PadRight(o.descriptionHeading, 32) + " " + PadRight(o.unitCostHeading, 11) + " T " +
                PadLeft("Extended", 12));
    b.emplace_back("---------- ---------- -------------------------------- ----------- - ------------");
    for (const DocumentLine& line : doc.lines) {
      if (!line.Printable()) continue;
      b.push_back(PadRight(line.code, 10) + " " + PadLeft(line.quantity, 10) + " " + PadRight(line.description, 32) +
                  " " + PadLeft(line.unitPrice, 11) + " " + PadRight(line.taxMark, 1) + " " +
                  PadLeft(line.extension, 12));
    }
  } else {
    b.push_back(o.memoHeading);
    b.emplace_back(" ");
    std::size_t last = 0;
    for (std::size_t i = 0; i < doc.memoLines.size(); ++i)
      if (!doc.memoLines[i].empty()) last = i + 1;
    last = std::max<std::size_t>(last, 2);
    for (std::size_t i = 0; i < last; ++i) b.push_back(doc.memoLines[i]);
  }

  b.push_back(separator);
  b.push_back("Total: " + Amount(doc.net));
  if (!o.taxHeading.empty() || !doc.tax.IsZero()) b.push_back(o.taxHeading + " " + Amount(doc.tax));
  b.push_back("Grand Total: " + Amount(doc.total));
  if (doc.paidDate.size() > 7) b.push_back("Paid Date: " + doc.paidDate);
  b.push_back("Paid Amount: " + Amount(doc.paid));
  b.push_back("Balance Due: " + Amount(doc.balance));

  if (doc.notesOnInvoices && doc.customerNotes.size() > 1) {
    if (o.linesOnEMail) b.push_back(rule);
    b.push_back(doc.customerNotes);
  }
  if (o.printSalesMessage) {
    b.push_back(separator);
    for (const std::string& line : o.salesMessage)
      if (!line.empty()) b.push_back(line);
  }
  if (o.customerAging) {
    b.emplace_back(" ");
    b.emplace_back("Account Status:");
    for (std::size_t k = 0; k < 4; ++k) b.push_back(o.agingCaption[k] + " " + doc.aging[k]);
  }
  return mail;
}

}  // namespace tf::invoicing::documents
