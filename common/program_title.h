#pragma once
// The program's title: the main window's caption and the caption of the messages that belong
// to no particular window.

#include <string_view>

namespace tf::common {

inline constexpr std::string_view kProgramTitle = "QZ Tallyfold PRO";

}  // namespace tf::common
