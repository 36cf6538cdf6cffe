#include "invoicing/ui/invoicing_windows.h"

#include "common/ui/cal_form.h"
#include "customers/ui/demo_form.h"
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
  main.SetCommandHandler(shell::CommandId::InvoiceManager, [invoice] { invoice->AddInvoice(); });
}

}  // namespace tf::invoicing::ui
