#pragma once
// `company list`, `company add` and `company delete`, beside `company show|set`:
//
//   company list                        every company: number, name, balance; the current one marked
//   company add [--number N] FIELD=VALUE...
//                                       a new company with the defaults of a new company and the
//                                       values given, checked as the options screen checks them;
//                                       without --number it takes the number the manager proposes
//   company delete N                    the company and every file of its number; never the current
//                                       company; asks for the password (standard input) when one is set

#include <string>
#include <vector>

#include "app/cli/commands.h"

namespace tf::cli {

// True for the words this handles.
bool IsCompanyBookCommand(const std::string& word);
int RunCompanyBook(CommandContext& context, const std::vector<std::string>& args);

}  // namespace tf::cli
