#include "shell/startup.h"

#include <system_error>

#include "common/record_fields.h"
#include "common/text.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "common/program_title.h"

namespace tf::shell {
namespace {

using engine::EngineOK;
using engine::EngineStatus;
using namespace records::company;

// Starts the engine unless it is running already; false when it cannot be started.
bool StartEngine() {
  engine::InitEngine(0, engine::kProgramPageBuffers);
  return EngineOK || EngineStatus == engine::status::kAlreadyInitialised;
}

}  // namespace

bool LoadCurrentCompany(records::CompanyBook& book, common::Prompter& prompter, engine::RebuildStatus& status) {
  try {
    book.ReadStartupFile();
  } catch (const std::system_error& e) {
    prompter.Inform(e.what(), common::kProgramTitle, common::PromptIcon::Error);
    return false;
  }
  engine::FileBlockGuard block;
  if (!records::OpenCompanyFile(block.handle(), prompter, status)) {
    prompter.Inform(records::kUnableToOpenCompanyDatabase, common::kProgramTitle);
    return false;
  }
  book.RefreshCurrent(block.get());
  return true;
}

std::string CompanyCaptionText(std::span<const std::uint8_t> company) {
  return common::ReadText(company, kCompanyName) + "\r" + "     " + "Number:" + " " +
         common::ReadText(company, kCompanyNumber);
}

StartupResult StartUp(records::CompanyBook& book, common::Prompter& prompter, const common::Clock& clock,
                      engine::RebuildStatus& status) {
  StartupResult result;
  std::error_code ec;
  if (!std::filesystem::exists(kStartupFile, ec)) {
    prompter.Inform(kDataFilesMissing, common::kProgramTitle, common::PromptIcon::Exclamation);
    result.endProgram = true;
    return result;
  }

  if (!StartEngine()) return result;
  result.engineReady = true;

  if (!LoadCurrentCompany(book, prompter, status)) {
    engine::ExitEngine();
    result.endProgram = true;
    return result;
  }
  std::span<std::uint8_t> company = book.Current();
  result.showHints = common::ReadBool(company, kShowHints);

  const std::chrono::year_month_day today = clock.Today();
  if (today < kEarliestPlausibleDate)
    prompter.Inform(kComputerDateWarning, kComputerDateCaption, common::PromptIcon::Exclamation);

  result.dateFormat = common::DateFormatFromCode(common::ReadText(company, kDateFormat));

  if (common::TrimBoth(common::ReadText(company, kCompanyName)).size() < 2) {
    common::WriteBool(company, kBackgroundOn, false);
    common::WriteText(company, kCompanyName, kSetupYourCompany);
  } else {
    result.captionText = CompanyCaptionText(company);
    result.captionFont = common::ReadFontSpec(company, kEditorFont);
    const std::string picture = common::ReadText(company, kBackgroundPath);
    if (picture.size() > 1) {
      if (std::filesystem::is_regular_file(picture, ec)) {
        if (common::ReadBool(company, kBackgroundOn)) result.background = picture;
      } else {
        common::WriteBool(company, kBackgroundOn, false);
        prompter.Inform(kBackgroundMissing, common::kProgramTitle, common::PromptIcon::Exclamation);
      }
    }
  }

  result.workingDate = common::FormatDate(today, result.dateFormat);
  result.output = OutputFromCompany(common::ReadText(company, TextField{kDefaultOutputEMail.offset, 1}));
  return result;
}

bool DailyAgingDue(std::span<const std::uint8_t> company, std::string_view workingDate) {
  return common::ReadText(company, kLastAgingDate) != workingDate;
}

}  // namespace tf::shell
