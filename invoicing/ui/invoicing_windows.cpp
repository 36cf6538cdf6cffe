#include "invoicing/ui/invoicing_windows.h"

#include "common/ui/cal_form.h"
#include "customers/ui/demo_form.h"
#include "invoicing/ui/inv_list.h"
#include "products/ui/edit_prod.h"

namespace tf::invoicing::ui {

void InstallInvoicingWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services) {
  auto* terms = new TTermEdit(services.prompter, &main);
  main.SetCommandHandler(shell::CommandId::EditTerms, [terms] { terms->exec(); });

  auto* invoice = new TInvoice({services.prompter, services.clock, main.Book(), services.status, &main.LabelQueue()},
                               &main);
  if (auto* customers = main.findChild<customers::ui::TDemoForm*>())
    invoice->PickCustomer = [customers](const std::string& name, const std::string& number,
                                        engine::FileBlock* invoices) {
      return customers->PickCustomer(name, number, invoices);
    };
  if (auto* products = main.findChild<products::ui::TEditProd*>())
    invoice->PickProduct = [products](std::string_view code, std::string_view description) {
      return products->PickProduct(code, description);
    };
  auto* calendar = new common::ui::TCalForm(&main);
  invoice->ChooseDate = [calendar](std::chrono::year_month_day date, common::DateFormat format, QWidget* field) {
    return calendar->Choose(date, format, field);
  };
  auto* manager = new Tinvlist({{main.Book(), services.prompter, services.status, services.reports, services.clock},
                                &main.LabelQueue(),
                                [&main] { return main.Output() == shell::OutputMode::EMail; }},
                               invoice, &main);
  main.SetCommandHandler(shell::CommandId::InvoiceManager, [manager] { manager->exec(); });
}

}  // namespace tf::invoicing::ui
