#pragma once
// The find window's product mode: searches code, description and price of every product and
// lists them as "Product#", "Description", "Unit Price"; a chosen row gives back its code.

#include "finder/find_mode.h"

namespace tf::products {

class ProductFindMode : public finder::FindMode {
 public:
  explicit ProductFindMode(engine::FileBlock* products) : products_(products) {}
  std::string Caption() const override { return "Find Product"; }
  std::vector<finder::FindColumn> Columns() const override;
  engine::FileBlock* File() const override { return products_; }
  int RecordLength() const override;
  std::vector<std::string> Cells(std::span<const std::uint8_t> record) const override;
  std::vector<std::string> SearchedFields(std::span<const std::uint8_t> record) const override;
  int ResultColumn() const override { return 0; }

 private:
  engine::FileBlock* products_;
};

}  // namespace tf::products
