#include "shell/ui/company_switch.h"

#include <QPixmap>

#include <system_error>

#include "common/program_title.h"
#include "shell/startup.h"

namespace tf::shell::ui {

void ApplyCompanyView(TMainForm& form, const CompanyView& view) {
  if (view.captionInCompanyFont)
    form.SetCompanyCaption(view.caption, view.captionFont);
  else
    form.SetPlainCaption(view.caption);
  if (view.background == CompanyView::Background::Load)
    form.SetBackground(QPixmap(QString::fromStdString(view.picture.string())));
  else if (view.background == CompanyView::Background::Clear)
    form.SetBackground(QPixmap());
  form.SetDateFormat(view.dateFormat);
  form.SetWorkingDate(view.workingDate);
  if (view.output == OutputMode::EMail)
    form.EMdef->setChecked(true);
  else
    form.PrinDef->setChecked(true);
  form.update();
  if (form.OnDailyAging) form.OnDailyAging();
}

bool SwitchToWorkCompany(TMainForm& form, common::Prompter& prompter, const common::Clock& clock) {
  try {
    form.Book().SaveStartupFile();
  } catch (const std::system_error& e) {
    prompter.Inform(e.what(), common::kProgramTitle, common::PromptIcon::Error);
    return false;
  }
  ApplyCompanyView(form, SwitchedCompanyView(form.Book().Current(), clock));
  return true;
}

bool ReloadCompany(TMainForm& form, common::Prompter& prompter, engine::RebuildStatus& status,
                   const common::Clock& clock) {
  records::CompanyBook book;
  if (!LoadCurrentCompany(book, prompter, status)) return false;
  form.Book() = book;
  ApplyCompanyView(form, SwitchedCompanyView(form.Book().Current(), clock));
  return true;
}

}  // namespace tf::shell::ui
