#pragma once
// What the "Customer Data" window (TQView) shows: a customer's name, number, balance, phone,
// last payment and invoice, its four aging amounts under the company's aging captions, and the
// details of one of its invoices, which the invoice manager supplies.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tf::customers {

struct QuickViewInvoice {
  std::string type;        // the kind as the invoice manager shows it
  std::string number;
  std::string date;
  std::string total;       // shown ",0.00"
  std::string paid;
  std::string balanceDue;
  bool printed = false;    // "* Printed *"
  bool repeat = false;     // "* Repeat *"
  std::string printedText = "";  // the printed mark's own text when it says more ("E-Mailed: " + date)
};

struct QuickView {
  std::string name, number, balance, phone, lastPayment, lastInvoice;
  std::string agingCaption[4];  // trimmed AgingCaption1..3, then "Over " + AgingDays3 + ":"
  std::string agingAmount[4];   // shown ",0.00"
  std::optional<QuickViewInvoice> invoice;
};

QuickView QuickViewOf(std::span<const std::uint8_t> company, std::span<const std::uint8_t> customer);

}  // namespace tf::customers
