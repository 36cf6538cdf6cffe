#pragma once
// The welcome of a new set of books, composed from the windows the program installed: it opens
// when the current company has not been set up yet (the main window's caption asks for it).

namespace tf::shell::ui { class TMainForm; }
namespace tf::companies::ui { class TListComps; }
namespace tf::customers::ui { class TDemoForm; }
namespace tf::products::ui { class TEditProd; }

namespace tf::app {

void OfferWelcome(shell::ui::TMainForm& main, companies::ui::TListComps& companies,
                  customers::ui::TDemoForm& customers, products::ui::TEditProd& products);

}  // namespace tf::app
