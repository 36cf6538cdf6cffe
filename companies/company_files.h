#pragma once
// A company's number and the files that carry it. Company numbers are kept in one form, the
// number without leading zeros or sign ("0012" and "+12" are company 12), so that two spellings
// can never name two companies whose files would be the same. A company's files are every file
// of the data folder named by its number and one letter, whatever the extension (1C.DAT, 1C.IX,
// 1C.SAV, 1I.MSG ...), and the stages of a bulk change to them ("~1C.DAT").

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/engine.h"

namespace tf::companies {

// The number as it is kept: digits without leading zeros; nothing when `typed` is not a whole
// number (blanks around it are allowed).
std::optional<std::string> NormalisedCompanyNumber(std::string_view typed);

// The record number of the company whose number is the same number as `number` in the open
// company file block, however either is spelt ("0012" finds "12"); 0 when there is none.
std::int32_t FindCompanyNumber(engine::FileBlock* companies, std::string_view number);

// The files of company `number` in the working directory, sorted.
std::vector<std::string> CompanyFiles(std::string_view number);

struct FileRemoval {
  std::vector<std::string> removed;
  std::vector<std::string> failed;  // "3C.DAT (permission was refused)"
};
// Removes every file of company `number`; what could not be removed is named with the reason.
FileRemoval RemoveCompanyFiles(std::string_view number);

}  // namespace tf::companies
