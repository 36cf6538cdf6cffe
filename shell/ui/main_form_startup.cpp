#include "shell/ui/main_form_startup.h"

#include <QPixmap>

#include "common/record_fields.h"
#include "common/ui/qt_text.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "shell/startup.h"

namespace tf::shell::ui {

using common::ui::ToQString;

std::unique_ptr<TMainForm> CreateMainForm(common::Prompter& prompter, const common::Clock& clock,
                                          engine::RebuildStatus& status) {
  records::CompanyBook book;
  const StartupResult started = StartUp(book, prompter, clock, status);
  if (started.endProgram) return nullptr;

  auto form = std::make_unique<TMainForm>(prompter, clock);
  TMainForm* f = form.get();
  f->Book() = book;
  f->setWindowTitle(ToQString(started.title));
  f->OnExitEngine = [] { engine::ExitEngine(); };
  if (started.engineReady) {
    if (started.captionFont)
      f->SetCompanyCaption(started.captionText, *started.captionFont);
    else
      f->SetPlainCaption(common::ReadText(f->Book().Current(), records::company::kCompanyName));
    f->SetShowHints(started.showHints);
    if (started.background) {
      // A file that is there but is no picture leaves the background off, as a missing one does.
      f->SetBackground(QPixmap(QString::fromStdString(started.background->string())));
    }
    f->SetDateFormat(started.dateFormat);
    f->SetWorkingDate(started.workingDate);
    f->OnDefaultOutput = [output = started.output] { return output; };
    f->OnDailyAging = [f] {
      if (f->RunAging && DailyAgingDue(f->Book().Current(), f->WorkingDate())) f->RunAging();
    };
    f->OnBackupPromptFlag = [f] {
      return common::ReadFlag(f->Book().Current(), records::company::kBackupPromptOnExit);
    };
  }
  f->PlaceOnWorkArea();
  f->HideChart();
  return form;
}

}  // namespace tf::shell::ui
