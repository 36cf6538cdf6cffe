#include "app/first_run_welcome.h"

#include <QApplication>
#include <QTimer>

#include <memory>

#include "companies/ui/list_comps.h"
#include "customers/ui/demo_form.h"
#include "products/ui/edit_prod.h"
#include "records/company_record.h"
#include "shell/ui/main_form.h"
#include "shell/ui/welcome.h"

namespace tf::app {
namespace {

using shell::CommandId;

// Calls the editor once the manager is the window on top: the manager may first ask something
// of its own (such as creating its empty file), and the editor belongs over the manager, not
// over that question. Stops when the command has returned.
template <typename Manager>
void EditorWhenOnTop(Manager& manager, void (Manager::*editor)(), std::shared_ptr<bool> commandEnded) {
  QTimer::singleShot(50, &manager, [&manager, editor, commandEnded] {
    if (*commandEnded) return;
    if (manager.isVisible() && QApplication::activeModalWidget() == &manager) {
      (manager.*editor)();
      return;
    }
    EditorWhenOnTop(manager, editor, commandEnded);
  });
}

// Opens a manager through the main window's own command (so whatever the command does after
// the manager closes, such as showing the edited company's name, still happens) with the
// editor the step is about over it.
template <typename Manager>
std::function<void()> OpenWithin(shell::ui::TMainForm& main, CommandId command, Manager& manager,
                                 void (Manager::*editor)()) {
  return [&main, command, &manager, editor] {
    auto commandEnded = std::make_shared<bool>(false);
    EditorWhenOnTop(manager, editor, commandEnded);
    main.RunCommand(command, false);
    *commandEnded = true;
  };
}

}  // namespace

void OfferWelcome(shell::ui::TMainForm& main, companies::ui::TListComps& companies,
                  customers::ui::TDemoForm& customers, products::ui::TEditProd& products) {
  if (records::company::ShownCompanyName(main.Book().Current()) != records::company::kSetupYourCompany) return;
  std::vector<shell::ui::WelcomeStep> steps = {
      {"Step 1 of 3: Your company",
       "Your company's name and address as invoices and statements show them, the date order (month or day "
       "first), the sales tax rate and how invoices are numbered. They are the company's options; you can change "
       "them at any time from the Company Manager.",
       "Set &Up the Company...", OpenWithin(main, CommandId::CompanyManager, companies, &companies::ui::TListComps::EditCompany)},
      {"Step 2 of 3: A first customer",
       "Customers are who you bill: name, billing and shipping addresses, terms, e-mail. Add one now, or bring "
       "a list in later with tallyfold-cli import customers.",
       "Add a &Customer...", OpenWithin(main, CommandId::CustomerManager, customers, &customers::ui::TDemoForm::NewCustButnClick)},
      {"Step 3 of 3: A first product",
       "Products are what invoice lines sell: a number, a description, a price and whether it is taxed. Memo "
       "invoices need none.",
       "Add a &Product...", OpenWithin(main, CommandId::ProductManager, products, &products::ui::TEditProd::AddProductDialog)},
  };
  auto* welcome = new shell::ui::TWelcome(std::move(steps), &main);
  welcome->setAttribute(Qt::WA_DeleteOnClose);
  welcome->open();
}

}  // namespace tf::app
