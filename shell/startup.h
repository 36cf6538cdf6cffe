#pragma once
// What the main window does when it is created and when it first shows, without any widget:
// find the start-up file, start the storage engine, load the current company from "LastCo.Dat"
// and the company file block, warn about an unlikely computer date, and work out the caption,
// its font, the background picture, the date format, the working date and the default output.
// The Qt main window applies the result.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "common/date_text.h"
#include "common/stored_font.h"
#include "common/prompter.h"
#include "engine/rebuilding/rebuild_status.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "shell/main_window_model.h"
#include "common/program_title.h"

namespace tf::shell {

inline constexpr std::string_view kDataFilesMissing =
    "I do not find the billing data files. The data files must be in the same directory as the billing program.";
inline constexpr std::string_view kComputerDateWarning =
    "The date on your computer appears to be incorrect. This will effect program calculations. Please verify "
    "your computer is using the correct date.";
inline constexpr std::string_view kComputerDateCaption = "Computer Date";
using records::company::kSetupYourCompany;
inline constexpr std::string_view kBackgroundMissing =
    "Background bitmap image no longer exists. Unable to load background picture.";

// A computer date before this day is taken for a clock that was never set.
inline constexpr std::chrono::year_month_day kEarliestPlausibleDate{std::chrono::year{1995}, std::chrono::January,
                                                                    std::chrono::day{1}};

struct StartupResult {
  // The program ends at once (nothing was shown beyond the message that said why); the storage
  // engine has been shut down.
  bool endProgram = false;
  // False when the engine could not be started: the company was not loaded and nothing below
  // was worked out.
  bool engineReady = false;
  std::string title{common::kProgramTitle};
  // The company caption NameCap: name, a carriage return, five blanks, "Number: " and the
  // number. Empty, and no font, while the company is not set up (a name under 2 characters).
  std::string captionText;
  std::optional<common::FontSpec> captionFont;
  // The picture to tile while the company's BackgroundOn is set; none when there is no picture
  // or it no longer exists.
  std::optional<std::filesystem::path> background;
  common::DateFormat dateFormat = common::DateFormat::MonthFirst;
  std::string workingDate;  // today in dateFormat
  bool showHints = false;
  OutputMode output = OutputMode::Printer;
};

// The main window's creation steps, in order, with the data folder as working directory. The
// current company of `book` is left loaded (with the in-memory changes of a company that is not
// set up, or whose background picture is gone). Starts the storage engine with the program's
// pool; an engine that is already running is used as it is.
StartupResult StartUp(records::CompanyBook& book, common::Prompter& prompter, const common::Clock& clock,
                      engine::RebuildStatus& status);

// Loads the current company: "LastCo.Dat" names it, the company file block holds its record.
// A company missing from the file block keeps the start-up file's copy. False when the program
// must end; the message has been shown. Start-up runs it, and so does a restore of the data
// files before anything reads them.
bool LoadCurrentCompany(records::CompanyBook& book, common::Prompter& prompter, engine::RebuildStatus& status);

// The caption text for a company: name, "\r", five blanks, "Number:", a blank, the number.
std::string CompanyCaptionText(std::span<const std::uint8_t> company);

// --- when the main window first shows -------------------------------------------------------

// The daily aging is due when the company's LastAgingDate differs from the working date text.
bool DailyAgingDue(std::span<const std::uint8_t> company, std::string_view workingDate);

}  // namespace tf::shell
