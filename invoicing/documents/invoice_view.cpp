#include "invoicing/documents/invoice_view.h"

#include "common/money_format.h"

namespace tf::invoicing::documents {

InvoiceView ViewOf(const InvoiceDocument& doc, const LayoutOptions& o) {
  InvoiceView v;
  v.caption = "View Invoice# " + doc.number;
  v.billName = doc.billName;
  v.billTo = doc.billTo;
  v.shipToCaption = o.shipToCaption;
  v.shipTo = doc.shipTo;
  v.date = "Date: " + doc.date;
  v.number = "Number: " + doc.number;
  v.account = "Account Number: " + doc.accountNumber;
  v.terms = "Payment Terms: " + doc.terms;
  v.reference = "Reference: " + doc.reference;
  if (doc.kind == "T") {
    v.typeLine = "Deposit on Account - Offset against invoices.";
  } else if (doc.kind == "D" || doc.invoiceType == "D") {
    v.typeLine = "Deposit on Account";
  } else if (doc.memo) {
    v.typeLine = "Memo Invoice";
  } else {
    v.typeLine = "Product Code Invoice";
  }
  v.memo = doc.memo;
  if (doc.memo) {
    std::size_t last = 0;
    for (std::size_t i = 0; i < doc.memoLines.size(); ++i)
      if (!doc.memoLines[i].empty()) last = i + 1;
    for (std::size_t i = 0; i < last; ++i) v.memoText += (i ? "\n" : "") + doc.memoLines[i];
  } else {
    v.headings = {"LN", o.codeHeading, o.quantityHeading, o.descriptionHeading, o.unitCostHeading, "T",
                  o.extensionHeading};
    int n = 0;
    for (const DocumentLine& line : doc.lines) {
      if (!line.Printable()) continue;
      ++n;
      const std::string number = (n < 10 ? "0" : "") + std::to_string(n);
      v.rows.push_back({number, line.code, line.quantity, line.description, line.unitPrice, line.taxMark,
                        line.extension});
    }
  }
  if (doc.IsRepeatMaster())
    v.status = "** REPEAT BILLING MASTER SETUP **";
  else if (doc.IsDeposit())
    v.status = "DEPOSIT ON ACCOUNT OF " + common::FormatComma0_00(doc.paid) +
               ". (A zero amount indicates deposit has been offset).";
  else if (doc.kind == "G")
    v.status = "** GENERATED BILLING **";
  v.net = common::FormatComma0_00(doc.net);
  v.tax = "Tax: " + common::FormatComma0_00(doc.tax);
  v.total = common::FormatComma0_00(doc.total);
  v.paid = "Paid Amount: " + common::FormatComma0_00(doc.paid);
  v.balance = common::FormatComma0_00(doc.balance);
  return v;
}

}  // namespace tf::invoicing::documents
