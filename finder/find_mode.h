#pragma once
// What the find window searches: one record kind of one open file block. Each manager that
// offers "Find" supplies a mode (customers, products, invoices, companies); the window and
// its model are shared.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/core/engine.h"

namespace tf::finder {

struct FindColumn {
  std::string caption;
  int width = 0;  // pixels of the report list; 0 leaves the list's default
};

class FindMode {
 public:
  virtual ~FindMode() = default;
  virtual std::string Caption() const = 0;  // window caption while this mode searches
  virtual std::vector<FindColumn> Columns() const = 0;
  virtual engine::FileBlock* File() const = 0;  // open while the window is shown
  virtual int RecordLength() const = 0;
  // The row texts of a record, one per column.
  virtual std::vector<std::string> Cells(std::span<const std::uint8_t> record) const = 0;
  // The field texts a search looks into, in the mode's order.
  virtual std::vector<std::string> SearchedFields(std::span<const std::uint8_t> record) const = 0;
  // The column whose text is handed back when a row is chosen (the customer's number).
  virtual int ResultColumn() const = 0;
};

}  // namespace tf::finder
