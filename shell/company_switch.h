#pragma once
// What the main window shows of the current company once the user has chosen one in the
// Company Manager (or the data files were restored): the caption on one line, its font, the
// background picture, the date format and working date and the default output. The Qt main
// window applies it (shell/ui/company_switch.h).

#include <filesystem>
#include <span>
#include <string>

#include "common/clock.h"
#include "common/date_text.h"
#include "common/stored_font.h"
#include "shell/main_window_model.h"

namespace tf::shell {

struct CompanyView {
  // The company's name, seven blanks, "Number:", a blank and its number; the shown name
  // ("Please Setup Your Company.") in the window's own font while it has no name.
  std::string caption;
  bool captionInCompanyFont = false;
  common::FontSpec captionFont;
  // The picture: loaded when the company shows one that exists, cleared when it shows none,
  // and the one loaded before kept when the company's picture file is gone.
  enum class Background { Load, Clear, Keep };
  Background background = Background::Clear;
  std::filesystem::path picture;
  common::DateFormat dateFormat = common::DateFormat::MonthFirst;
  std::string workingDate;  // today in the company's format
  OutputMode output = OutputMode::Printer;
};

// Runs with the data folder as working directory (the picture's path is relative to it).
CompanyView SwitchedCompanyView(std::span<const std::uint8_t> company, const common::Clock& clock);

}  // namespace tf::shell
