#include "app/cli/extensions.h"

#include "customers/customer_fields.h"
#include "customers/customer_record.h"
#include "products/product_fields.h"

namespace tf::cli {

Extensions BuiltInExtensions() {
  Extensions e;
  // Plain side files that share the data files' extension: the payment terms list and the
  // remembered label layout path.
  e.sideFiles = {"VQTERMS.DAT", "Lastlbl.DAT"};
  // Every company's customers: the company number followed by "C".
  e.recordKinds.Add({"customers", "[0-9]*C", customers::CustomerKeys, customers::DescribeCustomer});
  // Their products: the company number followed by "P".
  e.recordKinds.Add({"products", "[0-9]*P", products::ProductKeys, products::DescribeProduct});
  return e;
}

}  // namespace tf::cli
