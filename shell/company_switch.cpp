#include "shell/company_switch.h"

#include <system_error>

#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_record.h"

namespace tf::shell {

using namespace records::company;

CompanyView SwitchedCompanyView(std::span<const std::uint8_t> company, const common::Clock& clock) {
  CompanyView view;
  const std::string name = common::ReadText(company, kCompanyName);
  if (common::TrimBoth(name).size() < 2) {
    view.caption = std::string(kSetupYourCompany);
  } else {
    view.caption = name + "       Number: " + common::ReadText(company, kCompanyNumber);
    view.captionInCompanyFont = true;
    view.captionFont = common::ReadFontSpec(company, kEditorFont);
  }
  const std::string picture = common::ReadText(company, kBackgroundPath);
  std::error_code ec;
  if (!common::ReadBool(company, kBackgroundOn) || picture.size() <= 1) {
    view.background = CompanyView::Background::Clear;
  } else if (std::filesystem::is_regular_file(picture, ec)) {
    view.background = CompanyView::Background::Load;
    view.picture = picture;
  } else {
    view.background = CompanyView::Background::Keep;
  }
  view.dateFormat = common::DateFormatFromCode(common::ReadText(company, kDateFormat));
  view.workingDate = common::FormatDate(clock.Today(), view.dateFormat);
  view.output = OutputFromCompany(common::ReadText(company, TextField{kDefaultOutputEMail.offset, 1}));
  return view;
}

}  // namespace tf::shell
