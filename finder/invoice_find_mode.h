#pragma once
// The find window's invoice mode: caption "Find Invoice/Payment", every record of an open
// invoice file (invoices and payment records alike), matched on customer number, date key,
// statement note, notes, invoice number, key code and short name; a chosen row hands back the
// invoice number.

#include "finder/find_mode.h"

namespace tf::finder {

class InvoiceFindMode : public FindMode {
 public:
  explicit InvoiceFindMode(engine::FileBlock* invoices) : invoices_(invoices) {}
  std::string Caption() const override { return "Find Invoice/Payment"; }
  std::vector<FindColumn> Columns() const override;
  engine::FileBlock* File() const override { return invoices_; }
  int RecordLength() const override;
  std::vector<std::string> Cells(std::span<const std::uint8_t> record) const override;
  std::vector<std::string> SearchedFields(std::span<const std::uint8_t> record) const override;
  int ResultColumn() const override { return 1; }

 private:
  engine::FileBlock* invoices_;
};

}  // namespace tf::finder
