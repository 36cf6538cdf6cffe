#pragma once
// The find window's company mode ("Find Company"): searches the name, number and address lines
// 1 to 4 of every company and lists them under "Company Name", "Number" and "Address Line 1"
// to "Address Line 4"; a chosen row gives back the company's number.

#include "finder/find_mode.h"

namespace tf::companies {

class CompanyFindMode : public finder::FindMode {
 public:
  explicit CompanyFindMode(engine::FileBlock* companies) : companies_(companies) {}
  std::string Caption() const override { return "Find Company"; }
  std::vector<finder::FindColumn> Columns() const override;
  engine::FileBlock* File() const override { return companies_; }
  int RecordLength() const override;
  std::vector<std::string> Cells(std::span<const std::uint8_t> record) const override;
  std::vector<std::string> SearchedFields(std::span<const std::uint8_t> record) const override;
  int ResultColumn() const override { return 1; }

 private:
  engine::FileBlock* companies_;
};

}  // namespace tf::companies
