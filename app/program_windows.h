#pragma once
// Every window the main window's commands open, created as children of the main window and
// registered with it, in the order the windows depend on each other (invoice entry and the
// payment wizard pick through the Customer and Product Managers, the e-mail windows give the
// Invoice Manager and the statements their sender). The program makes them once at start-up;
// the screenshot tour makes the same set, so its pictures show the windows a user meets.

namespace tf::shell::ui {
class TMainForm;
struct WindowServices;
}  // namespace tf::shell::ui
namespace tf::companies::ui { class TListComps; }
namespace tf::customers::ui { class TDemoForm; }
namespace tf::products::ui { class TEditProd; }

namespace tf::app {

// The windows the welcome of a new set of books leads to.
struct ProgramWindows {
  companies::ui::TListComps& companies;
  customers::ui::TDemoForm& customers;
  products::ui::TEditProd& products;
};

ProgramWindows InstallProgramWindows(shell::ui::TMainForm& form, const shell::ui::WindowServices& services);

}  // namespace tf::app
