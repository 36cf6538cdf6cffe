#include "products/product_text.h"

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "browse/browse_source.h"
#include "records/product_record.h"

namespace tf::products {

using common::Cut;
using common::PadRight;

std::string ShownPrice(std::string_view salesPrice) {
  return common::FormatComma0_00(common::ParseAmount(salesPrice).value_or(common::Money{}));
}

std::string ProductListHeader() {
  return PadRight(PadRight("Code", 10) + " " + PadRight("Description", 32) + " " +
                      common::AlignRight("Sales Price", 12) + " " + PadRight("Setup Date", 10),
                  browse::kMaxRowText);
}

std::string ProductRow(std::span<const std::uint8_t> record) {
  const std::string row =
      Cut(PadRight(common::ReadText(record, records::product::kProductCode), 10), 10) + " " +
      PadRight(common::TrimBoth(common::ReadText(record, records::product::kProductDescription)), 32) + " " +
      common::AlignRight(ShownPrice(common::ReadText(record, records::product::kSalesPrice)), 12) + " " +
      PadRight(common::ReadText(record, records::product::kSetupDate), 10);
  return PadRight(row, browse::kMaxRowText);
}

std::string UnreadableRow(std::string_view key) {
  return PadRight("****  " + std::string(key), browse::kMaxRowText);
}

}  // namespace tf::products
