#pragma once
// The find window's customer mode: caption "Find Customer", the customers of an open file
// block, matched on number, name, first phone and the four billing lines; a chosen row hands
// back the customer's number.

#include "finder/find_mode.h"

namespace tf::customers {

class CustomerFindMode : public finder::FindMode {
 public:
  explicit CustomerFindMode(engine::FileBlock* customers) : customers_(customers) {}
  std::string Caption() const override { return "Find Customer"; }
  std::vector<finder::FindColumn> Columns() const override;
  engine::FileBlock* File() const override { return customers_; }
  int RecordLength() const override;
  std::vector<std::string> Cells(std::span<const std::uint8_t> record) const override;
  std::vector<std::string> SearchedFields(std::span<const std::uint8_t> record) const override;
  int ResultColumn() const override { return 1; }

 private:
  engine::FileBlock* customers_;
};

}  // namespace tf::customers
