#pragma once
// The product file block of a company as the record-file procedures see it.

#include "records/record_file.h"

namespace tf::records::product {

// "Products", 300-byte records, keys (10, unique) by code and (30, duplicates) by description.
const RecordFileKind& ProductFileKind();

}  // namespace tf::records::product
