#include "payments/ui/payment_windows.h"

#include "common/ui/cal_form.h"
#include "common/ui/help_window.h"
#include "customers/ui/demo_form.h"

namespace tf::payments::ui {

void InstallPaymentWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services) {
  auto* box = new TPayBox({services.prompter, services.clock, main.Book(), services.status}, &main);
  if (auto* customers = main.findChild<customers::ui::TDemoForm*>())
    box->PickCustomer = [customers](const std::string& name, const std::string& number, engine::FileBlock* invoices) {
      return customers->PickCustomer(name, number, invoices);
    };
  common::ui::TCalForm* calendar = main.CalForm;
  box->ChooseDate = [calendar](std::chrono::year_month_day date, common::DateFormat format, QWidget* field) {
    return calendar->Choose(date, format, field);
  };
  box->ShowHelp = [box](std::string_view topic) { common::ui::ShowHelpTopic(topic, box); };
  main.SetCommandHandler(shell::CommandId::PaymentWizard, [box] { box->Run(); });
}

}  // namespace tf::payments::ui
