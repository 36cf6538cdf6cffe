#include "billing/ui/billing_windows.h"

#include "billing/ui/interest_wiz.h"
#include "billing/ui/repeat_form.h"
#include "billing/ui/select_repeat.h"
#include "common/ui/cal_form.h"
#include "common/ui/help_window.h"
#include "common/ui/qt_print_canvas.h"
#include "invoicing/payment_terms.h"
#include "invoicing/ui/inv_list.h"

namespace tf::billing::ui {

void InstallBillingWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services) {
  const WizardServices wizard{main.Book(), services.prompter, services.status, services.clock};
  common::ui::TCalForm* calendar = main.CalForm;
  auto chooseDate = [calendar](std::chrono::year_month_day date, common::DateFormat format, QWidget* field) {
    return calendar->Choose(date, format, field);
  };

  auto* interest = new TInterestWiz(wizard, &main);
  interest->ChooseDate = chooseDate;
  interest->ChoosePrinter = [interest]() -> std::unique_ptr<common::PrintCanvas> {
    return common::ui::ChoosePrinterCanvas(interest);
  };
  interest->LoadTerms = [] { return invoicing::LoadTerms(); };
  interest->ShowHelp = [interest](std::string_view topic) { common::ui::ShowHelpTopic(topic, interest); };
  interest->SetMainStatus = [&main](std::string_view text) { main.SetStatusText(text); };
  main.SetCommandHandler(shell::CommandId::InterestWizard, [interest] { interest->Run(); });

  auto* wizardForm = new TSelectRepeat(wizard, &main);
  wizardForm->ChooseDate = chooseDate;
  wizardForm->ShowHelp = [wizardForm](std::string_view topic) { common::ui::ShowHelpTopic(topic, wizardForm); };
  main.SetCommandHandler(shell::CommandId::RepeatBillingWizard, [wizardForm] { wizardForm->Run(); });

  if (auto* manager = main.findChild<invoicing::ui::Tinvlist*>()) {
    auto* setup = new TRepeatForm(wizard, manager);
    setup->ChooseDate = chooseDate;
    setup->ShowHelp = [setup](std::string_view topic) { common::ui::ShowHelpTopic(topic, setup); };
    manager->SetUpRepeatBilling = [setup](const invoicing::RepeatSetupRequest& request) { return setup->Run(request); };
  }
}

}  // namespace tf::billing::ui
