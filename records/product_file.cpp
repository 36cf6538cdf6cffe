#include "records/product_file.h"

#include "records/product_record.h"

namespace tf::records::product {

const RecordFileKind& ProductFileKind() {
  static const RecordFileKind kind{"Products", kProductRecordLength, ProductKeyDescriptors(), ProductKey};
  return kind;
}

}  // namespace tf::records::product
